// The guard's channel: who is answered what, and what a question may be.
#include <gtest/gtest.h>

#include "guard/parents_grants.h"
#include "guard/screen_reports.h"

namespace {

constexpr uint32_t kModule = 500;

bool rightPassword(const std::u16string& password) { return password == u"pw"; }

}  // namespace

// Session 1 runs the guard's module 500; session 2 none. A grant lasts 30 s,
// for its own session and the guard's module alone.
TEST(ParentsGrants, OnlyTheParentsGrantAndOnlyTheGuardsModuleTakes) {
    using A = GuardAsk;
    const std::map<uint32_t, uint32_t> modules{{1, kModule}};
    const struct {
        A ask;
        const char16_t* password;
        ChannelClient client;
        uint64_t at;
        bool yes;
        uint32_t module;
        uint32_t minutes = 30;
    } steps[] = {
        {A::Module, u"", {2, false, 7}, 0, false, 0},
        {A::Module, u"", {1, false, 7}, 0, true, kModule},
        {A::TakeGrant, u"", {1, false, kModule}, 0, false, kModule},  // nothing granted yet
        {A::Grant, u"pw", {1, false, 7}, 0, false, kModule},          // a child's program knows the password
        {A::Grant, u"no", {1, true, 7}, 0, false, kModule},
        {A::Grant, u"pw", {1, true, 7}, 1000, true, kModule},
        {A::TakeGrant, u"", {1, false, 8}, 1000, false, kModule},  // a decoy in the session
        {A::TakeGrant, u"", {2, false, kModule}, 1000, false, 0},  // another session
        {A::TakeGrant, u"", {1, false, kModule}, 30'999, true, kModule},
        {A::TakeGrant, u"", {1, false, 0}, 30'999, true, kModule},  // Windows XP cannot name the process
        {A::TakeGrant, u"", {1, false, kModule}, 31'000, false, kModule},
        {A::Screen, u"", {1, false, kModule}, 0, true, kModule},  // only the module may say what the screen shows
        {A::Screen, u"", {1, false, 7}, 0, false, kModule},
        {A::Screen, u"", {1, false, 0}, 0, false, kModule},
        {A::Request, u"доделать проект", {1, false, kModule}, 0, true, kModule},
        {A::Request, u"", {1, false, 7}, 0, false, kModule},
        {A::Request, u"", {1, false, kModule}, 0, false, kModule, 20},  // minutes nobody may ask for
    };
    ParentsGrants grants;
    for (const auto& step : steps) {
        const GuardAnswer answer =
            grants.answer({step.ask, step.password, step.minutes}, step.client, modules, &rightPassword, step.at);
        EXPECT_EQ(answer.yes, step.yes) << int(step.ask) << " at " << step.at << " from " << step.client.process;
        EXPECT_EQ(answer.moduleProcess, step.module);
    }
}

TEST(ParentsGrants, AQuestionIsWholeOrNothing) {
    const std::vector<uint8_t> grant = encodeQuestion({GuardAsk::Grant, u"Пароль", 1027});
    const std::optional<GuardQuestion> back = decodeQuestion(grant.data(), grant.size());
    ASSERT_TRUE(back);
    EXPECT_EQ(back->password, u"Пароль");
    EXPECT_EQ(back->command, 1027u);
    std::vector<uint8_t> unknown = grant, tooLong = grant;
    unknown[0] = 6;
    tooLong[9] = 0x04;  // 1030 units
    for (const auto& bytes : {unknown, tooLong, std::vector<uint8_t>(grant.begin(), grant.end() - 1)})
        EXPECT_FALSE(decodeQuestion(bytes.data(), bytes.size()));
    EXPECT_EQ(encodeQuestion({GuardAsk::Grant, std::u16string(2000, u'x')}).size(), kGuardQuestionLimit);
    // A screen's report: its processes, the foreground's, each 32 bits whole.
    const std::vector<uint8_t> screen = encodeQuestion({GuardAsk::Screen, u"", 0x01020304, {7, 0xFFFFFFFF}});
    EXPECT_EQ(decodeQuestion(screen.data(), screen.size())->onScreen, (std::vector<uint32_t>{7, 0xFFFFFFFF}));
    EXPECT_EQ(decodeQuestion(screen.data(), screen.size())->command, 0x01020304u);
    EXPECT_FALSE(decodeQuestion(screen.data(), screen.size() - 2));
    EXPECT_EQ(encodeQuestion({GuardAsk::Screen, u"", 0, std::vector<uint32_t>(600, 1)}).size(), kGuardQuestionLimit);
    // An answer with its note; an older guard's, without; a note of no known kind is none.
    std::vector<uint8_t> answer = encodeAnswer({true, 77, GuardNote::ProgramClose, 0xFFFFFFFC});
    EXPECT_EQ(decodeAnswer(answer.data(), answer.size())->noteValue, 0xFFFFFFFCu);
    EXPECT_EQ(decodeAnswer(answer.data(), answer.size())->note, GuardNote::ProgramClose);
    EXPECT_EQ(decodeAnswer(answer.data(), 8)->moduleProcess, 77u);
    EXPECT_EQ(decodeAnswer(answer.data(), 8)->note, GuardNote::None);
    for (size_t size : {size_t{7}, size_t{12}, size_t{15}}) EXPECT_FALSE(decodeAnswer(answer.data(), size)) << size;
    answer[8] = 4;
    EXPECT_EQ(decodeAnswer(answer.data(), answer.size())->note, GuardNote::None);
}

// The guard's notes for a session's module: the oldest first, each once,
// none told late, and no more kept than a silent module could ever take.
TEST(ScreenReports, NotesAreTakenOnceInOrderAndNeverLate) {
    ScreenReports reports;
    reports.leaveNote(1, GuardNote::ProgramWarning, 10, 1000);
    reports.leaveNote(1, GuardNote::ProgramClose, 4242, 2000);
    reports.leaveNote(2, GuardNote::ProgramEnded, 0, 2000);
    EXPECT_EQ(reports.takeNote(1, 3000), std::make_pair(GuardNote::ProgramWarning, 10u));
    EXPECT_EQ(reports.takeNote(1, 12'000), std::make_pair(GuardNote::ProgramClose, 4242u));
    EXPECT_EQ(reports.takeNote(1, 12'000).first, GuardNote::None);
    EXPECT_EQ(reports.takeNote(2, 12'001).first, GuardNote::None) << "told late";
    for (uint32_t i = 0; i < ScreenReports::kNotesKept + 1; ++i) reports.leaveNote(3, GuardNote::ProgramWarning, i, 0);
    EXPECT_EQ(reports.takeNote(3, 0).second, 1u);
}
