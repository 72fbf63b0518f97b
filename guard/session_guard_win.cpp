#include "guard/session_guard_win.h"

#include <sddl.h>
#include <tlhelp32.h>
#include <wtsapi32.h>
#include <userenv.h>

#include <algorithm>
#include <array>
#include <optional>
#include <string>
#include <vector>

#include "common/system_function_win.h"
#include "common/whole_file_win.h"
#include "calendar/child_limits.h"
#include "control/controlled_user.h"
#include "control/extra_time.h"
#include "control/limits_file_win.h"
#include "control/local_time_win.h"
#include "control/usage_history.h"
#include "control/usage_time.h"
#include "control/usage_ledger_file_win.h"
#include "guard/evening_ending.h"
#include "guard/event_log_win.h"
#include "guard/module_protection_win.h"
#include "guard/session_lock_flags.h"
#include "settings/settings.h"
#include "shell/data_locations_win.h"
#include "shell/process_identity_win.h"

namespace {

constexpr DWORD kNameCapacity = 256;
constexpr DWORD kNoSession = 0xFFFFFFFF;
constexpr wchar_t kSettingsCopy[] = L"nessel20.cfg";
constexpr wchar_t kLimitsCopy[] = L"limits.txt";
// A module that reports its screen every two seconds and has said nothing for
// this long, while its process runs, is stopped: a stall of a busy moment is shorter.
constexpr uint64_t kModuleSilenceMs = 30'000;

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

// The user's SID as text: the key of the user's records, which a renamed account keeps.
std::string sidOf(HANDLE token) {
    TokenUserBuffer buffer;
    wchar_t* text = nullptr;
    PSID user = userOfToken(token, buffer);
    if (!user || !ConvertSidToStringSidW(user, &text)) return {};
    std::string sid;
    for (const wchar_t* c = text; *c; ++c) sid += static_cast<char>(*c);
    LocalFree(text);
    return sid;
}

// A record of the guard's own, or where it has none yet (a guard of an earlier
// installation kept only the copy users read), that copy.
template <size_t N>
size_t readRecord(HANDLE token, const wchar_t* extension, std::array<uint8_t, N>& image) {
    wchar_t path[MAX_PATH];
    if (guardRecordPathOf(token, path, extension)) {
        std::optional<std::vector<uint8_t>> own = readExistingFile(path);
        if (own && !own->empty()) {
            const size_t size = std::min(own->size(), N);
            std::copy(own->begin(), own->begin() + static_cast<std::ptrdiff_t>(size), image.begin());
            return size;
        }
    }
    return ledgerPathOf(token, path, extension) ? readLedgerFile(path, image.data(), N) : 0;
}

// The sessions' and environments' libraries are the guard's alone: a scene's
// process does not load them.
void freeSessionMemory(void* memory) {
    static const auto release = systemFunction<decltype(&WTSFreeMemory)>(L"wtsapi32.dll", "WTSFreeMemory");
    if (release) release(memory);
}

// Whether Windows says the session is locked; systems before Windows 7
// cannot tell, and the guard then learns of locks only as they happen.
bool sessionLocked(DWORD session) {
    constexpr int kSessionInfoEx = 25;  // WTSSessionInfoEx, which this toolchain's headers predate
    struct SessionInfoEx {
        DWORD level;
        struct alignas(8) {
            ULONG sessionId;
            int connectState;
            LONG flags;
        } level1;
    }* info = nullptr;
    DWORD size = 0;
    static const auto query =
        systemFunction<decltype(&WTSQuerySessionInformationW)>(L"wtsapi32.dll", "WTSQuerySessionInformationW");
    if (!query || !query(WTS_CURRENT_SERVER_HANDLE, session, static_cast<WTS_INFO_CLASS>(kSessionInfoEx),
                         reinterpret_cast<LPWSTR*>(&info), &size))
        return false;
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof version;
    GetVersionExW(&version);
    const bool locked = size >= sizeof *info && info->level == 1 &&
                        sessionFlagsSayLocked(info->level1.flags, version.dwMajorVersion, version.dwMinorVersion);
    freeSessionMemory(info);
    return locked;
}

// The token of the user logged on to the session; null for none. Where the
// sessions' service does not answer (it does not run in Safe Mode), the
// session's shell stands in: the first explorer.exe started there.
HANDLE sessionUserToken(DWORD session) {
    static const auto query = systemFunction<decltype(&WTSQueryUserToken)>(L"wtsapi32.dll", "WTSQueryUserToken");
    HANDLE token = nullptr;
    if (query && query(session, &token)) return token;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return nullptr;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    FILETIME earliest{0xFFFFFFFF, 0x7FFFFFFF};
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
        DWORD owner = 0;
        if (lstrcmpiW(entry.szExeFile, L"explorer.exe") != 0 || !ProcessIdToSessionId(entry.th32ProcessID, &owner) ||
            owner != session)
            continue;
        HANDLE shell = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, entry.th32ProcessID);
        FILETIME created{}, exited{}, kernel{}, user{};
        HANDLE found = nullptr;
        if (shell && GetProcessTimes(shell, &created, &exited, &kernel, &user) &&
            CompareFileTime(&created, &earliest) < 0 &&
            OpenProcessToken(shell, TOKEN_QUERY | TOKEN_DUPLICATE | TOKEN_ASSIGN_PRIMARY, &found)) {
            if (token) CloseHandle(token);
            token = found;
            earliest = created;
        }
        if (shell) CloseHandle(shell);
    }
    CloseHandle(snapshot);
    return token;
}

