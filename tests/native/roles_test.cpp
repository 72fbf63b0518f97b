#include "app/roles.h"

#include <gtest/gtest.h>

TEST(Roles, EarlierSwitchWinsAndSwitchesAreCaseSensitiveSubstrings) {
    for (auto [line, role] : {std::pair{"qz.exe /close /run", Role::StartControlModule},
                              {"qz.exe /enable /disable", Role::Disable},
                              {"qz.exe /show:hopsa-usual /show:hopsa-manual", Role::ShowHopsaManual},
                              {"qz.exe /show:test /uninstall", Role::ShowTest},
                              {"qz.exe /message:/run", Role::StartControlModule},
                              {"qz.exe /extra:30", Role::ExtraTime},
                              {"qz.exe /program-close:7", Role::ProgramClose},
                              {"qz.exe /RUN", Role::None},
                              {"qz.exe x/palloy", Role::SettingsCombined},
                              {"qz.exe /show:hopsa", Role::None},
                              {"", Role::None}})
        EXPECT_EQ(planDispatch(line).role, role) << line;
}

TEST(Roles, ControlAloneRunsTheModuleAndNothingAfter) {
    DispatchPlan plan = planDispatch("\"C:\\Pallo\\services.exe\" /control");
    EXPECT_TRUE(plan.runControlModule);
    EXPECT_EQ(plan.role, Role::None);
    EXPECT_FALSE(planDispatch("qz.exe /run").runControlModule);
}

TEST(Roles, MessageTextIsTheRestAfterTheFirstSwitch) {
    EXPECT_EQ(messageText("qz.exe /message:hello big world"), "hello big world");
    EXPECT_EQ(messageText("qz.exe /message:a /message:b"), "a /message:b");
    EXPECT_EQ(messageText("qz.exe /message:"), "");
    EXPECT_EQ(messageText("qz.exe"), "");
}

TEST(Roles, ExtraTimeIsAWholeNumberOfMinutesUpToFourHours) {
    for (auto [line, minutes] : {std::pair{"qz.exe /extra:30", 30},
                                 {"qz.exe /extra:240 /x", 240},
                                 {"/extra:241", 0},
                                 {"/extra:0", 0},
                                 {"/extra:15m", 0},
                                 {"/extra:", 0},
                                 {"/extra:99999999999", 0}})
        EXPECT_EQ(extraTimeMinutes(line), minutes) << line;
    // A process's number takes all 32 bits, and no more.
    EXPECT_EQ(switchNumber("/program-close:4294967295", kProgramCloseSwitch, UINT32_MAX), UINT32_MAX);
    EXPECT_EQ(switchNumber("/program-close:4294967296", kProgramCloseSwitch, UINT32_MAX), 0u);
}

TEST(Roles, ManualFlagOnlyForHandStartedScenes) {
    EXPECT_TRUE(sceneFor(Role::ShowHopsaManual).manual);
    EXPECT_TRUE(sceneFor(Role::ShowTest).manual);
    for (Role r :
         {Role::ShowNesselTurnoff, Role::ShowNesselSleep, Role::ShowHopsaUsual, Role::ShowHopsaFirst, Role::ShowTolder})
        EXPECT_FALSE(sceneFor(r).manual);
}
