#pragma once
#include <cstdint>
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
    // What the guard tells the child of a program the parents limit:
    ProgramWarning,  // "/program-warning:MINUTES": the minutes left today
    ProgramClose,    // "/program-close:PROCESS": its windows asked to close, a minute to save
    ProgramEnded,    // "/program-ended": it was ended, and why
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

// The number after the first occurrence of a switch (digits, then a blank or
// the end), 1 to `largest`; 0 for anything else.
uint32_t switchNumber(std::string_view commandLine, std::string_view switchText, uint32_t largest);

// The minutes after "/extra:", 1 to kLongestExtraTime; 0 for anything else.
constexpr int kLongestExtraTime = 240;
int extraTimeMinutes(std::string_view commandLine);
constexpr std::string_view kProgramWarningSwitch = "/program-warning:";
constexpr std::string_view kProgramCloseSwitch = "/program-close:";

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
