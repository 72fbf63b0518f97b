#include "shell/message_caption.h"

#include <gtest/gtest.h>

#include <string>

// Cyrillic systems load the module's caption or the error word; the others
// show "Info" only where an English caption exists.
TEST(MessageCaption, CyrillicSystemsLoadACaptionOthersShowAnEnglishWord) {
    EXPECT_EQ(messageCaption(1251, 119, 123).stringId, 119);
    EXPECT_EQ(messageCaption(1251, 0, 0).stringId, 109);
    EXPECT_EQ(messageCaption(1251, 0, 123).stringId, 109);
    for (unsigned codePage : {1252u, 437u, 65001u, 0u}) {
        MessageCaption withEnglish = messageCaption(codePage, 119, 123);
        EXPECT_EQ(withEnglish.stringId, 0);
        EXPECT_EQ(std::u16string(withEnglish.literal), u"Info");
        EXPECT_EQ(std::u16string(messageCaption(codePage, 119, 0).literal), u"Error");
    }
}