constexpr wchar_t kSceneProgram[] = L"qz.exe";

// This program's folder, where the installation keeps qz.exe, the module's
// working folder; empty where the path is too long.
const std::wstring& ownFolder() {
    static const std::wstring folder = [] {
        wchar_t program[MAX_PATH];
        const DWORD length = GetModuleFileNameW(nullptr, program, MAX_PATH);
        const std::wstring path = length == 0 || length >= MAX_PATH ? std::wstring() : std::wstring(program, length);
        return path.substr(0, path.rfind(L'\\') + 1);
    }();
    return folder;
}

// A program of the suite (by its full path) as the token's user, on the
// session's interactive desktop, in this program's folder, where the module
// finds qz.exe for the scenes; out of the child's hands where Windows can
// keep it so.
HANDLE startAs(HANDLE token, const std::wstring& program, const wchar_t* arguments, DWORD* id = nullptr) {
    const std::wstring& folder = ownFolder();
    if (folder.empty()) return nullptr;
    std::wstring commandLine = L"\"" + program + L"\" " + arguments;
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
    HANDLE raised = raisedToken(token);
    SECURITY_ATTRIBUTES protection;
    const bool protect = moduleProcessAttributes(protection);
    const BOOL ok = CreateProcessAsUserW(raised ? raised : token, program.c_str(), &commandLine[0],
                                         protect ? &protection : nullptr, nullptr, FALSE, CREATE_UNICODE_ENVIRONMENT,
                                         environment, folder.c_str(), &startup, &started);
    if (protect) LocalFree(protection.lpSecurityDescriptor);
    if (raised) CloseHandle(raised);
    if (environment) destroy(environment);
    if (!ok) return nullptr;
    CloseHandle(started.hThread);
    if (id) *id = started.dwProcessId;
    return started.hProcess;
}

// The sessions Windows lists, each with its state; none where it cannot tell.
std::vector<std::pair<DWORD, WTS_CONNECTSTATE_CLASS>> listedSessions() {
    static const auto enumerate =
        systemFunction<decltype(&WTSEnumerateSessionsW)>(L"wtsapi32.dll", "WTSEnumerateSessionsW");
    std::vector<std::pair<DWORD, WTS_CONNECTSTATE_CLASS>> sessions;
    WTS_SESSION_INFOW* info = nullptr;
    DWORD count = 0;
    if (!enumerate || !enumerate(WTS_CURRENT_SERVER_HANDLE, 0, 1, &info, &count)) return sessions;
    for (DWORD i = 0; i < count; ++i) sessions.emplace_back(info[i].SessionId, info[i].State);
    freeSessionMemory(info);
    return sessions;
}

