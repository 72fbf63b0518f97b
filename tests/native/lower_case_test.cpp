#include "content/lower_case.h"

#include <gtest/gtest.h>

TEST(LowerCase, FoldsLatinGreekAndCyrillicCapitalsOnly) {
    EXPECT_EQ(lowerCase(u"SWF\\Intro-1.SWF"), u"swf\\intro-1.swf");
    // Latin-1: the multiplication sign and sharp s stay.
    EXPECT_EQ(lowerCase(u"\u00C0\u00D6\u00D7\u00D8\u00DE\u00DF"), u"\u00E0\u00F6\u00D7\u00F8\u00FE\u00DF");
    // Latin Extended-A pairs start on even and on odd units; Y with diaeresis jumps back.
    EXPECT_EQ(lowerCase(u"\u0100\u0101\u0141\u0142\u0160\u017D\u0178"), u"\u0101\u0101\u0142\u0142\u0161\u017E\u00FF");
    EXPECT_EQ(lowerCase(u"\u0391\u03A3\u03A9\u03C3"), u"\u03B1\u03C3\u03C9\u03C3");
    EXPECT_EQ(lowerCase(u"\u0401\u0410\u042F\u0451\u0462\u04C1"), u"\u0451\u0430\u044F\u0451\u0463\u04C2");
    EXPECT_EQ(lowerCase(u"1/_ \u3042\uFF21"), u"1/_ \u3042\uFF41");
}
