#include "guard/session_guard_win.h"

#include <shlobj.h>
#include <tlhelp32.h>
#include <userenv.h>
#include <wtsapi32.h>

#include <algorithm>
#include <string>
#include <vector>

#include "common/system_function_win.h"
#include "common/whole_file_win.h"
#include "control/child_limits.h"
#include "control/controlled_user.h"
#include "control/extra_time.h"
#include "control/limits_file_win.h"
#include "control/local_time_win.h"
#include "control/shutdown_win.h"
#include "control/usage_history.h"
#include "control/usage_ledger_file_win.h"
#include "settings/settings.h"
#include "shell/data_locations_win.h"
#include "shell/process_identity_win.h"

namespace {

constexpr DWORD kNameCapacity = 256;
constexpr DWORD kNoSession = 0xFFFFFFFF;

// A control module already running in the session, opened to wait on; null
// when there is none. Another program's file of the same name (the system
// has a services.exe of its own) does not count.
HANDLE runningModuleIn(DWORD session) {
    const wchar_t* module = dataLocations().controlModulePath();
    const wchar_t* name = wcsrchr(module, L'\\');
    name = name ? name + 1 : module;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return nullptr;
    HANDLE found = nullptr;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry); more && !found; more = Process32NextW(snapshot, &entry)) {
        DWORD processSession = 0;
        if (lstrcmpiW(entry.szExeFile, name) != 0 || !ProcessIdToSessionId(entry.th32ProcessID, &processSession) ||
            processSession != session)
            continue;
        HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | SYNCHRONIZE, FALSE, entry.th32ProcessID);
        wchar_t path[MAX_PATH] = L"";
        if (process && programOfProcess(process, path) && lstrcmpiW(path, module) == 0)
            found = process;
        else if (process)
            CloseHandle(process);
    }
    CloseHandle(snapshot);
    return found;
}

bool startedAfter(HANDLE process, const FILETIME& moment) {
    FILETIME created{}, exited{}, kernel{}, user{};
    return GetProcessTimes(process, &created, &exited, &kernel, &user) && CompareFileTime(&created, &moment) > 0;
}

std::u16string userNameOf(HANDLE token) {
    TokenUserBuffer buffer;
    PSID user = userOfToken(token, buffer);
    if (!user) return {};
    wchar_t name[kNameCapacity], domain[kNameCapacity];
    DWORD nameSize = kNameCapacity, domainSize = kNameCapacity;
    SID_NAME_USE use;
    if (!LookupAccountSidW(nullptr, user, name, &nameSize, domain, &domainSize, &use)) return {};
    return std::u16string(reinterpret_cast<const char16_t*>(name), nameSize);
}

Settings currentSettings() {
    Settings settings;
    std::vector<uint8_t> image;
    readWholeFile(dataLocations().settingsPath(), image);
    settings.load(image);
    return settings;
}

bool controlsUser(const Settings& settings, HANDLE token) {
    const std::u16string name = userNameOf(token);
    return !name.empty() && isControlledUser(settings, name);
}

// The start of Windows 7's WTSINFOEXW, which this toolchain's headers predate.
constexpr int kSessionInfoEx = 25;  // WTSSessionInfoEx
constexpr LONG kSessionLocked = 0;  // WTS_SESSIONSTATE_LOCK
struct SessionInfoEx {
    DWORD level;
    struct alignas(8) {
        ULONG sessionId;
        int connectState;
        LONG flags;
    } level1;
};

// The sessions' and environments' libraries are the guard's alone: a scene's
// process does not load them.
void freeSessionMemory(void* memory) {
    static const auto release = systemFunction<decltype(&WTSFreeMemory)>(L"wtsapi32.dll", "WTSFreeMemory");
    if (release) release(memory);
}

