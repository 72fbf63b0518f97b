#include "app/startup_win.h"

#include <windows.h>

#include <string>
#include <vector>

#include "common/text_win.h"
#include "content/archive_win.h"
#include "control/control_module_win.h"
#include "guard/guard_installation_win.h"
#include "guard/guard_service_win.h"
#include "calendar/dialog/calendar_form_win.h"
#include "shell/privileges_win.h"
#include "resources/resource_ids.h"
#include "scene/show_window_win.h"
#include "scene/side_window_win.h"
#include "settings/password.h"
#include "settings/settings.h"
#include "settings/settings_dialogs_win.h"
#include "common/whole_file_win.h"
#include "app/command_sender_win.h"
#include "app/extra_time_sender_win.h"
#include "shell/control_module_start_win.h"
#include "shell/data_locations_win.h"
#include "shell/messages_win.h"
#include "app/program_notes_win.h"
#include "app/roles.h"
#include "calendar/calendar_record.h"

namespace {

constexpr int kModulePathSize = 1024;

// The executable's full path, cut after its last backslash; false when it has none.
bool exeFolderAndName(wchar_t* path, wchar_t** name) {
    DWORD length;
    if (isWideApiAvailable()) {
        length = GetModuleFileNameW(nullptr, path, kModulePathSize);
    } else {
        char narrow[kModulePathSize] = "";
        length = GetModuleFileNameA(nullptr, narrow, kModulePathSize);
        toWide(CP_ACP, narrow, path, kModulePathSize);
    }
    if (length == 0 || length >= kModulePathSize) return false;
    wchar_t* slash = wcsrchr(path, L'\\');
    if (!slash) return false;
    *name = slash + 1;
    return true;
}

// The process's exit code: 0, or 1 where the guard could not be installed or removed.
int runRole(Role role, const std::string& commandLine, const Settings& settings, const StartupChecks& checks) {
    switch (role) {
    case Role::None: return 0;
    case Role::StartControlModule: startControlModule(); return 0;
    case Role::Close:
    case Role::Disable:
    case Role::Enable:
    case Role::Uninstall: runCommandSender(role, settings, checks.isUserAnAdmin); return 0;
    case Role::ExtraTime: runExtraTimeSender(extraTimeMinutes(commandLine), checks.isUserAnAdmin); return 0;
    case Role::Calendar: openCalendar(checks.isUserAnAdmin); return 0;
    case Role::SettingsCombined: openSettings(SettingsKind::All, checks.isUserAnAdmin); return 0;
    case Role::SettingsNessel: openSettings(SettingsKind::Nessel, checks.isUserAnAdmin); return 0;
    case Role::SettingsExercise: openSettings(SettingsKind::Hopsa, checks.isUserAnAdmin); return 0;
    case Role::SettingsTolder: openSettings(SettingsKind::Tolder, checks.isUserAnAdmin); return 0;
    case Role::SideWindow: showSideWindow(); return 0;
    case Role::Guard: runGuardService(); return 0;
    case Role::InstallGuard: return installGuardService() ? 0 : 1;
    case Role::RemoveGuard: return removeGuardService() ? 0 : 1;
    case Role::ProgramWarning:
        warnOfProgramEnd(switchNumber(commandLine, kProgramWarningSwitch, kMinutesPerDay));
        return 0;
    case Role::ProgramClose: closeProgramWindows(switchNumber(commandLine, kProgramCloseSwitch, UINT32_MAX)); return 0;
    case Role::ProgramEnded: tellProgramEnded(); return 0;
    case Role::Message: {
        std::string text(messageText(commandLine));
        MessageBoxA(nullptr, text.c_str(), "Info", MB_ICONINFORMATION);
        return 0;
    }
    default: {
        SceneRequest scene = sceneFor(role);
        playScene(reinterpret_cast<const wchar_t*>(scene.script), reinterpret_cast<const wchar_t*>(scene.commonScript),
                  scene.manual);
        return 0;
    }
    }
}

}  // namespace

StartupChecks systemStartupChecks() { return {&isElevatedCopy, &isUserAnAdmin}; }

bool isElevatedCopy() {
    wchar_t path[kModulePathSize];
    wchar_t* name;
    return exeFolderAndName(path, &name) && lstrcmpiW(name, L"qza.exe") == 0;
}

void setCurrentDirectoryToExe() {
    wchar_t path[kModulePathSize];
    wchar_t* name;
    if (!exeFolderAndName(path, &name)) return;
    *name = 0;
    if (isWideApiAvailable())
        SetCurrentDirectoryW(path);
    else
        SetCurrentDirectoryA(wideToAnsi(path).get());
}

int runStartup(const char* commandLine, const StartupChecks& checks) {
    dataLocations();
    if (checks.isElevatedCopy() && !checks.isUserAnAdmin()) {
        errorBox(nullptr, IDS_ADMIN_REQUIRED, true);
        return 0;
    }
    std::string line = commandLine ? commandLine : "";
    promptedPassword().clear();
    Settings settings;
    std::vector<uint8_t> image;
    readWholeFile(dataLocations().settingsPath(), image);
    settings.load(image);
    DispatchPlan plan = planDispatch(line);
    if (plan.runControlModule)
        runControlModule();
    else
        setCurrentDirectoryToExe();
    const int exitCode = runRole(plan.role, line, settings, checks);
    vfsCloseArchive();
    return exitCode;
}
