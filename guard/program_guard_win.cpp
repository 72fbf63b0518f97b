#include "guard/program_guard_win.h"

#include <algorithm>
#include <optional>

#include "common/little_endian.h"
#include "common/system_function_win.h"
#include "crypto/digest.h"
#include "common/whole_file_win.h"
#include "content/lower_case.h"
#include "control/seen_programs.h"
#include "control/usage_history.h"
#include "control/usage_ledger_file_win.h"
#include "control/usage_time.h"
#include "guard/program_records.h"
#include "shell/data_locations_win.h"
#include "shell/process_identity_win.h"

namespace {

constexpr wchar_t kRecordsExtension[] = L"prg";
constexpr wchar_t kFingerprintsFileName[] = L"fingerprints.dat";
// Paths whose identity is kept; past this the cache starts again.
constexpr size_t kKnownPaths = 1024;
constexpr UINT kEndedExitCode = 1;
constexpr DWORD kLimitedQuery = 0x1000;  // PROCESS_QUERY_LIMITED_INFORMATION, from Windows Vista on

std::u16string asText(const wchar_t* text) { return reinterpret_cast<const char16_t*>(text); }

// A name of the version information's first language, empty where it has none.
std::u16string versionName(const std::vector<uint8_t>& info, const wchar_t* key) {
    static const auto query = systemFunction<decltype(&VerQueryValueW)>(L"version.dll", "VerQueryValueW");
    struct Translation {
        WORD language, codePage;
    }* translations = nullptr;
    UINT size = 0;
    void* block = const_cast<uint8_t*>(info.data());
    if (!query || !query(block, L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translations), &size) ||
        size < sizeof *translations)
        return {};
    wchar_t subBlock[64];
    wsprintfW(subBlock, L"\\StringFileInfo\\%04x%04x\\%s", translations->language, translations->codePage, key);
    wchar_t* value = nullptr;
    if (!query(block, subBlock, reinterpret_cast<void**>(&value), &size) || !value || size == 0) return {};
    return std::u16string(reinterpret_cast<const char16_t*>(value), wcsnlen(value, size));
}

// The file's size and the digest of its ends; empty where it cannot be read.
std::string fingerprintOf(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return {};
    LARGE_INTEGER size{};
    std::vector<uint8_t> ends;
    bool read = GetFileSizeEx(file, &size);
    const uint64_t length = read ? static_cast<uint64_t>(size.QuadPart) : 0;
    const uint64_t head = std::min<uint64_t>(length, kFingerprintedBytes);
    const uint64_t tail = std::min<uint64_t>(length - head, kFingerprintedBytes);
    for (const auto& [offset, count] : {std::pair{uint64_t{0}, head}, {length - tail, tail}}) {
        LARGE_INTEGER at{};
        at.QuadPart = static_cast<LONGLONG>(offset);
        const size_t start = ends.size();
        ends.resize(start + count);
        DWORD got = 0;
        read = read && SetFilePointerEx(file, at, nullptr, FILE_BEGIN) &&
               (count == 0 || (ReadFile(file, ends.data() + start, static_cast<DWORD>(count), &got, nullptr) && got == count));
    }
    CloseHandle(file);
    uint8_t sizeBytes[8];
    putLittleEndian(sizeBytes, length, 8);
    std::string fingerprint(kFingerprintSize, '\0');
    if (!read || hashDigest(&sha256Descriptor, fingerprint.data(), static_cast<int>(kFingerprintSize), ends.data(),
                            ends.size(), sizeBytes, sizeof sizeBytes) != static_cast<int>(kFingerprintSize))
        return {};
    return fingerprint;
}

ProgramIdentity identityOfFile(const std::wstring& path) {
    ProgramIdentity identity;
    const size_t slash = path.rfind(L'\\');
    identity.fileName = asText(path.c_str() + (slash == std::wstring::npos ? 0 : slash + 1));
    identity.fingerprint = fingerprintOf(path);
    static const auto infoSize =
        systemFunction<decltype(&GetFileVersionInfoSizeW)>(L"version.dll", "GetFileVersionInfoSizeW");
    static const auto info = systemFunction<decltype(&GetFileVersionInfoW)>(L"version.dll", "GetFileVersionInfoW");
    DWORD handle = 0;
    const DWORD size = infoSize && info ? infoSize(path.c_str(), &handle) : 0;
    std::vector<uint8_t> block(size);
    if (size == 0 || !info(path.c_str(), 0, size, block.data())) return identity;
    identity.originalFileName = versionName(block, L"OriginalFilename");
    identity.internalName = versionName(block, L"InternalName");
    identity.productName = versionName(block, L"ProductName");
    return identity;
}

