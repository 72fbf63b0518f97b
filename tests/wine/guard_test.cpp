// The guard service under Wine's service manager, installed and removed as
// the installer does it. Wine has one user: the guard's module runs as the
// test's user and is found by its window.
#include <windows.h>
#include <sddl.h>
#include <wtsapi32.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "calendar/child_limits.h"
#include "control/extra_time.h"
#include "control/extra_time_file_win.h"
#include "control/time_request.h"
#include "control/local_time_win.h"
#include "control/screen_sight_win.h"
#include "control/tray_icon_win.h"
#include "control/usage_history.h"
#include "control/usage_ledger_file_win.h"
#include "guard/event_log_win.h"
#include "guard/guard_installation_win.h"
#include "shell/guard_presence_win.h"
#include "guard/module_protection_win.h"
#include "guard/screen_reports.h"
#include "guard/session_guard_win.h"
#include "control/trick_log.h"
#include "resources/resource_ids.h"
#include "settings/password_store_win.h"
#include "settings/settings.h"
#include "shell/control_channel_win.h"
#include "shell/guard_channel_win.h"
#include "shell/data_locations_win.h"
#include "support/fake_control_module.h"
#include "support/module_thread.h"
#include "support/suite.h"

namespace {

// The process of a window of the module's title that this process (with its
// decoys) does not show.
DWORD moduleProcess() {
    for (HWND window = FindWindowW(nullptr, kControlWindowTitle); window;
         window = FindWindowExW(nullptr, window, nullptr, kControlWindowTitle)) {
        DWORD id = 0;
        GetWindowThreadProcessId(window, &id);
        if (id != GetCurrentProcessId()) return id;
    }
    return 0;
}

// The rights access rules (the guard's, the ledger folder's) give a group of users.
ACCESS_MASK rightsOf(WELL_KNOWN_SID_TYPE group, const wchar_t* rules = kGuardServiceAccess) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    BOOL present = FALSE, defaulted = FALSE;
    PACL acl = nullptr;
    BYTE sid[SECURITY_MAX_SID_SIZE];
    DWORD size = sizeof sid;
    ACCESS_MASK rights = 0;
    ACCESS_ALLOWED_ACE* ace = nullptr;
    if (ConvertStringSecurityDescriptorToSecurityDescriptorW(rules, 1, &descriptor, nullptr) &&
        GetSecurityDescriptorDacl(descriptor, &present, &acl, &defaulted) && acl &&
        CreateWellKnownSid(group, nullptr, sid, &size))
        for (DWORD i = 0; i < acl->AceCount; ++i)
            if (GetAce(acl, i, reinterpret_cast<void**>(&ace)) && EqualSid(&ace->SidStart, sid)) rights |= ace->Mask;
    LocalFree(descriptor);
    return rights;
}

std::wstring testUsersLedger(const wchar_t* extension = L"dat") {
    HANDLE token = nullptr;
    wchar_t path[MAX_PATH] = L"";
    if (OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token) && !ledgerPathOf(token, path, extension))
        path[0] = 0;
    if (token) CloseHandle(token);
    return path;
}

// The guard's record of the tricks it beat.
std::string tricks() { return suite::readBytes(std::wstring(dataLocations().commonFolder()) + L"\\guard\\tricks.csv"); }

