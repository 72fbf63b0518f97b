#include "content/virtual_file_table.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

Marker markerOf(uint8_t fill) {
    Marker marker;
    marker.fill(fill);
    return marker;
}

VirtualFile movie(std::u16string path, size_t size, uint8_t markerFill, unsigned maxMatches = 2) {
    VirtualFile file;
    file.path = std::move(path);
    file.data.reset(new uint8_t[size]);
    for (size_t i = 0; i < size; ++i) file.data[i] = uint8_t(i * 7 + markerFill);
    file.size = size;
    file.maxMatches = maxMatches;
    file.marker = markerOf(markerFill);
    file.deleteOnLastClose = true;
    return file;
}

void failingSource(void*, size_t) {}
void sevens(void* buffer, size_t length) { std::memset(buffer, 7, length); }

// Every movie with the marker counts the match, but only the oldest with room
// binds; closing a bound handle makes no room, as the match count never falls.
TEST(VirtualFileTable, MarkerBindsTheOldestMovieWithRoomUpToItsMaxMatches) {
    VirtualFileTable table;
    VirtualFile& older = table.add(movie(u"old", 10, 5, 1));
    VirtualFile& newer = table.add(movie(u"new", 10, 5, 3));
    const VirtualFile* boundTo[] = {&older, &newer, &newer, nullptr};
    for (uint32_t handle = 1; handle <= 4; ++handle) {
        HandleState& state = table.track(handle);
        EXPECT_TRUE(state.probePending);
        EXPECT_EQ(table.bind(state, markerOf(5)), handle < 4);
        EXPECT_EQ(state.movie, boundTo[handle - 1]) << handle;
        EXPECT_FALSE(state.probePending);
    }
    EXPECT_EQ(older.matchCount, 4u);
    EXPECT_EQ(newer.matchCount, 4u);
    EXPECT_EQ(older.openCount, 1u);
    EXPECT_EQ(newer.openCount, 2u);

    EXPECT_FALSE(table.forget(2).has_value());
    EXPECT_FALSE(table.bind(table.track(5), markerOf(5)));
}

TEST(VirtualFileTable, BoundReadsAndSeeksStayInsideTheMovie) {
    VirtualFileTable table;
    VirtualFile& m = table.add(movie(u"m", 100, 3));
    HandleState& state = table.track(1);
    ASSERT_TRUE(table.bind(state, markerOf(3)));
    uint8_t bytes[8];

    EXPECT_EQ(table.seekBound(state, 0, kSeekEnd), 100u);
    EXPECT_EQ(table.readBound(state, bytes, 8), 0u);
    EXPECT_EQ(table.seekBound(state, 10, kSeekBegin), 10u);
    EXPECT_EQ(table.readBound(state, bytes, 5), 5u);
    EXPECT_EQ(std::memcmp(bytes, m.data.get() + 10, 5), 0);
    EXPECT_EQ(table.seekBound(state, -3, kSeekCurrent), 12u);
    EXPECT_EQ(table.seekBound(state, -4, kSeekEnd), 96u);
    EXPECT_EQ(table.readBound(state, bytes, 8), 4u);
    EXPECT_EQ(std::memcmp(bytes, m.data.get() + 96, 4), 0);
    EXPECT_EQ(table.seekBound(state, 50, kSeekEnd), 150u);
    EXPECT_EQ(table.readBound(state, bytes, 8), 0u);

    // Before the start is refused and leaves the position alone.
    EXPECT_FALSE(table.seekBound(state, -151, kSeekCurrent).has_value());
    EXPECT_FALSE(table.seekBound(state, -1, kSeekBegin).has_value());
    EXPECT_EQ(state.position, 150u);
    EXPECT_EQ(table.seekBound(state, 20, 7), 0u);
}

// A movie without bytes binds but serves nothing from memory.
TEST(VirtualFileTable, LastBoundCloseReleasesTheMovie) {
    VirtualFileTable table;
    table.add(movie(u"kept", 10, 1));
    VirtualFile keep = movie(u"stays", 10, 2), empty = movie(u"e", 0, 4);
    keep.deleteOnLastClose = false;
    table.add(std::move(keep));
    empty.data.reset();
    table.add(std::move(empty));
    HandleState& bare = table.track(5);
    ASSERT_TRUE(table.bind(bare, markerOf(4)));
    EXPECT_FALSE(bare.servedFromMemory());
    EXPECT_TRUE(table.forget(5).has_value());
    ASSERT_TRUE(table.bind(table.track(1), markerOf(1)));
    ASSERT_TRUE(table.bind(table.track(2), markerOf(1)));
    ASSERT_TRUE(table.bind(table.track(3), markerOf(2)));
    table.track(4);

    EXPECT_FALSE(table.forget(4).has_value());
    EXPECT_FALSE(table.forget(99).has_value());
    EXPECT_FALSE(table.forget(1).has_value());
    std::optional<VirtualFile> released = table.forget(2);
    ASSERT_TRUE(released.has_value());
    EXPECT_EQ(released->path, u"kept");
    EXPECT_NE(released->data, nullptr);
    EXPECT_EQ(table.movieCount(), 1u);

    EXPECT_FALSE(table.forget(3).has_value());
    EXPECT_EQ(table.movieCount(), 1u);
    EXPECT_FALSE(table.empty());
    std::list<VirtualFile> all = table.releaseAll();
    ASSERT_EQ(all.size(), 1u);
    EXPECT_EQ(all.front().path, u"stays");
    EXPECT_TRUE(table.empty());
}

TEST(VirtualFileTable, MarkersComeFromTheSourceAndDifferWhenItFails) {
    EXPECT_EQ(newMarker(sevens, 1), markerOf(7));
    EXPECT_EQ(newMarker(sevens, 2), markerOf(7));
    Marker a = newMarker(failingSource, 1);
    Marker b = newMarker(failingSource, 2);
    EXPECT_NE(a, b);
    EXPECT_NE(a, markerOf(0));
}

}  // namespace