// The guard's own program and its module are never a program the parents limit.
bool suitesOwn(const wchar_t* path) {
    static const std::wstring guard = [] {
        wchar_t own[MAX_PATH];
        const DWORD length = GetModuleFileNameW(nullptr, own, MAX_PATH);
        return length == 0 || length >= MAX_PATH ? std::wstring() : std::wstring(own, length);
    }();
    return lstrcmpiW(path, guard.c_str()) == 0 || lstrcmpiW(path, dataLocations().controlModulePath()) == 0;
}

// Windows' own programs (the shell, its hosts) are no program a parent picks.
bool windowsOwn(const wchar_t* path) {
    static const std::wstring folder = [] {
        wchar_t windows[MAX_PATH];
        const UINT length = GetWindowsDirectoryW(windows, MAX_PATH);
        return length == 0 || length >= MAX_PATH ? std::wstring() : std::wstring(windows, length) + L"\\";
    }();
    return !folder.empty() && CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, path,
                                             static_cast<int>(std::min(wcslen(path), folder.size())), folder.c_str(),
                                             static_cast<int>(folder.size())) == CSTR_EQUAL;
}

void endProcess(DWORD id) {
    if (HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, id)) {
        TerminateProcess(process, kEndedExitCode);
        CloseHandle(process);
    }
}

}  // namespace

const ProgramIdentity& ProgramGuard::identityOf(const std::wstring& path) {
    const auto known = identities_.find(path);
    if (known != identities_.end()) return known->second;
    if (identities_.size() >= kKnownPaths) identities_.clear();
    return identities_[path] = identityOfFile(path);
}

std::vector<ProgramGuard::Process> ProgramGuard::processesOf(const std::vector<uint32_t>& sessions,
                                                             const std::vector<ListedProcess>& listed,
                                                             const std::vector<ProgramGroup>& groups, int32_t today) {
    std::vector<Process> found;
    std::vector<const ProgramIdentity*> seen;
    if (!fingerprintsRead_) storeFingerprints();  // the fingerprints learned before this start
    for (const ListedProcess& entry : listed) {
        if (std::find(sessions.begin(), sessions.end(), entry.session) == sessions.end()) continue;
        HANDLE process = OpenProcess(kLimitedQuery, FALSE, entry.id);
        if (!process) process = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, entry.id);  // Windows XP
        wchar_t path[MAX_PATH] = L"";
        const bool named = process && programOfProcess(process, path);
        if (process) CloseHandle(process);
        if (!named || suitesOwn(path)) continue;
        const ProgramIdentity& identity = identityOf(path);
        if (!windowsOwn(path) && seen_[lowerCase(identity.fileName)] != today) seen.push_back(&identity);
        const ProgramMatch match = fingerprints_.match(groups, identity, asText(path));
        if (match.group < 0) continue;
        const std::optional<Trick> trick = match.renamed  ? std::optional(Trick::ProgramRenamed)
                                           : match.copied ? std::optional(Trick::ProgramCopied)
                                                          : std::nullopt;
        found.push_back({entry.id, entry.session, path, match.group, trick});
    }
    storeSeen(seen, today);
    storeFingerprints();
    return found;
}

void ProgramGuard::storeFingerprints() {
    wchar_t path[MAX_PATH];
    if ((fingerprintsRead_ && fingerprints_.learnedCount() == fingerprintsStored_) ||
        !guardRecordPath(kFingerprintsFileName, path))
        return;
    if (!fingerprintsRead_) {
        // Held open, it is read at a later look, and never written over meanwhile.
        const std::optional<std::vector<uint8_t>> bytes = readExistingFile(path);
        if (!bytes) return;
        fingerprints_.decode(bytes->data(), bytes->size());
        fingerprintsRead_ = true;
    }
    const std::vector<uint8_t> bytes = fingerprints_.encode();
    if (writeGuardRecord(path, bytes.data(), bytes.size())) fingerprintsStored_ = fingerprints_.learnedCount();
}

void ProgramGuard::tell(HANDLE token, const std::vector<uint32_t>& sessions, uint64_t nowMs, GuardNote note,
                        uint32_t value, const std::wstring& switches) {
    bool left = false;
    for (uint32_t session : sessions)
        if (screens_ && screens_->fresh(session, nowMs)) {
            screens_->leaveNote(session, note, value, nowMs);
            left = true;
        }
    if (!left) tell_(token, switches.c_str());
}

void ProgramGuard::storeSeen(const std::vector<const ProgramIdentity*>& seen, int32_t today) {
    wchar_t path[MAX_PATH];
    if (seen.empty() || !guardRecordPath(kSeenProgramsFileName, path)) return;
    const std::optional<std::vector<uint8_t>> bytes = readExistingFile(path);
    if (!bytes) return;  // held open now: noted at a later look
    std::string list(bytes->begin(), bytes->end());
    for (const ProgramIdentity* identity : seen) {
        list = withSeenProgram(list, identity->fileName, identity->productName, today);
        seen_[lowerCase(identity->fileName)] = today;
    }
    if (seen_.size() > kSeenProgramsKept * 2) seen_.clear();  // noted again at most once a day each
    writeGuardRecord(path, reinterpret_cast<const uint8_t*>(list.data()), list.size());
}