// Whether a user other than the given one (by SID) is logged on to any
// session, on the screen or switched away from.
bool otherUsersSessionOpen(const std::string& user) {
    for (const auto& [session, state] : listedSessions()) {
        if (state != WTSActive && state != WTSDisconnected && state != WTSConnected) continue;
        HANDLE token = sessionUserToken(session);
        if (!token) continue;
        const std::string sid = sidOf(token);
        CloseHandle(token);
        if (!sid.empty() && sid != user) return true;
    }
    return false;
}

}  // namespace

void showSceneAs(HANDLE token, const wchar_t* scene) {
    if (HANDLE shown = startAs(token, ownFolder() + kSceneProgram, scene)) CloseHandle(shown);
}

std::vector<DWORD> activeSessions() {
    std::vector<DWORD> sessions;
    const DWORD console = WTSGetActiveConsoleSessionId();
    if (console != kNoSession) sessions.push_back(console);
    for (const auto& [session, state] : listedSessions())
        if (state == WTSActive && session != console) sessions.push_back(session);
    return sessions;
}

SessionGuard::~SessionGuard() {
    for (auto& entry : watches_) forgetModule(entry.second);
}

void SessionGuard::forgetModule(Watch& watch) {
    if (watch.module) CloseHandle(watch.module);
    watch.module = nullptr;
    watch.moduleId = 0;
    watch.heardAtMs = 0;
    watch.silenceNoted = false;
}

std::map<uint32_t, uint32_t> SessionGuard::modules() const {
    std::map<uint32_t, uint32_t> running;
    for (const auto& entry : watches_)
        if (moduleRuns(entry.second)) running[entry.first] = entry.second.moduleId;
    return running;
}

bool SessionGuard::moduleRuns(const Watch& watch) {
    return watch.module && WaitForSingleObject(watch.module, 0) == WAIT_TIMEOUT;
}

void SessionGuard::sessionEvent(DWORD session, SessionEvent event) {
    core_.sessionEvent(session, event);
    if (event == SessionEvent::Logoff) forgetModule(watches_[session]);
}

void SessionGuard::keepFile(KeptFile& kept, const wchar_t* original, const wchar_t* copyName) {
    wchar_t copy[MAX_PATH];
    if (std::optional<std::vector<uint8_t>> bytes = readExistingFile(original)) {
        if (guardRecordPath(copyName, copy) && (!kept.known || *bytes != kept.bytes))
            writeGuardRecord(copy, bytes->data(), bytes->size());
        kept = KeptFile{std::move(*bytes), true, false};
        return;
    }
    if (!kept.held) recordTrick(Trick::FileHeldOpen, u"", original);
    kept.held = true;
    if (!kept.known && guardRecordPath(copyName, copy)) {
        readWholeFile(copy, kept.bytes);
        kept.known = true;
    }
}

void SessionGuard::recordTrick(Trick trick, const std::u16string& child, const std::wstring& insert) {
    const GuardClock now = clock_();
    // A log held open for a moment (the parents' list reading it) takes the line at a later trick.
    if (unwrittenTricks_.size() < kKeptTricks) unwrittenTricks_.push_back(trickLine(now.utc, child, trick));
    wchar_t path[MAX_PATH];
    if (guardRecordPath(kTricksFileName, path))
        if (std::optional<std::vector<uint8_t>> log = readExistingFile(path)) {
            std::string text(log->begin(), log->end());
            for (const std::string& line : unwrittenTricks_) text = withTrickLine(text, line);
            if (writeGuardRecord(path, reinterpret_cast<const uint8_t*>(text.data()), text.size()))
                unwrittenTricks_.clear();
        }
    const std::wstring who(child.begin(), child.end());
    reportGuardEvent(kTrickEventBase + static_cast<uint32_t>(trick), true,
                     insert.empty() ? who.c_str() : insert.c_str());
}

