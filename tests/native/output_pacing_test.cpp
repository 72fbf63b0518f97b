// The sound output's pacing on a simulated clock, as the output thread runs
// it: woken by a returned buffer or when its sleep ends, reading a clock
// that moves in 16 ms steps as the coarsest Windows timers do.
#include <gtest/gtest.h>

#include "player/sound/output_pacing.h"
#include "player/sound/sound_mixer.h"

#include <algorithm>
#include <cstdint>
#include <deque>

namespace {

constexpr uint64_t kBufferMs = OutputPacing::kBufferFrames * 1000 / SoundMixer::kRate;

enum class Device { RealTime, TakesAtOnce, StopsAt1s };

struct Played {
    uint64_t gapMs = 0;        // time the device had nothing to play
    uint64_t mostAheadMs = 0;  // written beyond the real time
    uint64_t leastAheadMs = UINT64_MAX;
    uint64_t stalledAt = 0;  // 0: never given up
};

Played play(Device kind, uint64_t lengthMs) {
    Played played;
    OutputPacing pacing(0);
    std::deque<uint64_t> queued;  // when each queued buffer comes back
    uint64_t written = 0, wakeAt = 0, playedTo = 0;
    for (uint64_t now = 0; now < lengthMs && !played.stalledAt; ++now) {
        if (written) played.leastAheadMs = std::min(played.leastAheadMs, written > now ? written - now : 0);
        bool returned = !queued.empty() && queued.front() <= now;
        if (!returned && now < wakeAt) continue;
        uint64_t seen = now / 16 * 16;
        while (!queued.empty() && queued.front() <= now) {
            queued.pop_front();
            pacing.returned(seen);
        }
        while (pacing.mayWrite(seen, queued.size())) {
            uint64_t back = now;
            if (kind != Device::TakesAtOnce) {
                uint64_t from = std::max(playedTo, now);
                played.gapMs += written ? from - playedTo : 0;
                playedTo = from + kBufferMs;
                back = kind == Device::StopsAt1s && playedTo > 1000 ? UINT64_MAX : playedTo;
            }
            queued.push_back(back);
            pacing.wrote();
            written += kBufferMs;
            played.mostAheadMs = std::max(played.mostAheadMs, written > now ? written - now : 0);
        }
        if (pacing.stalled(seen, queued.size())) played.stalledAt = now;
        wakeAt = now + pacing.sleepMs(seen, queued.size());
        if (!queued.empty() && queued.front() <= now) wakeAt = now;
    }
    return played;
}

}  // namespace

TEST(OutputPacing, KeepsTheDeviceFedHeldToTheClockAndGivesUpOnAStall) {
    const uint64_t leadMs = OutputPacing::leadFrames() * 1000 / SoundMixer::kRate;

    Played realTime = play(Device::RealTime, 5000);
    EXPECT_EQ(realTime.gapMs, 0u) << "the device ran dry";
    EXPECT_EQ(realTime.stalledAt, 0u);

    Played atOnce = play(Device::TakesAtOnce, 5000);
    EXPECT_LE(atOnce.mostAheadMs, leadMs + 16) << "a device that takes everything drained the mixer";
    EXPECT_GE(atOnce.leastAheadMs, leadMs / 2) << "the lead is not kept: a slow frame would starve the device";
    EXPECT_EQ(atOnce.stalledAt, 0u);

    Played stopping = play(Device::StopsAt1s, 5000);
    ASSERT_NE(stopping.stalledAt, 0u) << "a device that returns nothing is kept";
    EXPECT_GT(stopping.stalledAt, 1000 + OutputPacing::kStallMs - leadMs);
    EXPECT_LT(stopping.stalledAt, 1000 + OutputPacing::kStallMs + 50);
}
