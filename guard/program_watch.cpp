#include "guard/program_watch.h"

#include <algorithm>

#include "calendar/weekly_calendar.h"
#include "content/lower_case.h"
#include "control/usage_time.h"

void ProgramWatch::know(const std::string& user, const std::u16string& group, const CalendarRecord& record) {
    users_[user].groups[lowerCase(group)].record = record;
}

std::map<std::u16string, CalendarRecord> ProgramWatch::records(const std::string& user) const {
    std::map<std::u16string, CalendarRecord> records;
    if (const auto found = users_.find(user); found != users_.end())
        for (const auto& [name, group] : found->second.groups) records[name] = group.record;
    return records;
}

std::vector<ProgramSteps> ProgramWatch::look(const std::string& name, const std::vector<ProgramGroup>& groups,
                                             const std::vector<ProgramSight>& sights, uint64_t awake,
                                             LocalMinute local, bool extraTime) {
    User& user = users_[name];
    int64_t units = 0;
    if (user.looked && awake > user.awakeAt)
        units = std::min<int64_t>(static_cast<int64_t>(awake - user.awakeAt),
                                  kLongestCountedLookSeconds * kUnitsPerSecond);
    user.looked = true;
    user.awakeAt = awake;

    std::vector<ProgramSteps> steps(groups.size());
    for (size_t i = 0; i < groups.size() && i < sights.size(); ++i) {
        Group& watched = user.groups[lowerCase(groups[i].name)];
        // Time on the screen counts from one look that saw it to the next.
        const int64_t seenUnits = sights[i].onScreen && watched.seen.onScreen ? units : 0;
        watched.seen = sights[i];
        if (!groups[i].limited() || extraTime) {  // nothing to count, nothing to end
            watched.phase = Phase::Open;
            watched.warnedAt = INT32_MAX;
            continue;
        }
        steps[i] = follow(groups[i], watched, sights[i], seenUnits, awake, local);
    }
    return steps;
}

ProgramSteps ProgramWatch::follow(const ProgramGroup& group, Group& watched, ProgramSight sight, int64_t units,
                                  uint64_t awake, LocalMinute local) {
    ProgramSteps steps;
    for (watched.unitsOfMinute += units; watched.unitsOfMinute >= kUnitsPerMinute;
         watched.unitsOfMinute -= kUnitsPerMinute)
        CalendarGate::countMinute(group.week, watched.record, local - 1);

    if (CalendarGate::allows(group.week, watched.record, local)) {
        watched.phase = Phase::Open;
        const int32_t left = CalendarGate::minutesLeft(group.week, watched.record, local);
        if (left < 0 || left > kProgramWarnings[0]) watched.warnedAt = INT32_MAX;  // a new day, or more minutes
        // The smallest warning the minutes left have reached, once, while the program runs.
        int32_t reached = INT32_MAX;
        for (int32_t warning : kProgramWarnings)
            if (left >= 0 && left <= warning) reached = std::min(reached, warning);
        if (sight.running && reached < watched.warnedAt) {
            watched.warnedAt = reached;
            steps.warning = left;
        }
        return steps;
    }
    switch (watched.phase) {
    case Phase::Open:
        watched.phase = sight.running ? Phase::CloseAsked : Phase::Ended;
        watched.closeAskedAt = awake;
        steps.askClose = sight.running;
        break;
    case Phase::CloseAsked:
        if (sight.running && awake - watched.closeAskedAt < uint64_t{kProgramSaveSeconds * kUnitsPerSecond}) break;
        watched.phase = Phase::Ended;
        steps.end = sight.running;
        break;
    case Phase::Ended: steps.end = steps.refused = sight.running; break;
    }
    return steps;
}
