#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The guard's own channel, a named pipe of one message each way, by which
// the suite's processes learn which window is their session's module and the
// parents hand the guard their password, which then never reaches a file in
// the child's folder. The guard learns who asks from the pipe itself (the
// client's session, whether it runs as an administrator, its process),
// never from the message.
enum class GuardAsk : uint32_t {
    Module = 1,     // anyone: the process of the guard's module in the asker's session
    Grant = 2,      // an administrator, with the password: the module may follow a parents' command
    TakeGrant = 3,  // the guard's module: whether the parents' password was given lately
    Screen = 4,     // the guard's module: what its session's screen shows (the guard sees no desktop)
    Request = 5,    // the guard's module: the child asks the parents for more time
};

struct GuardQuestion {
    GuardAsk ask = GuardAsk::Module;
    std::u16string password;  // Grant: the parents' password; Request: what the time is for
    uint32_t command = 0;     // Grant: the control command the parents send (ControlCommand);
                              // Screen: the process of the foreground window, 0 for none;
                              // Request: the minutes asked for
    std::vector<uint32_t> onScreen{};  // Screen only: the processes with a visible, not minimised window
};

// What the guard, which cannot reach the child's desktop, has its module say
// or do there, with the answer to the module's report of its screen.
enum class GuardNote : uint32_t {
    None = 0,
    ProgramWarning = 1,  // value: the minutes a limited program has left today
    ProgramClose = 2,    // value: the process whose windows are asked to close (a game gets a minute to save)
    ProgramEnded = 3,    // a limited program was ended: its time today is over
};
constexpr uint32_t kLastGuardNote = 3;

struct GuardAnswer {
    bool yes = false;  // Grant: the password is right; TakeGrant: a grant stands
    uint32_t moduleProcess = 0;
    GuardNote note = GuardNote::None;  // Screen only
    uint32_t noteValue = 0;
};

constexpr size_t kGuardPasswordLimit = 1024;  // code units, as the hand-over file takes
constexpr size_t kGuardScreenLimit = 512;     // processes on the screen: past that, the rest goes unsaid
// A question is 12 bytes (what, the command, how many follow) and the
// password's UTF-16LE units or the processes' 32-bit numbers; an answer 16
// bytes (yes, the module's process, the note and its value), or the 8 of a
// guard from before notes.
constexpr size_t kGuardQuestionHead = 12;
constexpr size_t kGuardQuestionLimit = kGuardQuestionHead + 2 * kGuardPasswordLimit;
static_assert(4 * kGuardScreenLimit <= 2 * kGuardPasswordLimit, "a screen's report fits a question");
constexpr size_t kGuardAnswerSize = 16;
constexpr size_t kGuardAnswerWithoutNote = 8;

std::vector<uint8_t> encodeQuestion(const GuardQuestion& question);
// Nothing for bytes that are not one whole question of a known kind.
std::optional<GuardQuestion> decodeQuestion(const uint8_t* bytes, size_t size);
std::vector<uint8_t> encodeAnswer(const GuardAnswer& answer);
std::optional<GuardAnswer> decodeAnswer(const uint8_t* bytes, size_t size);