CalendarRecord copiedCalendar() {
    const std::string bytes = suite::readBytes(testUsersLedger(L"cal"));
    return decodeCalendarRecord(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

int ledgerMinutes() {  // -1 while there is no ledger
    StateRecord record{0, 0, -1};
    const std::string bytes = suite::readBytes(testUsersLedger());
    decodeStateRecord(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), record);
    return record.nesselMinutes;
}

// The child's request for more time, as the guard keeps it.
std::optional<TimeRequest> keptRequest() {
    const std::string bytes = suite::readBytes(testUsersLedger(L"ask"));
    return decodeTimeRequest(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

// The key of today's hours in the limits file ("monday").
std::wstring todaysKey() {
    const std::u16string key = weekdayKey(localMinuteOf(suite::nowUtc()) / kMinutesPerDay % 7);
    return std::wstring(key.begin(), key.end());
}

Settings nesselOn() {
    Settings settings;
    settings.nesselDisabled = 0;
    return settings;
}

uint64_t gGuardNow = 0;
std::vector<std::pair<uint64_t, bool>> gShutdowns;  // the guard's clock at each, and whether forced
GuardClock guardNow() { return {gGuardNow, gGuardNow}; }
void recordShutdown(bool force) { gShutdowns.push_back({gGuardNow, force}); }
std::vector<std::pair<char, DWORD>> gSessionEnds;  // 'L' logged off, 'K' locked, with the session
void recordLogOff(DWORD session) { gSessionEnds.push_back({'L', session}); }
void recordLock(DWORD session) { gSessionEnds.push_back({'K', session}); }
std::vector<std::wstring> gScenes;  // the scenes the guard showed itself
void recordScene(HANDLE, const wchar_t* scene) { gScenes.push_back(scene); }
const SessionGuard::Ending kRecordedEnding{&recordScene, &recordShutdown, &recordLogOff, &recordLock};
using Shutdowns = std::vector<std::pair<uint64_t, bool>>;

// A guard in this process looks every 20 s of its clock, for that long.
constexpr uint64_t kSecond = 10'000'000;
void follow(SessionGuard& guard, uint64_t seconds, DWORD pauseMs = 150) {
    for (const uint64_t end = gGuardNow + seconds * kSecond; gGuardNow < end; gGuardNow += 20 * kSecond, Sleep(pauseMs))
        guard.follow();
}

class Guard : public ::testing::Test {
protected:
    void SetUp() override { suite::installControlModule(); }
    void TearDown() override {
        suite::run(suite::qzPath(), L"/remove-guard", 30000);
        suite::stopControlModules();
        suite::removeSuiteFiles();  // with the ledger, which would hold later modules to it
    }
};

}  // namespace

TEST_F(Guard, KeepsTheModuleRunningUntilTheParentsCloseIt) {
    Settings others;  // a user the settings leave alone gets no module
    others.selectedUsersOnly = 1;
    others.users = {u"someone-else"};
    ASSERT_TRUE(suite::writeSettings(others));
    ASSERT_EQ(suite::run(suite::qzPath(), L"/install-guard", 30000), 0u);
    SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT);
    SC_HANDLE service = OpenServiceW(manager, kGuardServiceName, SERVICE_QUERY_CONFIG | SERVICE_QUERY_STATUS);
    ASSERT_NE(service, nullptr);
    // As the Services list shows it: its Russian name, started with Windows.
    std::string config(8192, '\0');
    auto* settings = reinterpret_cast<QUERY_SERVICE_CONFIGW*>(&config[0]);
    DWORD size = 0;
    ASSERT_TRUE(QueryServiceConfigW(service, settings, static_cast<DWORD>(config.size()), &size));
    wchar_t displayName[256] = L"";
    LoadStringW(GetModuleHandleW(nullptr), IDS_GUARD_DISPLAY_NAME, displayName, 256);
    EXPECT_STREQ(settings->lpDisplayName, displayName);
    EXPECT_EQ(settings->dwStartType, static_cast<DWORD>(SERVICE_AUTO_START));
    SERVICE_STATUS status{};
    EXPECT_TRUE(suite::waitUntil(5000, [&] {
        return QueryServiceStatus(service, &status) && status.dwCurrentState == SERVICE_RUNNING;
    }));
    Sleep(4000);
    EXPECT_EQ(moduleProcess(), 0u) << "a module started for a user the settings leave alone";

    // For a controlled user it starts the module, and brings it back when it
    // is ended as Task Manager ends it, whatever window of its title answers
    // the window test beside it.
    ASSERT_TRUE(suite::writeSettings(Settings{}));
    DWORD first = 0, second = 0;
    ASSERT_TRUE(suite::waitUntil(10000, [&] { return (first = moduleProcess()) != 0; })) << "no module started";
    {
        suite::FakeControlModule decoy;
        HANDLE ended = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, first);
        TerminateProcess(ended, 1);
        WaitForSingleObject(ended, 5000);
        CloseHandle(ended);
        EXPECT_TRUE(suite::waitUntil(10000, [&] { return (second = moduleProcess()) != 0 && second != first; }))
            << "the module was not back within 10 s";
        EXPECT_NE(tricks().find(";1\r\n"), std::string::npos) << "the module's end went unrecorded: " << tricks();

        // The parents close it with their password, which the guard takes
        // (the hand-over file is never needed), the decoy gets no command, and
        // the module stays closed.
        ASSERT_TRUE(storePassword(u"pw"));
        // A folder in the hand-over file's place: no password can go there.
        DeleteFileW(dataLocations().handOverPath());
        CreateDirectoryW(dataLocations().handOverPath(), nullptr);
        ASSERT_TRUE(suite::runAnsweringPassword(L"/close", L"pw"));
        EXPECT_TRUE(suite::waitUntil(5000, [] { return moduleProcess() == 0; }));
        EXPECT_EQ(decoy.commands().size(), 0u) << decoy.commands()[0].code;
        RemoveDirectoryW(dataLocations().handOverPath());
        // While a program holds the guard's channel, the decoy does not stand in for its answer.
        HANDLE holding =
            CreateFileW(kGuardPipeName, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        EXPECT_NE(holding, INVALID_HANDLE_VALUE);
        EXPECT_EQ(findControlWindow(), nullptr);
        CloseHandle(holding);
    }
    Sleep(5000);
    EXPECT_EQ(moduleProcess(), 0u) << "the guard started the closed module again";

    // Its events' source, with the Russian texts in qz.exe (Wine's log keeps no events).
    const std::wstring key =
        L"SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\" + std::wstring(kEventSource);
    wchar_t messages[MAX_PATH] = L"";
    DWORD messagesSize = sizeof messages;
    ASSERT_EQ(RegGetValueW(HKEY_LOCAL_MACHINE, key.c_str(), L"EventMessageFile", RRF_RT_ANY, nullptr, messages,
                           &messagesSize),
              ERROR_SUCCESS);
    HMODULE table = LoadLibraryExW(messages, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    wchar_t* text = nullptr;
    const DWORD_PTR child[] = {reinterpret_cast<DWORD_PTR>(L"Маша")};
    ASSERT_TRUE(
        FormatMessageW(FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_ARGUMENT_ARRAY,
                       table, kTrickEventBase + static_cast<DWORD>(Trick::ModuleEnded),
                       MAKELANGID(LANG_RUSSIAN, SUBLANG_DEFAULT), reinterpret_cast<wchar_t*>(&text), 0,
                       reinterpret_cast<va_list*>(const_cast<DWORD_PTR*>(child))));
    EXPECT_EQ(std::wstring(text).find(L"Пользователь Маша: модуль контроля завершён"), 0u) << text;
    LocalFree(text);
    FreeLibrary(table);

    EXPECT_EQ(suite::run(suite::qzPath(), L"/remove-guard", 30000), 0u);
    EXPECT_NE(RegGetValueW(HKEY_LOCAL_MACHINE, key.c_str(), L"EventMessageFile", RRF_RT_ANY, nullptr, nullptr, nullptr),
              ERROR_SUCCESS);
    CloseServiceHandle(service);
    EXPECT_EQ(OpenServiceW(manager, kGuardServiceName, SERVICE_QUERY_STATUS), nullptr) << "the guard is left";
    CloseServiceHandle(manager);
}

// A decoy (the module's program in another role, its box left open) is not
// taken for the module, and a module suspended for a minute loses it all the
// same: the guard counts the minutes itself, and notes the module's silence.
TEST_F(Guard, ADecoyOrAnEndedModuleChangesNoMinute) {
    StateRecord evening;
    evening.nesselMinutes = 30;
    evening.lastActive = evening.lastAwake = suite::nowUtc();
    ASSERT_TRUE(writeLedgerFile(testUsersLedger().c_str(), encodeStateRecord(evening)));
    ASSERT_TRUE(suite::writeSettings(nesselOn()));
    HANDLE decoy = suite::start(dataLocations().controlModulePath(), L"/message:x");
    ASSERT_EQ(suite::run(suite::qzPath(), L"/install-guard", 30000), 0u);
    EXPECT_TRUE(suite::waitUntil(10000, [] { return moduleProcess() != 0; })) << "the decoy kept the module out";
    EXPECT_TRUE(suite::waitUntil(5000, [] { return tricks().find(";2\r\n") != std::string::npos; })) << tricks();
    const DWORD module = moduleProcess();
    Sleep(5000);  // the guard has heard the module report its screen: its silence is news
    suite::suspendProcess(module, true);
    EXPECT_TRUE(suite::waitUntil(75000, [] { return ledgerMinutes() >= 31; })) << ledgerMinutes();
    suite::suspendProcess(module, false);
    EXPECT_NE(tricks().find(";9\r\n"), std::string::npos) << "its silence went unnoted: " << tricks();
    suite::killProcess(decoy);
}

// A module that ran before the guard (the Run key's) gives way at its next
// minute to the one the guard starts.
TEST_F(Guard, AModuleItDidNotStartGivesWay) {
    ASSERT_TRUE(suite::writeSettings(Settings{}));
    suite::ModuleThread early;
    HWND window = early.start(300);
    ASSERT_NE(window, nullptr);
    ASSERT_EQ(suite::run(suite::qzPath(), L"/install-guard", 30000), 0u);
    EXPECT_TRUE(suite::waitUntil(10000, [&] { return !IsWindow(window); })) << "two modules stay";
    EXPECT_TRUE(suite::waitUntil(10000, [] { return moduleProcess() != 0; }));
}

// Inside the sleep time, with a module that exits as it starts, the guard (in
// this process, with the test's clock and shut-down: Wine's
// InitiateSystemShutdownEx does nothing) forces the shut-down after 3 minutes,
// also when it starts with the settings held open by another program: it goes
// on from its own copy of them.
TEST_F(Guard, HoldsTheSleepTimeWhenTheModuleEndsAtOnce) {
    ASSERT_TRUE(suite::useRecorderAsModule());
    ASSERT_TRUE(suite::writeSettings(nesselOn()));
    const uint64_t start = gGuardNow = suite::nowUtc();
    StateRecord asleep;  // ten minutes into the hour of sleep time
    asleep.sleepPending = true;
    asleep.lastActive = asleep.lastAwake = start - 600 * kSecond;
    ASSERT_TRUE(writeLedgerFile(testUsersLedger().c_str(), encodeStateRecord(asleep)));
    SessionGuard(&guardNow, kRecordedEnding).follow();  // the guard's first look keeps its copy of the settings
    HANDLE held = CreateFileW(dataLocations().settingsPath(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    gScenes.clear();
    SessionGuard guard(&guardNow, kRecordedEnding);
    follow(guard, 240);
    CloseHandle(held);
    EXPECT_EQ(gScenes, std::vector<std::wstring>{L"/show:nessel-sleep"}) << "no scene where the module is missing";
    EXPECT_EQ(gShutdowns, (Shutdowns{{start + 180 * kSecond, true}}));
    EXPECT_NE(tricks().find(";3\r\n"), std::string::npos) << tricks();
}

// What Windows tells the service (said here to a guard in this process, with
// the test's clock): a locked session's minutes do not count, and a close in
// another session leaves this one's module to be started again. The sleep
// time is long, so that the locked minutes give back none.
TEST_F(Guard, FollowsEachSessionOnItsOwn) {
    const std::wstring log = std::wstring(dataLocations().controlModulePath()) + L".log";
    DeleteFileW(log.c_str());
    ASSERT_TRUE(suite::useRecorderAsModule());
    Settings settings = nesselOn();
    settings.sleepMinutes = 1440;
    ASSERT_TRUE(suite::writeSettings(settings));
    StateRecord evening;
    evening.nesselMinutes = 30;
    evening.lastActive = evening.lastAwake = gGuardNow = suite::nowUtc();
    ASSERT_TRUE(writeLedgerFile(testUsersLedger().c_str(), encodeStateRecord(evening)));
    SessionGuard guard(&guardNow, kRecordedEnding);
    const auto followFor = [&](uint64_t seconds) {
        follow(guard, seconds);
        Sleep(1500);  // for the last module's note
    };
    const auto starts = [&] { return suite::countOf(suite::readLog(log), L"/control"); };
    const DWORD session = WTSGetActiveConsoleSessionId();
    guard.sessionEvent(session, SessionEvent::Lock);
    followFor(180);
    EXPECT_EQ(ledgerMinutes(), 30) << "minutes counted while the session was locked";
    guard.sessionEvent(session, SessionEvent::Unlock);
    guard.parentsClose(session + 1);
    const size_t beforeOthersClose = starts();
    // The copy users read, held open meanwhile, loses the guard nothing.
    HANDLE held = CreateFileW(testUsersLedger().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    followFor(180);
    CloseHandle(held);
    followFor(60);
    EXPECT_GE(ledgerMinutes(), 33);
    const size_t before = starts();
    EXPECT_GT(before, beforeOthersClose) << "a close in another session stopped this one's module";
    guard.parentsClose(session);
    followFor(60);
    EXPECT_EQ(starts(), before) << "a module started after the parents closed it";
    DeleteFileW(log.c_str());
}

// The calendar held by a guard in this process (the test's clock and
// shut-down, a module that ends as it starts): a day closed whole is shut down
// three minutes after the turn-off, but not inside the parents' extra time; a
// day with a budget counts the minutes, into the guard's copy and the day's
// line of the history. A module whose calendar file claims the parents' mode
// changes nothing. Where the parents chose to log the child off or lock the
// session, that session alone ends, twice (the polite step and the forced one).
TEST_F(Guard, HoldsTheCalendarAndKeepsItsRecordAndHistory) {
    ASSERT_TRUE(suite::useRecorderAsModule());
    ASSERT_TRUE(suite::writeSettings(nesselOn()));
    const uint64_t start = gGuardNow = suite::nowUtc();
    const int32_t today = static_cast<int32_t>(localMinuteOf(start) / kMinutesPerDay);
    const std::wstring closed = todaysKey() + L" = -";
    const auto followFor = [&](const std::wstring& rules, uint64_t extraUntil, uint64_t seconds = 300) {
        suite::writeLimits(rules);
        writeLedgerFile(testUsersLedger(L"extra").c_str(), encodeExtraTime(extraUntil));
        gShutdowns.clear();
        gSessionEnds.clear();
        gScenes.clear();
        SessionGuard guard(&guardNow, kRecordedEnding);
        follow(guard, seconds, 100);
    };
    followFor(closed, 0);
    EXPECT_EQ(gShutdowns, (Shutdowns{{start + 240 * kSecond, false}}));
    EXPECT_EQ(gScenes, std::vector<std::wstring>{L"/show:nessel-turnoff"});
    followFor(closed, gGuardNow + 3600 * kSecond);
    EXPECT_TRUE(gShutdowns.empty());
    followFor(todaysKey() + L" = 00:00-24:00\r\n" + todaysKey() + L".minutes = 100", 0);
    EXPECT_GE(copiedCalendar().usedMinutes, 3);
    const std::string history = suite::readBytes(testUsersLedger(L"csv")), day = dateOf(today) + ";";
    EXPECT_EQ(history.substr(0, history.find("\r\n") + 2 + day.size()), kHistoryHeader + ("\r\n" + day)) << history;
    EXPECT_EQ(history.substr(history.size() - 8), ";1;100\r\n") << history;

    const CalendarImage image = encodeCalendarRecord(CalendarRecord{today, 0, 0, 0, 0, true});
    suite::writeBytes(dataLocations().calendarPath(), std::vector<uint8_t>(image.begin(), image.end()));
    const int32_t used = copiedCalendar().usedMinutes;
    followFor(closed, 0);
    EXPECT_FALSE(gShutdowns.empty());
    EXPECT_EQ(copiedCalendar().usedMinutes, used);

    const DWORD session = WTSGetActiveConsoleSessionId();
    for (const auto& [ending, recorded] : {std::pair{L"logoff", 'L'}, {L"Lock", 'K'}}) {
        followFor(closed + L"\r\nend = " + ending, 0, 420);
        EXPECT_TRUE(gShutdowns.empty()) << ending;
        EXPECT_EQ(gSessionEnds, (std::vector<std::pair<char, DWORD>>{{recorded, session}, {recorded, session}}));
    }
}

// Wine neither keeps nor enforces a service's access rules: the rules
// installGuardService sets are read as Windows applies them. A child (an
// interactive user) may look at the guard, never stop, reconfigure or remove
// it, nor send it the parents' requests; administrators may.
TEST(GuardAccess, OnlyAdministratorsMayStopTheGuardSendItRequestsOrChangeTheLedgers) {
    const ACCESS_MASK forbidden = SERVICE_STOP | SERVICE_PAUSE_CONTINUE | SERVICE_USER_DEFINED_CONTROL |
                                  SERVICE_CHANGE_CONFIG | SERVICE_START | DELETE | WRITE_DAC | WRITE_OWNER;
    for (WELL_KNOWN_SID_TYPE user :
         {WinInteractiveSid, WinServiceSid, WinAuthenticatedUserSid, WinWorldSid, WinBuiltinUsersSid})
        EXPECT_EQ(rightsOf(user) & forbidden, 0u) << user;
    EXPECT_NE(rightsOf(WinInteractiveSid) & SERVICE_QUERY_STATUS, 0u);
    const ACCESS_MASK parents = SERVICE_STOP | SERVICE_USER_DEFINED_CONTROL;
    for (WELL_KNOWN_SID_TYPE owner : {WinBuiltinAdministratorsSid, WinLocalSystemSid})
        EXPECT_EQ(rightsOf(owner) & parents, parents) << owner;
    // The ledgers' folder: users only read it.
    const ACCESS_MASK change = FILE_WRITE_DATA | FILE_APPEND_DATA | DELETE | WRITE_DAC | WRITE_OWNER;
    EXPECT_EQ(rightsOf(WinBuiltinUsersSid, kLedgerFolderAccess) & (change | FILE_GENERIC_READ), FILE_GENERIC_READ);
    EXPECT_EQ(rightsOf(WinLocalSystemSid, kLedgerFolderAccess) & change, change);
    // The guard's own records: nobody but the system and administrators may
    // even open them, so nobody else can hold them open.
    for (WELL_KNOWN_SID_TYPE user : {WinBuiltinUsersSid, WinInteractiveSid, WinAuthenticatedUserSid, WinWorldSid})
        EXPECT_EQ(rightsOf(user, kGuardRecordsAccess), 0u) << user;
    EXPECT_EQ(rightsOf(WinBuiltinAdministratorsSid, kGuardRecordsAccess) & change, change);
    // The module's process (Wine keeps no process rules and no integrity
    // levels): its own user, as owner or not, may not end, suspend, write,
    // debug or re-rule it; administrators may end it. It runs at high integrity.
    const ACCESS_MASK hands = PROCESS_TERMINATE | PROCESS_SUSPEND_RESUME | PROCESS_VM_WRITE | PROCESS_VM_OPERATION |
                              PROCESS_CREATE_THREAD | PROCESS_DUP_HANDLE | PROCESS_SET_INFORMATION | WRITE_DAC |
                              WRITE_OWNER | DELETE;
    for (WELL_KNOWN_SID_TYPE user : {WinInteractiveSid, WinCreatorOwnerRightsSid, WinAuthenticatedUserSid, WinWorldSid})
        EXPECT_EQ(rightsOf(user, kModuleProcessAccess) & hands, 0u) << user;
    EXPECT_NE(rightsOf(WinInteractiveSid, kModuleProcessAccess) & SYNCHRONIZE, 0u);
    EXPECT_NE(rightsOf(WinBuiltinAdministratorsSid, kModuleProcessAccess) & PROCESS_TERMINATE, 0u);
    PSID level = nullptr;
    BYTE high[SECURITY_MAX_SID_SIZE];
    DWORD highSize = sizeof high;
    ASSERT_TRUE(ConvertStringSidToSidW(kModuleIntegrity, &level));
    ASSERT_TRUE(CreateWellKnownSid(WinHighLabelSid, nullptr, high, &highSize));
    EXPECT_TRUE(EqualSid(level, high));
    LocalFree(level);
}

// A program the parents limit to a minute today, followed by a guard in this
// process (the test's clock; what it asks of the child's qz.exe recorded): a
// renamed copy of qz.exe, known by its version information's product name,
// counts nothing while the module says it has no window on the screen, and
// is warned through that module; then (the module silent, the child's qz.exe
// told instead) it is asked to close, ended a minute later and at once when
// started again, and its name goes into the tricks' record (twice, though
// the record was held open at the first). The
// close the guard asks for, run as the child's qz.exe runs it, closes the
// program's window.
TEST_F(Guard, EndsALimitedProgramUnderAnyName) {
    ASSERT_TRUE(suite::useRecorderAsModule());
    ASSERT_TRUE(suite::writeSettings(Settings{}));
    gGuardNow = suite::nowUtc();
    const int32_t today = static_cast<int32_t>(localMinuteOf(gGuardNow) / kMinutesPerDay);
    const std::wstring group = L"program.\x0418\x0433\x0440\x044B";  // "Игры"
    ASSERT_NE(suite::writeLimits(group + L" = Pallo\r\n" + group + L"." + todaysKey() + L".minutes = 1"), L"");
    const std::wstring game = suite::tempPath(L"homework.exe");
    ASSERT_TRUE(CopyFileW(suite::qzPath().c_str(), game.c_str(), FALSE));
    const auto exitOf = [](HANDLE process) {
        DWORD code = STILL_ACTIVE;
        WaitForSingleObject(process, 5000);
        GetExitCodeProcess(process, &code);
        return code;
    };
    struct Games : std::vector<HANDLE> {  // each ended, whatever fails, for the tests after
        ~Games() { std::for_each(begin(), end(), &suite::killProcess); }
    } games;
    const auto startGame = [&] {  // and wait until it shows its window
        games.push_back(suite::start(game, L"/message:x"));
        suite::waitForWindow(L"Info", 10000);
        return games.back();
    };
    HANDLE played = startGame();
    gScenes.clear();
    ScreenReports screens;
    SessionGuard guard(&guardNow, kRecordedEnding, &screens);
    std::vector<std::pair<GuardNote, uint32_t>> notes;  // the module that reports its screen is left them, for its balloons
    // The tricks' log held open meanwhile: the first renamed copy's line waits for the next trick.
    const std::wstring log = std::wstring(dataLocations().commonFolder()) + L"\\guard\\tricks.csv";
    CreateDirectoryW(std::wstring(dataLocations().commonFolder()).append(L"\\guard").c_str(), nullptr);
    suite::writeBytes(log, std::string(kTrickHeader) + "\r\n");
    HANDLE held = CreateFileW(log.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    const DWORD session = WTSGetActiveConsoleSessionId();
    for (int look = 0; look < 10; ++look, gGuardNow += 20 * kSecond) {  // minimised
        screens.put(session, {{}, 0, gGuardNow / 10'000});
        guard.follow();
        for (auto note = screens.takeNote(session, gGuardNow / 10'000); note.first != GuardNote::None;
             note = screens.takeNote(session, gGuardNow / 10'000))
            notes.push_back(note);
    }
    CloseHandle(held);
    EXPECT_EQ(notes, (std::vector<std::pair<GuardNote, uint32_t>>{{GuardNote::ProgramWarning, 1}}));
    EXPECT_EQ(gScenes, std::vector<std::wstring>{});
    follow(guard, 140);  // looks 20 s apart count 10 s each: the minute is full at the last
    const std::wstring close = L"/program-close:" + std::to_wstring(GetProcessId(played));
    EXPECT_EQ(gScenes, std::vector<std::wstring>{close});
    EXPECT_EQ(WaitForSingleObject(played, 0), static_cast<DWORD>(WAIT_TIMEOUT)) << "no minute to save";
    follow(guard, 60);
    EXPECT_EQ(exitOf(played), 1u) << "not ended after its minute to save";
    played = startGame();
    follow(guard, 20);
    EXPECT_EQ(exitOf(played), 1u) << "started again after its limit";
    EXPECT_EQ(gScenes.back(), L"/program-ended");
    const std::string record = tricks();
    size_t renamed = 0;
    for (size_t at = 0; (at = record.find(";7\r\n", at)) != std::string::npos; ++at) ++renamed;
    EXPECT_EQ(renamed, 2u) << record;
    const std::string history = suite::readBytes(testUsersLedger(L"programs.csv"));
    EXPECT_NE(history.find(dateOf(today) + ";\xD0\x98\xD0\xB3\xD1\x80\xD1\x8B;1;1\r\n"), std::string::npos) << history;
    const std::string seen = suite::readBytes(std::wstring(dataLocations().commonFolder()) + L"\\guard\\programs.csv");
    EXPECT_NE(seen.find(";homework.exe;"), std::string::npos) << "not offered to the parents: " << seen;

    played = startGame();
    HANDLE asking = suite::start(suite::qzPath(), L"/program-close:" + std::to_wstring(GetProcessId(played)));
    EXPECT_EQ(exitOf(played), 0u) << "its window was not asked to close";
    suite::killProcess(asking);
    DeleteFileW(game.c_str());
}

// The guard service and its module, over the real channel: a program whose
// time today is none has its window closed by the module, which the guard
// left the close with its answer to the module's report of the screen (no
// message box of the child's qz.exe says it: the module's balloon does), and
// its copies under another name and in another folder ended at once and
// noted among the tricks; the child's request for more time, made in the
// module's menu, is kept by the guard with the minutes chosen and the words
// typed, and marked granted once the parents give extra time.
TEST_F(Guard, TalksWithItsModuleOverTheChannel) {
    ASSERT_TRUE(suite::writeSettings(Settings{}));
    ASSERT_EQ(suite::run(suite::qzPath(), L"/install-guard", 30000), 0u);
    ASSERT_TRUE(suite::waitUntil(10000, [] { return moduleProcess() != 0; })) << "no module started";
    const std::wstring game = suite::tempPath(L"game.exe");
    ASSERT_TRUE(CopyFileW(suite::qzPath().c_str(), game.c_str(), FALSE));
    HANDLE played = suite::start(game, L"/message:x");
    ASSERT_NE(suite::waitForWindow(L"Info", 10000), nullptr);
    Sleep(4000);  // the module's reports of its screen have begun
    // The game's time today runs out as it plays.
    suite::writeLimits(L"program.games = game.exe\r\nprogram.games." + todaysKey() + L".minutes = 0\r\n");
    DWORD code = STILL_ACTIVE;
    EXPECT_EQ(WaitForSingleObject(played, 20000), WAIT_OBJECT_0);
    EXPECT_TRUE(GetExitCodeProcess(played, &code) && code == 0) << "ended, not asked to close: " << code;
    EXPECT_EQ(FindWindowW(L"#32770", L"Tolder"), nullptr) << "told by the child's qz.exe, not the module";
    suite::killProcess(played);
    // Copies, under a name neither the parents nor its version information
    // gives (known by the file's fingerprint) and under its own name in
    // another folder, are ended at once and noted.
    const std::wstring folder = suite::tempPath(L"elsewhere");
    CreateDirectoryW(folder.c_str(), nullptr);
    Sleep(4000);  // a look or two sees the game gone: its time is over
    for (const std::wstring& copy : {suite::tempPath(L"other.exe"), folder + L"\\game.exe"}) {
        ASSERT_TRUE(CopyFileW(game.c_str(), copy.c_str(), FALSE));
        played = suite::start(copy, L"/message:x");
        EXPECT_EQ(WaitForSingleObject(played, 10000), WAIT_OBJECT_0);
        EXPECT_TRUE(GetExitCodeProcess(played, &code) && code == 1) << "not ended: " << code;
        suite::killProcess(played);
        DeleteFileW(copy.c_str());
    }
    Sleep(1000);  // the look that ended it notes it when done; reading meanwhile would hold the log
    const std::string noted = tricks();
    EXPECT_NE(noted.find(";7\r\n"), std::string::npos) << noted;
    EXPECT_NE(noted.find(";8\r\n"), std::string::npos) << noted;
    DeleteFileW(game.c_str());
    RemoveDirectoryW(folder.c_str());

    HWND module = findControlWindow();
    ASSERT_NE(module, nullptr);
    PostMessageW(module, kTrayCallbackMessage, 0, WM_RBUTTONUP);
    HWND menu = nullptr;
    ASSERT_TRUE(
        suite::waitUntil(3000, [&] { return (menu = FindWindowW(L"#32768", nullptr)) && IsWindowVisible(menu); }));
    PostMessageW(menu, WM_KEYDOWN, VK_UP, 0);  // the last item: ask for more
    PostMessageW(menu, WM_KEYDOWN, VK_RETURN, 0);
    HWND form = suite::waitForWindow(L"Попросить ещё времени", 5000);
    ASSERT_NE(form, nullptr);
    // Found by its title, the form may still be making its controls: it shows once it has them.
    ASSERT_TRUE(suite::waitUntil(5000, [&] { return IsWindowVisible(form) != FALSE; }));
    SendDlgItemMessageW(form, IDC_REQUEST_MINUTES, CB_SETCURSEL, 1, 0);
    SetDlgItemTextW(form, IDC_REQUEST_REASON, L"доделать проект");
    suite::press(form, IDOK);
    std::optional<TimeRequest> kept;
    EXPECT_TRUE(suite::waitUntil(10000, [&] { return (kept = keptRequest()).has_value(); }));
    EXPECT_EQ(kept ? kept->reason : u"", u"доделать проект");
    EXPECT_EQ(kept ? kept->minutes : 0, 30);
    ASSERT_TRUE(grantExtraTime(testUsersLedger(L"extra").c_str(), 30));
    EXPECT_TRUE(suite::waitUntil(10000, [] { return keptRequest().value_or(TimeRequest{}).granted; }))
        << "not marked granted";
}

// What the guard's module tells the guard of its screen: the processes with a
// visible, not minimised window, and the one in front.
TEST(ScreenSight, SeesShownWindowsAndTheForegroundOnly) {
    HWND window = CreateWindowExW(0, L"STATIC", L"shown", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 200, 100,
                                  nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    SetForegroundWindow(window);
    const auto shown = [] {
        const std::vector<uint32_t> seen = screenSight().onScreen;
        return std::count(seen.begin(), seen.end(), GetCurrentProcessId()) == 1;
    };
    EXPECT_TRUE(shown());
    EXPECT_EQ(screenSight().command, GetCurrentProcessId());
    ShowWindow(window, SW_MINIMIZE);
    EXPECT_FALSE(shown());
    DestroyWindow(window);
}