// Whether the session is in use: not locked. Systems before Windows 7 cannot
// tell, and their sessions count as in use.
bool sessionInUse(DWORD session) {
    SessionInfoEx* info = nullptr;
    DWORD size = 0;
    static const auto query =
        systemFunction<decltype(&WTSQuerySessionInformationW)>(L"wtsapi32.dll", "WTSQuerySessionInformationW");
    if (!query || !query(WTS_CURRENT_SERVER_HANDLE, session, static_cast<WTS_INFO_CLASS>(kSessionInfoEx),
                         reinterpret_cast<LPWSTR*>(&info), &size))
        return true;
    const bool locked = size >= sizeof *info && info->level == 1 && info->level1.flags == kSessionLocked;
    freeSessionMemory(info);
    return !locked;
}

using PathUnder = bool (*)(const wchar_t* appDataFolder, wchar_t (&path)[MAX_PATH]);

// Reads the start of a file of the token's user beside their running module;
// the number of bytes read.
size_t readUserFile(HANDLE token, PathUnder pathUnder, uint8_t* bytes, size_t capacity) {
    wchar_t folder[MAX_PATH] = L"", path[MAX_PATH];
    if (SHGetFolderPathW(nullptr, CSIDL_APPDATA, token, SHGFP_TYPE_CURRENT, folder) != S_OK || !pathUnder(folder, path))
        return 0;
    return readLedgerFile(path, bytes, capacity);
}

// The whole state record of the token's user.
bool readUserState(HANDLE token, StateRecord& record) {
    StateImage image{};
    if (readUserFile(token, &DataLocations::statePathUnder, image.data(), image.size()) != image.size()) return false;
    decodeStateRecord(image.data(), image.size(), record);
    return true;
}

// The whole calendar record of the token's user.
bool readUserCalendar(HANDLE token, CalendarRecord& record) {
    CalendarImage image{};
    const size_t size = readUserFile(token, &DataLocations::calendarPathUnder, image.data(), image.size());
    record = decodeCalendarRecord(image.data(), size);
    return size == image.size();
}

// The end of the extra time the parents granted the token's user; 0 for none.
uint64_t extraTimeOf(HANDLE token) {
    wchar_t path[MAX_PATH];
    ExtraTimeImage image{};
    return ledgerPathOf(token, path, L"extra")
               ? decodeExtraTime(image.data(), readLedgerFile(path, image.data(), image.size()))
               : 0;
}

// The module as the token's user, on the session's interactive desktop, in
// this program's folder, where it finds qz.exe for the scenes.
HANDLE startModuleAs(HANDLE token) {
    wchar_t folder[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return nullptr;
    if (wchar_t* slash = wcsrchr(folder, L'\\')) slash[1] = 0;
    const wchar_t* module = dataLocations().controlModulePath();
    std::wstring commandLine = L"\"" + std::wstring(module) + L"\" /control";
    void* environment = nullptr;
    static const auto create =
        systemFunction<decltype(&CreateEnvironmentBlock)>(L"userenv.dll", "CreateEnvironmentBlock");
    static const auto destroy =
        systemFunction<decltype(&DestroyEnvironmentBlock)>(L"userenv.dll", "DestroyEnvironmentBlock");
    if (!create || !destroy || !create(&environment, token, FALSE)) environment = nullptr;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    wchar_t desktop[] = L"winsta0\\default";
    startup.lpDesktop = desktop;
    PROCESS_INFORMATION started{};
    const BOOL ok = CreateProcessAsUserW(token, module, &commandLine[0], nullptr, nullptr, FALSE,
                                         CREATE_UNICODE_ENVIRONMENT, environment, folder, &startup, &started);
    if (environment) destroy(environment);
    if (!ok) return nullptr;
    CloseHandle(started.hThread);
    return started.hProcess;
}

}  // namespace

