#pragma once
#include <string_view>

// What a process does, chosen by the switches on its command line.
enum class Role {
    None,
    StartControlModule,  // "/run"
    Close,
    Disable,
    Enable,
    SettingsNessel,
    SettingsExercise,
    SettingsTolder,
    SettingsCombined,
    ShowNesselTurnoff,
    ShowNesselSleep,
    ShowHopsaManual,
    ShowHopsaUsual,
    ShowHopsaFirst,
    ShowTolder,
    ShowTest,
    Uninstall,
    SideWindow,
    Message,
    Guard,         // "/guard": the guard service
    InstallGuard,  // "/install-guard"
    RemoveGuard,   // "/remove-guard"
    ExtraTime,     // "/extra:MINUTES": the parents grant extra time
    Calendar,      // "/calendar": the parents' week and history
};

struct DispatchPlan {
    bool runControlModule = false;  // "/control" runs before the role
    Role role = Role::None;
};

// Switches are found anywhere in the whole command line (case-sensitive);
// the first switch of the fixed order wins.
DispatchPlan planDispatch(std::string_view commandLine);

// Everything after the first "/message:".
std::string_view messageText(std::string_view commandLine);

// The minutes after the first "/extra:" (digits, then a blank or the end), 1
// to kLongestExtraTime; 0 for anything else.
constexpr int kLongestExtraTime = 240;
int extraTimeMinutes(std::string_view commandLine);

struct SceneRequest {
    const char16_t* script = nullptr;
    const char16_t* commonScript = nullptr;  // null: none
    bool manual = false;
};

// The scripts of a scene role; a role that plays no scene gives a null script.
SceneRequest sceneFor(Role role);

// Whether the process needs OLE: every role but a scene alone, which starts
// faster without it (a child sees every scene start), and the guard's roles,
// which need none (under Wine, a service that asks for OLE while the service
// manager starts it never starts: OLE waits on the manager to start the RPC
// service).
bool needsOle(const DispatchPlan& plan);