void SessionGuard::watchClock(GuardClock now) {
    TIME_ZONE_INFORMATION zone{};
    GetTimeZoneInformation(&zone);
    const std::u16string name(reinterpret_cast<const char16_t*>(zone.StandardName));
    const ClockWatch::Change change = clockWatch_.look(now, name);
    if (change.clock) recordTrick(Trick::ClockChanged, u"", std::to_wstring(change.minutes));
    if (change.zone) recordTrick(Trick::ZoneChanged, u"", zone.StandardName);
}

void SessionGuard::watchImitators(const std::vector<DWORD>& sessions, const std::vector<ListedProcess>& processes) {
    const wchar_t* module = dataLocations().controlModulePath();
    const wchar_t* name = wcsrchr(module, L'\\');
    name = name ? name + 1 : module;
    const std::map<uint32_t, uint32_t> ours = modules();
    for (const ListedProcess& listed : processes) {
        if (lstrcmpiW(listed.name.c_str(), name) != 0 ||
            std::find(sessions.begin(), sessions.end(), listed.session) == sessions.end() ||
            std::find(imitators_.begin(), imitators_.end(), listed.id) != imitators_.end())
            continue;
        const auto own = ours.find(listed.session);
        if (own != ours.end() && own->second == listed.id) continue;
        HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, listed.id);
        wchar_t path[MAX_PATH] = L"";
        if (process && programOfProcess(process, path) && lstrcmpiW(path, module) == 0) {
            imitators_.push_back(listed.id);
            recordTrick(Trick::ModuleImitated, watches_[listed.session].user, L"");
        }
        if (process) CloseHandle(process);
    }
}

std::optional<ScreenReport> SessionGuard::screenOf(const std::vector<uint32_t>& sessions, GuardClock now) const {
    if (!screens_ || sessions.empty()) return std::nullopt;
    ScreenReport all;
    for (uint32_t session : sessions) {
        const std::optional<ScreenReport> report = screens_->fresh(session, now.awake / kUnitsPerMillisecond);
        if (!report) return std::nullopt;
        all.onScreen.insert(all.onScreen.end(), report->onScreen.begin(), report->onScreen.end());
        if (report->foreground) all.foreground = report->foreground;
    }
    return all;
}

void SessionGuard::follow() {
    const std::vector<DWORD> sessions = activeSessions();
    const GuardClock now = clock_();
    watchClock(now);
    // A session someone switched away from keeps its module, and the guard
    // its handle: once the session is active again, that one is its module
    // still (forgotten, a second would start beside it).
    wchar_t limitsPath[MAX_PATH];
    keepFile(settings_, dataLocations().settingsPath(), kSettingsCopy);
    if (limitsFilePath(limitsPath)) keepFile(limits_, limitsPath, kLimitsCopy);
    Settings settings;
    settings.load(settings_.bytes);
    KeyValueDocument limits;
    limits.parse(limitsTextOf(limits_.bytes).value_or(u""));
    std::map<std::string, UserLook> users;
    for (DWORD session : sessions) {
        HANDLE token = nullptr;
        if (!(token = sessionUserToken(session))) continue;  // nobody is logged on
        Watch& watch = watches_[session];
        if (!watch.seen && sessionLocked(session)) core_.sessionEvent(session, SessionEvent::Lock);
        watch.seen = true;
        const std::u16string name = userNameOf(token);
        const std::string sid = sidOf(token);
        if (name.empty() || sid.empty() || !isControlledUser(settings, name)) {
            CloseHandle(token);
            continue;
        }
        watch.user = name;
        keepModule(session, watch, token, now);
        UserLook& look = users[sid];
        look.sessions.push_back(session);
        if (look.token) CloseHandle(look.token);
        look.token = token;
        look.name = name;
    }
    const std::vector<ListedProcess> processes = listedProcesses();  // one snapshot a look
    watchImitators(sessions, processes);
    for (auto& entry : users) {
        followUser(entry.first, entry.second, settings, limits, processes, now);
        CloseHandle(entry.second.token);
    }
}