std::vector<DWORD> activeSessions() {
    std::vector<DWORD> sessions;
    const DWORD console = WTSGetActiveConsoleSessionId();
    if (console != kNoSession) sessions.push_back(console);
    WTS_SESSION_INFOW* info = nullptr;
    DWORD count = 0;
    static const auto enumerate =
        systemFunction<decltype(&WTSEnumerateSessionsW)>(L"wtsapi32.dll", "WTSEnumerateSessionsW");
    if (enumerate && enumerate(WTS_CURRENT_SERVER_HANDLE, 0, 1, &info, &count)) {
        for (DWORD i = 0; i < count; ++i)
            if (info[i].State == WTSActive && info[i].SessionId != console) sessions.push_back(info[i].SessionId);
        freeSessionMemory(info);
    }
    return sessions;
}

SessionGuard::~SessionGuard() {
    for (auto& entry : watches_) forgetModule(entry.second);
}

void SessionGuard::forgetModule(Watch& watch) {
    if (watch.module) CloseHandle(watch.module);
    watch.module = nullptr;
}

void SessionGuard::follow() {
    const std::vector<DWORD> sessions = activeSessions();
    // A session someone switched away from keeps its module; the guard looks again once it is active.
    for (auto& entry : watches_)
        if (std::find(sessions.begin(), sessions.end(), entry.first) == sessions.end()) forgetModule(entry.second);
    const Settings settings = currentSettings();
    KeyValueDocument limits;
    limits.parse(readLimitsFile());
    for (DWORD session : sessions) followSession(session, watches_[session], settings, limits);
}

void SessionGuard::followSession(DWORD session, Watch& watch, const Settings& settings,
                                 const KeyValueDocument& limits) {
    HANDLE token = nullptr;
    static const auto queryToken = systemFunction<decltype(&WTSQueryUserToken)>(L"wtsapi32.dll", "WTSQueryUserToken");
    if (!queryToken || !queryToken(session, &token)) token = nullptr;  // nobody is logged on
    // As found: a module started by this look was missing until now.
    const bool moduleRan = watch.module && WaitForSingleObject(watch.module, 0) == WAIT_TIMEOUT;
    keepModule(session, watch, token, settings);
    const std::u16string user = token ? userNameOf(token) : std::u16string();
    keepLedger(session, watch, token, moduleRan, childSettings(settings, limits, user), calendarOf(limits, user));
    if (token) CloseHandle(token);
}

void SessionGuard::keepModule(DWORD session, Watch& watch, HANDLE token, const Settings& settings) {
    if (watch.module && WaitForSingleObject(watch.module, 0) == WAIT_TIMEOUT) return;
    forgetModule(watch);
    if (HANDLE running = runningModuleIn(session)) {
        watch.module = running;
        // A module that was already there when the parents closed it may still be ending.
        if (watch.left && startedAfter(running, watch.leftAt)) watch.left = false;
        return;
    }
    if (watch.left || !token || !controlsUser(settings, token)) return;
    watch.module = startModuleAs(token);
}

void SessionGuard::keepLedger(DWORD session, Watch& watch, HANDLE token, bool moduleRan, const Settings& settings,
                              const WeeklyCalendar& calendar) {
    wchar_t path[MAX_PATH];
    if (!token || !controlsUser(settings, token) || !ledgerPathOf(token, path)) {
        watch.use = SessionUseCount{};
        return;
    }
    if (lstrcmpiW(path, watch.ledgerPath) != 0) {
        lstrcpynW(watch.ledgerPath, path, MAX_PATH);
        StateImage image{};
        watch.ledger = StateRecord{};
        decodeStateRecord(image.data(), readLedgerFile(path, image.data(), image.size()), watch.ledger);
        watch.use = SessionUseCount{};
    }
    const uint64_t now = clock_();
    const bool moduleRunning = moduleRan && !watch.left;
    StateRecord next = watch.ledger;
    StateRecord written;
    if (moduleRunning && readUserState(token, written))
        next = followModuleRecord(watch.ledger, written, now, settings.bedtimeMinutes, settings.sleepMinutes);
    // Closed by the parents, the module is not missing: nothing counts until it runs again.
    const bool inUse = !watch.locked && sessionInUse(session);
    const bool counted = watch.use.look(next, now, inUse, moduleRunning || watch.left, settings);
    const bool closed = keepCalendar(watch, token, now, moduleRunning, counted, settings, calendar);
    if (watch.sleepTime.look(next, now, inUse && !watch.left, moduleRunning, settings, closed)) {
        shutdown_();
        CalendarRecord day = watch.calendar;
        CalendarGate::countShutdown(calendar, day, localMinuteOf(now, calendar.zone));
        storeCalendar(watch, token, day, settings, calendar);
    }
    if (encodeStateRecord(next) != encodeStateRecord(watch.ledger) &&
        writeLedgerFile(watch.ledgerPath, encodeStateRecord(next)))
        watch.ledger = next;
}

