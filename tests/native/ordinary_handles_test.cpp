#include "content/ordinary_handles.h"

#include <gtest/gtest.h>

namespace {

// A handle is known from its add until its remove or a clear; one that shares
// another's slot displaces it, and removing the displaced one leaves the newcomer.
TEST(OrdinaryHandles, KnowsAddedHandlesUntilRemovedClearedOrDisplaced) {
    OrdinaryHandles handles;
    EXPECT_FALSE(handles.contains(0x40));
    EXPECT_FALSE(handles.contains(0));
    handles.add(0x40);
    handles.add(0x44);
    EXPECT_TRUE(handles.contains(0x40));
    EXPECT_TRUE(handles.contains(0x44));
    handles.remove(0x40);
    EXPECT_FALSE(handles.contains(0x40));
    EXPECT_TRUE(handles.contains(0x44));

    const OrdinaryHandles::Handle sameSlot = 0x44 + 4 * 256;
    handles.add(sameSlot);
    EXPECT_FALSE(handles.contains(0x44));
    EXPECT_TRUE(handles.contains(sameSlot));
    handles.remove(0x44);
    EXPECT_TRUE(handles.contains(sameSlot));
    handles.clear();
    EXPECT_FALSE(handles.contains(sameSlot));
}

}  // namespace
