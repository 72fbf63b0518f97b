#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "calendar/calendar_record.h"
#include "calendar/program_groups.h"

// The guard's rules for the programs the parents limit. Like GuardCore it
// owns no clock: each look hands it what the guard saw of a child's programs
// and the time. A group's minute is a minute of awake time in which one of its
// programs had a window on the screen; it counts against the group's hours and
// minutes a day by the calendar's own rules (the budget's day, the clock going
// back), and stops counting while extra time runs. At 10 and at 3 minutes
// left the child is warned; at the end the group's windows are asked to close,
// and a minute later what still runs is ended, as is every start after that.

// What one look saw of a group's programs in the child's sessions.
struct ProgramSight {
    bool running = false;   // one of its processes runs
    bool onScreen = false;  // one of them has a visible, not minimised window
};

// What the guard is to do for a group after the look.
struct ProgramSteps {
    int32_t warning = -1;   // the minutes left, for Tikko's quiet balloon; -1 for none
    bool askClose = false;  // its windows are asked to close: a game gets a minute to save
    bool end = false;       // its processes are ended
    bool refused = false;   // it was started after its limit: the child is told why
};

constexpr int32_t kProgramWarnings[] = {10, 3};
constexpr int64_t kProgramSaveSeconds = 60;
// The longest stretch between two looks that counts: the guard looks every
// two seconds, and a longer one is a stall or a sleep it did not hear of.
constexpr int64_t kLongestCountedLookSeconds = 10;

class ProgramWatch {
public:
    // A group's record as last stored, before the child's first look.
    void know(const std::string& user, const std::u16string& group, const CalendarRecord& record);
    // Each group's record by its name in lower case, for the guard to keep.
    std::map<std::u16string, CalendarRecord> records(const std::string& user) const;

    // One look at a child: the sights go with the groups, one for one.
    std::vector<ProgramSteps> look(const std::string& user, const std::vector<ProgramGroup>& groups,
                                   const std::vector<ProgramSight>& sights, uint64_t awake, LocalMinute local,
                                   bool extraTime);

private:
    enum class Phase { Open, CloseAsked, Ended };
    struct Group {
        CalendarRecord record;
        Phase phase = Phase::Open;
        uint64_t closeAskedAt = 0;
        int64_t unitsOfMinute = 0;
        int32_t warnedAt = INT32_MAX;  // the smallest warning given
        ProgramSight seen;
    };
    struct User {
        bool looked = false;
        uint64_t awakeAt = 0;
        std::map<std::u16string, Group> groups;
    };

    static ProgramSteps follow(const ProgramGroup& group, Group& watched, ProgramSight sight, int64_t units,
                               uint64_t awake, LocalMinute local);

    std::map<std::string, User> users_;
};
