#include "app/roles.h"

#include <gtest/gtest.h>

TEST(Roles, EarlierSwitchWinsWhateverItsPosition) {
    EXPECT_EQ(planDispatch("qz.exe /close /run").role, Role::StartControlModule);
    EXPECT_EQ(planDispatch("qz.exe /enable /disable").role, Role::Disable);
    EXPECT_EQ(planDispatch("qz.exe /show:hopsa-usual /show:hopsa-manual").role, Role::ShowHopsaManual);
    EXPECT_EQ(planDispatch("qz.exe /show:test /uninstall").role, Role::ShowTest);
    EXPECT_EQ(planDispatch("qz.exe /message:/run").role, Role::StartControlModule);
}

TEST(Roles, SwitchesAreCaseSensitiveSubstrings) {
    EXPECT_EQ(planDispatch("qz.exe /RUN").role, Role::None);
    EXPECT_EQ(planDispatch("qz.exe x/palloy").role, Role::SettingsCombined);
    EXPECT_EQ(planDispatch("qz.exe /show:hopsa").role, Role::None);
    EXPECT_EQ(planDispatch("").role, Role::None);
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
    EXPECT_EQ(planDispatch("qz.exe /extra:30").role, Role::ExtraTime);
    for (auto [line, minutes] : {std::pair{"qz.exe /extra:30", 30},
                                 {"qz.exe /extra:240 /x", 240},
                                 {"/extra:241", 0},
                                 {"/extra:0", 0},
                                 {"/extra:15m", 0},
                                 {"/extra:", 0},
                                 {"/extra:99999999999", 0}})
        EXPECT_EQ(extraTimeMinutes(line), minutes) << line;
}

TEST(Roles, ManualFlagOnlyForHandStartedScenes) {
    EXPECT_TRUE(sceneFor(Role::ShowHopsaManual).manual);
    EXPECT_TRUE(sceneFor(Role::ShowTest).manual);
    for (Role r :
         {Role::ShowNesselTurnoff, Role::ShowNesselSleep, Role::ShowHopsaUsual, Role::ShowHopsaFirst, Role::ShowTolder})
        EXPECT_FALSE(sceneFor(r).manual);
}