void ProgramGuard::keepHistory(const std::string& user, HANDLE token, const std::vector<ProgramGroup>& groups) {
    const std::map<std::u16string, CalendarRecord> records = watch_.records(user);
    std::map<std::u16string, std::string>& written = historyLines_[user];
    std::vector<std::pair<std::u16string, std::string>> lines;
    for (const ProgramGroup& group : groups) {
        const auto record = records.find(lowerCase(group.name));
        if (record == records.end() || record->second.budgetDay == 0) continue;
        const int32_t limit =
            group.week.days[static_cast<size_t>(weekdayOf(record->second.budgetDay))].budgetMinutes;
        std::string line = programHistoryLine(record->second.budgetDay, group.name, record->second.usedMinutes,
                                              group.alwaysAllowed ? -1 : limit);
        if (written[record->first] != line) lines.emplace_back(record->first, std::move(line));
    }
    wchar_t path[MAX_PATH];
    if (lines.empty() || !ledgerPathOf(token, path, kProgramHistoryExtension)) return;
    // A history that cannot be read now is left for a later look, never written anew.
    const std::optional<std::vector<uint8_t>> bytes = readExistingFile(path);
    if (!bytes) return;
    std::string history(bytes->begin(), bytes->end());
    for (const auto& [group, line] : lines) history = withProgramHistoryLine(history, line);
    if (!writeLedgerFile(path, reinterpret_cast<const uint8_t*>(history.data()), history.size())) return;
    for (auto& [group, line] : lines) written[group] = std::move(line);
}

ProgramGuard::Look ProgramGuard::follow(const std::string& user, const std::u16string& name, HANDLE token,
                                        const std::vector<uint32_t>& sessions, const std::vector<ListedProcess>& listed,
                                        const std::optional<ScreenReport>& screen, const KeyValueDocument& limits,
                                        GuardClock now, LocalMinute local, bool extraTime) {
    Look look;
    const std::vector<ProgramGroup> groups = programGroupsOf(limits, name);
    const std::vector<Process> processes = processesOf(sessions, listed, groups, dayOf(local));
    if (groups.empty()) return look;
    wchar_t path[MAX_PATH];
    if (!stored_.count(user) && guardRecordPathOf(token, path, kRecordsExtension)) {
        std::vector<uint8_t>& bytes = stored_[user];
        if (std::optional<std::vector<uint8_t>> image = readExistingFile(path)) bytes = std::move(*image);
        for (const auto& [group, record] : decodeProgramRecords(bytes.data(), bytes.size()))
            watch_.know(user, group, record);
    }
    std::vector<ProgramSight> sights(groups.size());
    std::set<std::pair<DWORD, std::wstring>> stillNoted;
    for (const Process& process : processes) {
        const bool shown = !screen || std::find(screen->onScreen.begin(), screen->onScreen.end(), process.id) !=
                                          screen->onScreen.end();
        sights[process.group].running = true;
        sights[process.group].onScreen = sights[process.group].onScreen || shown;
        look.freeTime = look.freeTime || (screen && groups[process.group].alwaysAllowed && screen->foreground == process.id);
        if (!process.trick) continue;
        // A number Windows gives again, even before the next look, is another process.
        stillNoted.emplace(process.id, process.path);
        if (!noted_.count({process.id, process.path})) look.tricks.emplace_back(*process.trick, process.path);
    }
    noted_ = std::move(stillNoted);
    const std::vector<ProgramSteps> steps = watch_.look(user, groups, sights, now.awake, local, extraTime);
    const uint64_t nowMs = now.awake / kUnitsPerMillisecond;
    for (size_t group = 0; group < steps.size(); ++group) {
        const ProgramSteps& step = steps[group];
        if (step.warning >= 0)
            tell(token, sessions, nowMs, GuardNote::ProgramWarning, static_cast<uint32_t>(step.warning),
                 L"/program-warning:" + std::to_wstring(step.warning));
        for (const Process& process : processes) {
            if (static_cast<size_t>(process.group) != group) continue;
            if (step.askClose)
                tell(token, {process.session}, nowMs, GuardNote::ProgramClose, process.id,
                     L"/program-close:" + std::to_wstring(process.id));
            if (step.end) endProcess(process.id);
        }
        if (step.refused) tell(token, sessions, nowMs, GuardNote::ProgramEnded, 0, L"/program-ended");
    }
    store(user, token);
    keepHistory(user, token, groups);
    return look;
}

void ProgramGuard::store(const std::string& user, HANDLE token) {
    std::vector<uint8_t> bytes = encodeProgramRecords(watch_.records(user));
    wchar_t path[MAX_PATH];
    if (bytes == stored_[user] || !guardRecordPathOf(token, path, kRecordsExtension)) return;
    if (writeGuardRecord(path, bytes.data(), bytes.size())) stored_[user] = std::move(bytes);
}
