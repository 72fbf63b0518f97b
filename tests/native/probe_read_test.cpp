#include "content/probe_read.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

class FakeFile : public RealFile {
public:
    explicit FakeFile(size_t size) {
        for (size_t i = 0; i < size; ++i) bytes.push_back(uint8_t(i + 1));
    }
    bool read(void* buffer, uint32_t length, uint32_t* got) override {
        if (fail) return false;
        uint32_t n = std::min<size_t>(length, bytes.size() - position);
        std::copy_n(bytes.begin() + position, n, static_cast<uint8_t*>(buffer));
        position += n;
        *got = n;
        return true;
    }
    void moveBack(uint32_t distance) override { position -= distance; }

    std::vector<uint8_t> bytes;
    size_t position = 0;
    bool fail = false;
};

// A short first read is enlarged to a marker and gives the surplus back; a long
// one captures from the caller's buffer; a file shorter than a marker is read
// as it is. Nothing lands past the caller's buffer.
TEST(ProbeRead, FirstReadsCaptureTheMarkerAndReportWhatThePlainReadWould) {
    struct Case {
        const char* name;
        size_t fileSize;
        uint32_t request;
        bool fail, captured;
        uint32_t reported;
    };
    const Case cases[] = {
        {"short request", 100, 8, false, true, 8},
        {"long request", 100, 1000, false, true, 100},
        {"zero bytes", 40, 0, false, true, 0},
        {"file shorter than a marker, short request", 20, 10, false, false, 10},
        {"file shorter than a marker, a marker's request", 20, 32, false, false, 20},
        {"file shorter than a marker, long request", 20, 4096, false, false, 20},
        {"failed read", 100, 8, true, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeFile file(c.fileSize);
        file.fail = c.fail;
        Marker capture{};
        std::vector<uint8_t> buffer(c.request + 1, 0xEE);
        uint32_t reported = 12345;
        ProbeOutcome outcome = probeRead(file, buffer.data(), c.request, &reported, capture);
        EXPECT_EQ(outcome.succeeded, !c.fail);
        EXPECT_EQ(outcome.captured, c.captured);
        EXPECT_EQ(reported, c.reported);
        EXPECT_TRUE(std::equal(file.bytes.begin(), file.bytes.begin() + c.reported, buffer.begin()));
        EXPECT_EQ(buffer[c.request], 0xEE) << "written past the caller's buffer";
        EXPECT_EQ(file.position, c.reported);
        if (c.captured) {
            EXPECT_TRUE(std::equal(capture.begin(), capture.end(), file.bytes.begin()));
        }
    }
}

}  // namespace
