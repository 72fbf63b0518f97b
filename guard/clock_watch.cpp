#include "guard/clock_watch.h"

#include "control/usage_time.h"

ClockWatch::Change ClockWatch::look(GuardClock now, const std::u16string& zone) {
    Change change;
    if (known_) {
        const int64_t drift = unitsBetween(last_.utc, now.utc) - unitsBetween(last_.awake, now.awake);
        change.clock = drift > kSlack || drift < -kSlack;
        change.minutes = change.clock ? drift / kUnitsPerMinute : 0;
        change.zone = zone != zone_;
    }
    known_ = true;
    last_ = now;
    zone_ = zone;
    return change;
}
