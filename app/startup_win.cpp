#include "app/startup_win.h"

#include <windows.h>

#include <string>
#include <vector>

#include "common/text_win.h"
#include "content/archive_win.h"
#include "control/control_module_win.h"
#include "shell/privileges_win.h"
#include "resources/resource_ids.h"
#include "scene/show_window_win.h"
#include "scene/side_window_win.h"
#include "settings/password.h"
#include "settings/settings.h"
#include "settings/settings_dialogs_win.h"
#include "common/whole_file_win.h"
#include "app/command_sender_win.h"
#include "shell/control_module_start_win.h"
#include "shell/data_locations_win.h"
#include "shell/messages_win.h"
#include "app/roles.h"

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

void runRole(Role role, const std::string& commandLine, const Settings& settings, const StartupChecks& checks) {
    switch (role) {
    case Role::None: return;
    case Role::StartControlModule: startControlModule(); return;
    case Role::Close:
    case Role::Disable:
    case Role::Enable:
    case Role::Uninstall: runCommandSender(role, settings, checks.isUserAnAdmin); return;
    case Role::SettingsCombined: openSettings(SettingsKind::All, checks.isUserAnAdmin); return;
    case Role::SettingsNessel: openSettings(SettingsKind::Nessel, checks.isUserAnAdmin); return;
    case Role::SettingsExercise: openSettings(SettingsKind::Hopsa, checks.isUserAnAdmin); return;
    case Role::SettingsTolder: openSettings(SettingsKind::Tolder, checks.isUserAnAdmin); return;
    case Role::SideWindow: showSideWindow(); return;
    case Role::Message: {
        std::string text(messageText(commandLine));
        MessageBoxA(nullptr, text.c_str(), "Info", MB_ICONINFORMATION);
        return;
    }
    default: {
        SceneRequest scene = sceneFor(role);
        playScene(reinterpret_cast<const wchar_t*>(scene.script), reinterpret_cast<const wchar_t*>(scene.commonScript),
                  scene.manual);
        return;
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

void runStartup(const char* commandLine, const StartupChecks& checks) {
    dataLocations();
    if (checks.isElevatedCopy() && !checks.isUserAnAdmin()) {
        errorBox(nullptr, IDS_ADMIN_REQUIRED, true);
        return;
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
    runRole(plan.role, line, settings, checks);
    vfsCloseArchive();
}
