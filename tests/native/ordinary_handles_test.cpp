#include "content/ordinary_handles.h"

#include <gtest/gtest.h>

namespace {

TEST(OrdinaryHandles, KnowsAddedHandlesUntilRemovedOrCleared) {
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
    handles.clear();
    EXPECT_FALSE(handles.contains(0x44));
}

TEST(OrdinaryHandles, HandleSharingASlotDisplacesTheOtherAndRemovingItLeavesTheNewcomer) {
    OrdinaryHandles handles;
    const OrdinaryHandles::Handle first = 0x40, second = 0x40 + 4 * 256;
    handles.add(first);
    handles.add(second);
    EXPECT_FALSE(handles.contains(first));
    EXPECT_TRUE(handles.contains(second));
    handles.remove(first);
    EXPECT_TRUE(handles.contains(second));
}

}  // namespace
