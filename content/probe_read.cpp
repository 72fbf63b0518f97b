#include "content/probe_read.h"

#include <algorithm>
#include <cstring>

ProbeOutcome probeRead(RealFile& file, void* buffer, uint32_t toRead, uint32_t* reported, Marker& capture) {
    uint32_t got = 0;
    ProbeOutcome outcome{false, false};
    if (toRead < kMarkerSize) {
        outcome.succeeded = file.read(capture.data(), kMarkerSize, &got);
        if (!outcome.succeeded) {
            got = 0;  // what was read landed in the capture, not in the caller's buffer
        } else {
            outcome.captured = got == kMarkerSize;
            std::memcpy(buffer, capture.data(), std::min(got, toRead));
            if (got > toRead) {
                file.moveBack(got - toRead);
                got = toRead;
            }
        }
    } else {
        outcome.succeeded = file.read(buffer, toRead, &got);
        if (outcome.succeeded && got >= kMarkerSize) {
            std::memcpy(capture.data(), buffer, kMarkerSize);
            outcome.captured = true;
        }
    }
    *reported = got;
    return outcome;
}
