#include <gtest/gtest.h>

#include "shell/hand_over_password.h"
#include "control/video_title.h"
#include "settings/password.h"
#include "simulated_evening.h"

#include <functional>
#include <utility>

namespace {

// A started module whose parents' password is "secret".
struct Module : SimulatedEvening {
    explicit Module(Settings settings = {}) : SimulatedEvening(std::move(settings)) {
        host.storedPassword = u"secret";
        startModule();
    }
    void proveAdministrator() {
        const auto challenge = static_cast<uint32_t>(send(kCommandAskQuery));
        send(kCommandInformAdmin, proof(challenge));
    }
    bool child() { return send(kCommandGetMode) == 1; }
};

// Each of the parents' commands needs the password, case and all, handed
// over (argument 1), and the administrator's proof: one proof a challenge,
// none before the first. Parents' mode needs the proof only where the
// settings ask for it; closing the module leaves it in parents' mode with the
// record written.
TEST(ControlCommands, TheParentsCommandsNeedThePasswordAndTheProof) {
    const std::pair<int, std::function<bool(Module&)>> commands[] = {
        {kCommandParents, [](Module& m) { return !m.child() && !m.host.trayShown; }},
        {kCommandClose, [](Module& m) { return m.host.ended && !m.child() && m.host.storedState().hopsaMinutes == 0; }},
        {kCommandCloseAllWindows, [](Module& m) { return m.send(kCommandTestCloseWindow) == 1; }},
    };
    for (const auto& [code, done] : commands)
        for (int16_t requireAdmin : {1, 0}) {
            SCOPED_TRACE(testing::Message() << "command " << code << ", proof required " << requireAdmin);
            Settings settings = withHopsa();
            settings.requireAdmin = requireAdmin;
            Module module(settings);
            module.minutes(7);
            module.send(code, 1, u"secret");
            if (!requireAdmin && code == kCommandParents) {
                EXPECT_TRUE(done(module));
                continue;
            }
            module.send(kCommandInformAdmin, proof(0));
            const auto challenge = static_cast<uint32_t>(module.send(kCommandAskQuery));
            module.send(kCommandInformAdmin, proof(challenge) + 1);
            module.send(kCommandInformAdmin, proof(challenge));
            module.send(code, 1, u"secret");
            EXPECT_FALSE(done(module));
            module.proveAdministrator();
            for (auto [argument, password] : {std::pair{1u, u"wrong"}, {1u, u"Secret"}, {0u, u"secret"}})
                module.send(code, argument, password);
            EXPECT_FALSE(done(module));
            module.send(code, 1, u"secret");
            EXPECT_TRUE(done(module));
        }
    EXPECT_EQ(static_cast<uint32_t>(Module().send(kCommandTestQuery, 4242)), proof(4242));
}

TEST(ControlCommands, ParentsModeStopsCountingAndItsTimeIsABreak) {
    Settings settings = withNessel();
    settings.requireAdmin = 0;
    settings.hopsaDisabled = 0;
    settings.bedtimeMinutes = 30;
    Module module(settings);
    module.minutes(30);
    ASSERT_TRUE(module.host.storedState().sleepPending);  // the turn-off scene came
    EXPECT_EQ(module.send(kCommandTikkoWork), 0);
    module.send(kCommandParents, 1, u"secret");
    EXPECT_EQ(module.send(kCommandTikkoWork), 1) << "the scene on screen is told to close";
    StateRecord stored = module.host.storedState();
    EXPECT_EQ(stored.nesselMinutes, 30);
    EXPECT_EQ(stored.hopsaMinutes, 0);
    EXPECT_FALSE(stored.sleepPending);

    module.minutes(20);
    EXPECT_EQ(module.host.storedState().nesselMinutes, 30);
    const int writes = module.host.stateWrites;
    module.send(kCommandChild);
    EXPECT_TRUE(module.child());
    EXPECT_TRUE(module.host.trayShown);
    // Back from bedtime to bedtime - 3, then 20 of the 60 minutes of sleep credited.
    EXPECT_EQ(module.host.storedState().nesselMinutes, 27 - 30 * 20 / 60);
    EXPECT_EQ(module.host.stateWrites, writes + 1);
    module.send(kCommandChild);  // already in Child mode: no second resynchronisation
    EXPECT_EQ(module.host.stateWrites, writes + 1);
}

TEST(ControlCommands, CloseAllTellsScenesToCloseAndStopsCounting) {
    Settings settings = withHopsa();
    settings.exerciseInterval = 2;
    Module module(settings);
    module.sceneBehaviour.lengthSeconds = 100;
    module.minutes(2);
    module.seconds(5);
    ASSERT_EQ(module.runningScenes(), 1u);
    module.proveAdministrator();
    module.send(kCommandCloseAllWindows, 1, u"secret");
    module.seconds(2);
    EXPECT_EQ(module.runningScenes(), 0u);
    module.minutes(5);
    EXPECT_EQ(module.host.scenesStarted, 1u);
    EXPECT_EQ(module.send(kCommandTestCloseWindow), 1);
}

TEST(ControlCommands, OptionsWindowRegistrationAndSettingsReload) {
    Module module;
    EXPECT_EQ(module.send(kCommandGetOptionsWindow), 0);
    module.send(kCommandSetOptionsWindow, 0x1234);
    EXPECT_EQ(module.send(kCommandGetOptionsWindow), 0x1234);
    EXPECT_EQ(module.send(1028), 0);

    module.host.fileSettings.nesselDisabled = 0;
    module.host.fileSettings.bedtimeMinutes = 10;
    module.minutes(12);  // not yet reloaded: nothing counted for Nessel
    module.send(kCommandOptionsUpdate);
    module.minutes(10);
    EXPECT_EQ(module.host.log, " nessel-turnoff@1320");

    module.host.fileSettings.hopsaDisabled = 1;
    module.host.fileSettings.nesselDisabled = 1;
    module.host.fileSettings.tolderDisabled = 1;
    module.send(kCommandOptionsUpdate);
    EXPECT_FALSE(module.host.trayShown);
    module.host.settingsFilePresent = false;
    module.host.fileSettings = Settings{};
    module.send(kCommandOptionsUpdate);
    EXPECT_TRUE(module.core().settings().tolderDisabled);
}

TEST(ControlCommands, ReloadPinsACounterPastANewBedtime) {
    Module module(withNessel());
    module.minutes(30);
    module.host.fileSettings.bedtimeMinutes = 20;
    module.send(kCommandOptionsUpdate);
    EXPECT_EQ(module.core().state().nesselMinutes, 19);
}

TEST(HandOverPassword, EndsAtTheTerminatorTheImageOr1024Units) {
    const uint8_t text[] = {'a', 0, 0x16, 0x04, 0, 0, 'z', 0};
    EXPECT_EQ(passwordFromHandOver(text, sizeof text), u"a\u0416");
    EXPECT_EQ(passwordFromHandOver(text, 3), u"a");  // a torn last unit is dropped
    EXPECT_EQ(passwordFromHandOver(text, 0), u"");

    std::vector<uint8_t> longText;
    for (int unit = 0; unit < 1500; ++unit) longText.insert(longText.end(), {'x', 0});
    EXPECT_EQ(passwordFromHandOver(longText.data(), longText.size()).size(), kHandOverPasswordLimit);
    longText.resize(kHandOverReadBytes);
    EXPECT_EQ(passwordFromHandOver(longText.data(), longText.size()), std::u16string(1024, u'x'));
}

TEST(VideoTitle, PatternFollowedByAtMostThreeCharactersOrASeparator) {
    for (std::u16string_view title :
         {u"film.avi - player", u"film.avi", u"FILM.AVI", u"x.mkv 12", u"Windows Media", u"clip.3gp - ",
          u"\u0444\u0438\u043b\u044c\u043c.MPEG - \u043f\u043b\u0435\u0435\u0440"})
        EXPECT_TRUE(isVideoTitle(title)) << std::string(title.begin(), title.end());
    for (std::u16string_view title :
         {u"holiday.mp4 [2]", u"windows media player", u"x.rmvb - y", u"", u"report.doc", u"a.avi1234 and b.avi"})
        EXPECT_FALSE(isVideoTitle(title)) << std::string(title.begin(), title.end());
}

}  // namespace
