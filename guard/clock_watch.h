#pragma once
#include <cstdint>
#include <string>

#include "guard/guard_core.h"

// Tells the guard when the wall clock or the time zone was changed: between
// two looks the wall clock moved more than the awake clock, or less, by more
// than a look's slack (sleep, which stops the awake clock, is not a change),
// or the zone's name is not the one of the look before (daylight saving keeps
// the name).
class ClockWatch {
public:
    static constexpr int64_t kSlack = 2 * 60 * 10'000'000LL;  // two minutes

    struct Change {
        bool clock = false;
        bool zone = false;
        int64_t minutes = 0;  // how far the clock moved, ahead or (negative) back
    };
    Change look(GuardClock now, const std::u16string& zone);
    // The computer slept: the next look's clocks are not compared.
    void slept() { known_ = false; }

private:
    bool known_ = false;
    GuardClock last_;
    std::u16string zone_;
};
