#pragma once
#include <cstdint>
#include <string>
#include <vector>

// The tricks the guard beat, for the parents: each with its moment and the
// child (empty where it is the computer's), as lines of "tricks.csv" in the
// guard's own folder and as events of the Application log. The values are
// the events' ids less kTrickEventBase; they are stored, so they never change.
enum class Trick : uint32_t {
    ModuleEnded = 1,     // the guard's module ended without the parents
    ModuleImitated = 2,  // another process of the module's program ran in the child's session
    FileHeldOpen = 3,    // a file of the parents' could not be read: held open by another program
    ClockChanged = 4,    // the wall clock jumped while the computer was awake
    ZoneChanged = 5,     // the computer's time zone changed
    SafeMode = 6,        // the computer started in Safe Mode
    ProgramRenamed = 7,  // a limited program ran under another file name than the parents gave
    ProgramCopied = 8,   // a limited program ran from a copy of its file elsewhere
    ModuleSilent = 9,    // the guard's module stopped answering while it ran: suspended, or hung
};
constexpr uint32_t kLastTrick = 9;

// Events of the guard's own: started and stopped; a trick's is the base plus the trick.
constexpr uint32_t kGuardStartedEvent = 1;
constexpr uint32_t kGuardStoppedEvent = 2;
constexpr uint32_t kTrickEventBase = 100;

extern const char kTrickHeader[];
// The most recent tricks a log keeps.
constexpr size_t kKeptTricks = 500;

// "2026-12-09 18:05;Маша;3": the UTC moment to the minute, the child (UTF-8,
// with ";" and line ends taken out), the trick.
std::string trickLine(uint64_t utc, const std::u16string& child, Trick trick);
// The log with the line added at its end, under its header, the oldest lines
// past kKeptTricks dropped; a log without the header starts anew.
std::string withTrickLine(const std::string& log, const std::string& line);

// A line of the log, as the parents' dialog shows it.
struct TrickEntry {
    std::string when;   // "2026-12-09 18:05", UTC
    uint64_t utc;       // the same moment in 100 ns units since 1601; 0 where it does not read
    std::string child;  // UTF-8; empty where it is the computer's
    Trick trick;
};
// The log's tricks, the newest first; a line that is not one of a known trick is left out.
std::vector<TrickEntry> tricksOf(const std::string& log);
