#include "content/probe_read.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

class FakeFile : public RealFile {
public:
    explicit FakeFile(std::size_t size) {
        for (std::size_t i = 0; i < size; ++i) bytes.push_back(std::uint8_t(i + 1));
    }
    bool read(void* buffer, std::uint32_t length, std::uint32_t* got) override {
        if (fail) return false;
        std::uint32_t n = std::min<std::size_t>(length, bytes.size() - position);
        std::copy_n(bytes.begin() + position, n, static_cast<std::uint8_t*>(buffer));
        position += n;
        *got = n;
        return true;
    }
    void moveBack(std::uint32_t distance) override { position -= distance; }

    std::vector<std::uint8_t> bytes;
    std::size_t position = 0;
    bool fail = false;
};

std::vector<std::uint8_t> range(std::uint8_t first, std::size_t count) {
    std::vector<std::uint8_t> v;
    for (std::size_t i = 0; i < count; ++i) v.push_back(std::uint8_t(first + i));
    return v;
}

TEST(ProbeRead, ShortFirstReadIsEnlargedAndGivesTheSurplusBack) {
    FakeFile file(100);
    Marker capture{};
    std::vector<std::uint8_t> buffer(8, 0xEE);
    std::uint32_t reported = 99;
    ProbeOutcome outcome = probeRead(file, buffer.data(), 8, &reported, capture);
    EXPECT_TRUE(outcome.succeeded);
    EXPECT_TRUE(outcome.captured);
    EXPECT_EQ(reported, 8u);
    EXPECT_EQ(buffer, range(1, 8));
    EXPECT_EQ(std::vector<std::uint8_t>(capture.begin(), capture.end()), range(1, 32));
    EXPECT_EQ(file.position, 8u);
}

TEST(ProbeRead, LongFirstReadCapturesFromTheCallersBuffer) {
    FakeFile file(100);
    Marker capture{};
    std::vector<std::uint8_t> buffer(1000);
    std::uint32_t reported = 0;
    ProbeOutcome outcome = probeRead(file, buffer.data(), 1000, &reported, capture);
    EXPECT_TRUE(outcome.succeeded && outcome.captured);
    EXPECT_EQ(reported, 100u);
    EXPECT_EQ(std::vector<std::uint8_t>(buffer.begin(), buffer.begin() + 100), range(1, 100));
    EXPECT_EQ(std::vector<std::uint8_t>(capture.begin(), capture.end()), range(1, 32));
}

TEST(ProbeRead, FilesShorterThanAMarkerReadAsTheyAreAndCaptureNothing) {
    for (std::uint32_t request : {10u, 32u, 4096u}) {
        FakeFile file(20);
        Marker capture{};
        std::vector<std::uint8_t> buffer(request);
        std::uint32_t reported = 0;
        ProbeOutcome outcome = probeRead(file, buffer.data(), request, &reported, capture);
        std::uint32_t expected = std::min(request, 20u);
        EXPECT_TRUE(outcome.succeeded);
        EXPECT_FALSE(outcome.captured) << request;
        EXPECT_EQ(reported, expected);
        EXPECT_EQ(std::vector<std::uint8_t>(buffer.begin(), buffer.begin() + expected), range(1, expected));
        EXPECT_EQ(file.position, expected);
    }
}

TEST(ProbeRead, FailedReadReportsNothing) {
    FakeFile file(100);
    file.fail = true;
    Marker capture{};
    std::uint8_t buffer[8];
    std::uint32_t reported = 5;
    ProbeOutcome outcome = probeRead(file, buffer, 8, &reported, capture);
    EXPECT_FALSE(outcome.succeeded || outcome.captured);
    EXPECT_EQ(reported, 0u);
}

TEST(ProbeRead, ZeroByteRequestStillCapturesAndMovesNothing) {
    FakeFile file(40);
    Marker capture{};
    std::uint8_t unused = 0xAB;
    std::uint32_t reported = 7;
    ProbeOutcome outcome = probeRead(file, &unused, 0, &reported, capture);
    EXPECT_TRUE(outcome.succeeded && outcome.captured);
    EXPECT_EQ(reported, 0u);
    EXPECT_EQ(unused, 0xAB);
    EXPECT_EQ(file.position, 0u);
}

}  // namespace