bool SessionGuard::keepCalendar(Watch& watch, HANDLE token, uint64_t now, bool moduleRunning, bool minuteCounted,
                                const Settings& settings, const WeeklyCalendar& calendar) {
    wchar_t path[MAX_PATH];
    if (!ledgerPathOf(token, path, L"cal")) return false;
    if (lstrcmpiW(path, watch.calendarPath) != 0) {
        lstrcpynW(watch.calendarPath, path, MAX_PATH);
        CalendarImage image{};
        watch.calendar = decodeCalendarRecord(image.data(), readLedgerFile(path, image.data(), image.size()));
    }
    const LocalMinute local = localMinuteOf(now, calendar.zone);
    CalendarRecord next = watch.calendar;
    CalendarRecord written;
    const bool moduleWrote = moduleRunning && readUserCalendar(token, written);
    if (moduleWrote) next = stricterCalendarRecord(written, next, local);
    const bool extraTime = extraTimeOf(token) > now;
    if (minuteCounted && !extraTime) CalendarGate::countMinute(calendar, next, local - 1);
    // The parents at the computer, in the running module's parents' mode, are not sent to bed.
    const bool closed = calendar.restricts() && !extraTime && !(moduleWrote && written.parentsMode) &&
                        !CalendarGate::allows(calendar, next, local);
    storeCalendar(watch, token, next, settings, calendar);
    return closed;
}

void SessionGuard::storeCalendar(Watch& watch, HANDLE token, const CalendarRecord& next, const Settings& settings,
                                 const WeeklyCalendar& calendar) {
    if (encodeCalendarRecord(next) == encodeCalendarRecord(watch.calendar) ||
        !writeLedgerFile(watch.calendarPath, encodeCalendarRecord(next)))
        return;
    watch.calendar = next;
    wchar_t path[MAX_PATH];
    std::vector<uint8_t> history;
    // A record that only remembers a close has counted no day yet.
    if (next.budgetDay == 0 || !ledgerPathOf(token, path, L"csv")) return;
    readWholeFile(path, history);
    const int32_t budget = calendar.days[static_cast<size_t>(weekdayOf(next.budgetDay))].budgetMinutes;
    const int32_t limit = budget >= 0 ? budget : settings.nesselDisabled ? -1 : settings.bedtimeMinutes;
    const std::string text = withHistoryLine(std::string(history.begin(), history.end()), historyLine(next, limit));
    writeLedgerFile(path, reinterpret_cast<const uint8_t*>(text.data()), text.size());
}

void SessionGuard::parentsClose(DWORD session) {
    Watch& watch = watches_[session];
    watch.left = true;
    GetSystemTimeAsFileTime(&watch.leftAt);
}

void SessionGuard::followAgain(DWORD session) { watches_[session].left = false; }

void SessionGuard::sessionLogonOrLogoff(DWORD session) {
    Watch& watch = watches_[session];
    watch.left = false;
    watch.locked = false;
}

void SessionGuard::sessionLocked(DWORD session, bool locked) { watches_[session].locked = locked; }
