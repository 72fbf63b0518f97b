#include "control/module_host_win.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "common/whole_file_win.h"
#include "crypto/wipe.h"
#include "control/extra_time.h"
#include "control/last_input_win.h"
#include "control/limits_file_win.h"
#include "control/local_time_win.h"
#include "control/shutdown_win.h"
#include "control/usage_ledger_file_win.h"
#include "control/video_title_win.h"
#include "settings/password_store_win.h"
#include "shell/control_commands.h"
#include "shell/data_locations_win.h"
#include "shell/guard_channel_win.h"
#include "shell/start_program_win.h"

namespace {

// The guard's copy of one of this user's records, as users may read it.
size_t readOwnLedger(const wchar_t* extension, uint8_t* bytes, size_t capacity) {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return 0;
    wchar_t path[MAX_PATH];
    const bool found = ledgerPathOf(token, path, extension);
    CloseHandle(token);
    return found ? readLedgerFile(path, bytes, capacity) : 0;
}

}  // namespace

ModuleHost::~ModuleHost() { forgetLastProgram(); }

void ModuleHost::openStateFile() { stateFile_ = std::make_unique<StateFile>(dataLocations().statePath()); }

uint32_t ModuleHost::lastInputTick() { return ::lastInputTick(); }

bool ModuleHost::isVideoPlaying() { return ::isVideoPlaying(); }

void ModuleHost::loadSettings(Settings& settings) {
    std::vector<uint8_t> image;
    readWholeFile(dataLocations().settingsPath(), image);
    settings.load(image);
}

bool ModuleHost::checkPassword(std::u16string_view password) {
    // Where the guard runs, the parents gave it their password; the digest is
    // theirs alone to read.
    if (guards_) {
        const std::optional<GuardAnswer> guard = askGuard(GuardQuestion{GuardAsk::TakeGrant, {}});
        if (guard) return guard->yes;
    }
    std::u16string copy(password);
    const bool accepted = ::checkPassword(copy);
    wipeText(copy);
    return accepted;
}

uint32_t ModuleHost::newChallenge() { return drawChallenge(nullptr); }

size_t ModuleHost::readState(uint8_t* bytes, size_t capacity) {
    return stateFile_ ? stateFile_->read(bytes, capacity) : 0;
}

void ModuleHost::writeState(const StateImage& image) {
    if (stateFile_) stateFile_->write(image);
}

size_t ModuleHost::readLedger(uint8_t* bytes, size_t capacity) { return readOwnLedger(L"dat", bytes, capacity); }

size_t ModuleHost::readCalendarLedger(uint8_t* bytes, size_t capacity) {
    return readOwnLedger(L"cal", bytes, capacity);
}

uint64_t ModuleHost::readExtraTime() {
    ExtraTimeImage image{};
    return decodeExtraTime(image.data(), readOwnLedger(L"extra", image.data(), image.size()));
}

std::optional<TimeRequest> ModuleHost::keptRequest() const {
    std::vector<uint8_t> image(kTimeRequestLimit);
    return decodeTimeRequest(image.data(), readOwnLedger(L"ask", image.data(), image.size()));
}

LocalMinute ModuleHost::localMinute(uint64_t utc, const std::u16string& zone) { return localMinuteOf(utc, zone); }

std::u16string ModuleHost::readLimits() {
    // Held open by another program, the limits read last stand.
    if (std::optional<std::u16string> text = readLimitsText()) limits_ = *text;
    return limits_;
}

size_t ModuleHost::readCalendar(uint8_t* bytes, size_t capacity) {
    std::vector<uint8_t> image;
    const size_t size = std::min<size_t>(readWholeFile(dataLocations().calendarPath(), image), capacity);
    std::copy(image.begin(), image.begin() + static_cast<std::ptrdiff_t>(size), bytes);
    return size;
}

void ModuleHost::writeCalendar(const CalendarImage& image) {
    writeWholeFile(dataLocations().calendarPath(), image.data(), static_cast<DWORD>(image.size()));
}

bool ModuleHost::startProgram(std::u16string_view file, std::u16string_view parameters) {
    std::wstring wideFile(file.begin(), file.end()), wideParameters(parameters.begin(), parameters.end());
    forgetLastProgram();
    lastProgram_ = startProcess(wideFile.c_str(), wideParameters.c_str(), SW_SHOWNORMAL);
    return lastProgram_ != nullptr;
}

void ModuleHost::endLastProgram() {
    if (lastProgram_ && WaitForSingleObject(lastProgram_, 0) == WAIT_TIMEOUT) TerminateProcess(lastProgram_, 1);
    forgetLastProgram();
}

void ModuleHost::forgetLastProgram() {
    if (lastProgram_) CloseHandle(lastProgram_);
    lastProgram_ = nullptr;
}

void ModuleHost::requestShutdown(bool force) {
    if (options_.shutdown)
        options_.shutdown(force);
    else
        ::requestShutdown(force);
}