void SessionGuard::noteSilence(DWORD session, Watch& watch, GuardClock now) {
    const uint64_t nowMs = now.awake / kUnitsPerMillisecond;
    if (const std::optional<ScreenReport> report = screens_ ? screens_->fresh(session, nowMs) : std::nullopt) {
        watch.heardAtMs = report->atMs;
        watch.silenceNoted = false;
    } else if (watch.heardAtMs != 0 && !watch.silenceNoted && nowMs - watch.heardAtMs > kModuleSilenceMs) {
        recordTrick(Trick::ModuleSilent, watch.user, L"");
        watch.silenceNoted = true;
    }
}

void SessionGuard::keepModule(DWORD session, Watch& watch, HANDLE token, GuardClock now) {
    watch.moduleSettled = moduleRuns(watch);
    if (watch.moduleSettled) {
        noteSilence(session, watch, now);
        return;
    }
    // The module ends of itself with 0; ended from outside (Task Manager,
    // taskkill) or broken, with something else.
    DWORD exitCode = 0;
    if (watch.module && GetExitCodeProcess(watch.module, &exitCode) && exitCode != 0 && !core_.closedByParents(session))
        recordTrick(Trick::ModuleEnded, watch.user, L"");
    forgetModule(watch);
    if (!core_.closedByParents(session))
        watch.module = startAs(token, dataLocations().controlModulePath(), L"/control", &watch.moduleId);
}

void SessionGuard::followUser(const std::string& user, const UserLook& look, const Settings& settings,
                              const KeyValueDocument& limits, const std::vector<ListedProcess>& processes,
                              GuardClock now) {
    GuardRules rules{childSettings(settings, limits, look.name), calendarOf(limits, look.name), 0};
    wchar_t path[MAX_PATH];
    if (ledgerPathOf(look.token, path, L"extra")) {
        // Held open, the grant read last stands.
        if (std::optional<std::vector<uint8_t>> image = readExistingFile(path))
            extraTime_[user] = decodeExtraTime(image->data(), image->size());
    }
    rules.extraTimeUntil = extraTime_[user];
    followRequest(user, look, rules.extraTimeUntil, now);
    if (!core_.knows(user)) {
        StateImage state{};
        CalendarImage calendar{};
        StateRecord record;
        decodeStateRecord(state.data(), readRecord(look.token, L"dat", state), record);
        core_.know(user, record, decodeCalendarRecord(calendar.data(), readRecord(look.token, L"cal", calendar)));
    }
    const LocalMinute local = localMinuteOf(now.utc, rules.calendar.zone);
    const ProgramGuard::Look programs =
        programs_.follow(user, look.name, look.token, look.sessions, processes, screenOf(look.sessions, now), limits,
                         now, local, rules.extraTimeUntil > now.utc);
    for (const auto& [trick, path] : programs.tricks) recordTrick(trick, look.name, path);
    rules.freeTime = programs.freeTime;
    const GuardSteps steps = core_.look(user, look.sessions, rules, now, local);
    if (steps.turnOffScene || steps.sleepScene) {
        const wchar_t* scene = steps.sleepScene ? L"/show:nessel-sleep" : L"/show:nessel-turnoff";
        // A module that ran before this look shows its own; the guard stands in
        // where it is missing or was only started again now.
        for (uint32_t session : look.sessions)
            if (!watches_[session].moduleSettled) ending_.showScene(look.token, scene);
    }
    if (steps.shutdown || steps.forcedShutdown) endEvening(user, look, limits, steps.forcedShutdown);
    // A copy users read may be held open for a moment (a reader that does not
    // share its deletion): it is written again at the next look.
    bool& viewsStale = staleViews_[user];
    if (steps.storeRecords || viewsStale) viewsStale = !store(user, look.token, rules);
}

