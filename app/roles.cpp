#include "app/roles.h"

namespace {

constexpr char16_t kHopsaCommon[] = u"c-hopsa-common.txt";

// Each switch with its role and, for a scene, the scene's scripts.
struct Switch {
    std::string_view text;
    Role role;
    SceneRequest scene{};
};

constexpr Switch kSwitchOrder[] = {
    {"/run", Role::StartControlModule},
    {"/close", Role::Close},
    {"/disable", Role::Disable},
    {"/enable", Role::Enable},
    {"/nessel", Role::SettingsNessel},
    {"/exercise", Role::SettingsExercise},
    {"/tolder", Role::SettingsTolder},
    {"/pallo", Role::SettingsCombined},
    {"/show:nessel-turnoff", Role::ShowNesselTurnoff, {u"c-nessel-turnoff.txt", nullptr, false}},
    {"/show:nessel-sleep", Role::ShowNesselSleep, {u"c-nessel-sleep.txt", nullptr, false}},
    {"/show:hopsa-manual", Role::ShowHopsaManual, {u"c-hopsa-manual.txt", kHopsaCommon, true}},
    {"/show:hopsa-usual", Role::ShowHopsaUsual, {u"c-hopsa-usual.txt", kHopsaCommon, false}},
    {"/show:hopsa-first", Role::ShowHopsaFirst, {u"c-hopsa-first.txt", kHopsaCommon, false}},
    {"/show:tolder", Role::ShowTolder, {u"c-tolder.txt", nullptr, false}},
    {"/show:test", Role::ShowTest, {u"c-test.txt", nullptr, true}},
    {"/uninstall", Role::Uninstall},
    {"/advtop", Role::SideWindow},
    {"/message:", Role::Message},
    {"/install-guard", Role::InstallGuard},
    {"/remove-guard", Role::RemoveGuard},
    {"/guard", Role::Guard},
    {"/extra:", Role::ExtraTime},
    {"/calendar", Role::Calendar},
    {kProgramWarningSwitch, Role::ProgramWarning},
    {kProgramCloseSwitch, Role::ProgramClose},
    {"/program-ended", Role::ProgramEnded},
};

constexpr std::string_view kMessageSwitch = "/message:";
constexpr std::string_view kExtraTimeSwitch = "/extra:";
}  // namespace

DispatchPlan planDispatch(std::string_view commandLine) {
    DispatchPlan plan;
    plan.runControlModule = commandLine.find("/control") != std::string_view::npos;
    for (const Switch& s : kSwitchOrder) {
        if (commandLine.find(s.text) != std::string_view::npos) {
            plan.role = s.role;
            break;
        }
    }
    return plan;
}

std::string_view messageText(std::string_view commandLine) {
    size_t at = commandLine.find(kMessageSwitch);
    if (at == std::string_view::npos) return {};
    return commandLine.substr(at + kMessageSwitch.size());
}

uint32_t switchNumber(std::string_view commandLine, std::string_view switchText, uint32_t largest) {
    const size_t at = commandLine.find(switchText);
    if (at == std::string_view::npos) return 0;
    uint64_t number = 0;
    size_t i = at + switchText.size();
    for (; i < commandLine.size() && commandLine[i] >= '0' && commandLine[i] <= '9' && number <= largest; ++i)
        number = number * 10 + static_cast<uint64_t>(commandLine[i] - '0');
    const bool ends = i == commandLine.size() || commandLine[i] == ' ';
    return ends && number >= 1 && number <= largest ? static_cast<uint32_t>(number) : 0;
}

int extraTimeMinutes(std::string_view commandLine) {
    return static_cast<int>(switchNumber(commandLine, kExtraTimeSwitch, kLongestExtraTime));
}

SceneRequest sceneFor(Role role) {
    for (const Switch& s : kSwitchOrder)
        if (s.role == role) return s.scene;
    return {};
}

bool needsOle(const DispatchPlan& plan) {
    const bool guardAlone =
        plan.role == Role::Guard || plan.role == Role::InstallGuard || plan.role == Role::RemoveGuard;
    return plan.runControlModule || !(sceneFor(plan.role).script || guardAlone);
}