void SessionGuard::timeRequest(DWORD session, int32_t minutes, const std::u16string& reason) {
    askedIn_[session] = {0, minutes, 0, false, reason.substr(0, kReasonLimit)};
}

void SessionGuard::followRequest(const std::string& user, const UserLook& look, uint64_t extraTimeUntil,
                                 GuardClock now) {
    wchar_t path[MAX_PATH];
    if (!ledgerPathOf(look.token, path, L"ask")) return;
    auto known = requests_.find(user);
    if (known == requests_.end()) {  // the first look: as last kept
        std::optional<TimeRequest> stored;
        if (std::optional<std::vector<uint8_t>> image = readExistingFile(path))
            stored = decodeTimeRequest(image->data(), image->size());
        known = requests_.emplace(user, stored).first;
    }
    std::optional<TimeRequest>& kept = known->second;
    std::optional<TimeRequest> request = kept;
    for (uint32_t session : look.sessions) {
        const auto asked = askedIn_.find(session);
        if (asked == askedIn_.end()) continue;
        request = asked->second;
        request->at = now.utc;
        request->extraTimeBefore = extraTimeUntil;
        askedIn_.erase(asked);
    }
    if (request) request = answeredBy(*request, extraTimeUntil);
    if (!request || (kept && kept->at == request->at && kept->granted == request->granted)) return;
    const std::vector<uint8_t> bytes = encodeTimeRequest(*request);
    if (writeLedgerFile(path, bytes.data(), bytes.size())) kept = request;
}

void SessionGuard::endEvening(const std::string& user, const UserLook& look, const KeyValueDocument& limits,
                              bool force) {
    switch (endActionFor(endingOf(limits, look.name), otherUsersSessionOpen(user))) {
    case EndAction::ShutDown: ending_.shutDown(force); return;
    case EndAction::LogOff:
        for (uint32_t session : look.sessions) ending_.logOff(session);
        return;
    case EndAction::Lock:
        for (uint32_t session : look.sessions) ending_.lock(session);
        return;
    }
}

bool SessionGuard::store(const std::string& user, HANDLE token, const GuardRules& rules) {
    const StateImage state = encodeStateRecord(core_.record(user));
    const CalendarRecord& day = core_.calendar(user);
    const CalendarImage calendar = encodeCalendarRecord(day);
    wchar_t path[MAX_PATH];
    // The guard's own copies first: the ones users read may be held open.
    if (guardRecordPathOf(token, path, L"dat")) writeGuardRecord(path, state.data(), state.size());
    if (guardRecordPathOf(token, path, L"cal")) writeGuardRecord(path, calendar.data(), calendar.size());
    bool views = ledgerPathOf(token, path, L"dat") && writeLedgerFile(path, state);
    views = ledgerPathOf(token, path, L"cal") && writeLedgerFile(path, calendar) && views;
    // A record that only remembers a close has counted no day yet; a history
    // that cannot be read now is left for a later minute, never written anew.
    if (day.budgetDay == 0 || !ledgerPathOf(token, path, L"csv")) return views;
    const std::optional<std::vector<uint8_t>> history = readExistingFile(path);
    if (!history) return views;
    const int32_t budget = rules.calendar.days[static_cast<size_t>(weekdayOf(day.budgetDay))].budgetMinutes;
    const int32_t limit = budget >= 0 ? budget : rules.settings.nesselDisabled ? -1 : rules.settings.bedtimeMinutes;
    const std::string text = withHistoryLine(std::string(history->begin(), history->end()), historyLine(day, limit));
    writeLedgerFile(path, reinterpret_cast<const uint8_t*>(text.data()), text.size());
    return views;
}
