#include "scene/key_value_document.h"

#include <gtest/gtest.h>

#include <string>

namespace {

KeyValueDocument parsed(std::u16string_view text) {
    KeyValueDocument document;
    document.parse(text);
    return document;
}

}  // namespace

TEST(KeyValueDocument, EmptyTextsAndByteOrderMarkAddNothing) {
    EXPECT_EQ(parsed(u"").size(), 0u);
    EXPECT_EQ(parsed(u"\xFEFF").size(), 0u);
    EXPECT_EQ(parsed(u"\r\n \t\r\n;a=b\r\n").size(), 0u);
    // Only the first unit is a mark; a second one is text.
    EXPECT_TRUE(parsed(u"\xFEFF\xFEFF" u"a=1").contains(u"\xFEFF" u"a"));
}

TEST(KeyValueDocument, FirstEqualsSplitsAndBothSidesAreTrimmed) {
    KeyValueDocument document = parsed(u" a = b = c \r\n=x\r\nlonely\r\n\tk\t=\t\r\n");
    EXPECT_EQ(document.text(u"a"), u"b = c");
    EXPECT_EQ(document.text(u""), u"x");
    EXPECT_TRUE(document.contains(u"lonely"));
    EXPECT_EQ(document.text(u"lonely", u"fallback"), u"");
    EXPECT_TRUE(document.flag(u"lonely", true));
    EXPECT_EQ(document.text(u"k"), u"");
    EXPECT_EQ(document.text(u"absent", u"fallback"), u"fallback");
}

TEST(KeyValueDocument, SemicolonStartsACommentOnlyAtTheFront) {
    KeyValueDocument document = parsed(u"  ;c=1\r\nx;y=1\r\nz=a;b");
    EXPECT_FALSE(document.contains(u";c"));
    EXPECT_FALSE(document.contains(u"c"));
    EXPECT_EQ(document.text(u"x;y"), u"1");
    EXPECT_EQ(document.text(u"z"), u"a;b");
}

TEST(KeyValueDocument, OnlyCarriageReturnLineFeedEndsALine) {
    KeyValueDocument lf = parsed(u"a=1\nb=2\n");
    ASSERT_EQ(lf.size(), 1u);
    EXPECT_EQ(lf.text(u"a"), u"1\nb=2");
    KeyValueDocument cr = parsed(u"a=1\rb=2");
    EXPECT_EQ(cr.text(u"a"), u"1\rb=2");
    KeyValueDocument noFinalBreak = parsed(u"a=1\r\nb=2");
    EXPECT_EQ(noFinalBreak.text(u"b"), u"2");
}

TEST(KeyValueDocument, TextEndsAtTheFirstZeroUnit) {
    std::u16string text(u"a=1\r\nb=2");
    text[5] = u'\0';
    KeyValueDocument document = parsed(text);
    EXPECT_EQ(document.size(), 1u);
    EXPECT_EQ(document.text(u"a"), u"1");
}

TEST(KeyValueDocument, LaterKeysWinAlsoAcrossMergedTexts) {
    KeyValueDocument document = parsed(u"close=close\r\nclose=minimize\r\nkeep=1");
    EXPECT_EQ(document.text(u"close"), u"minimize");
    document.parse(u"close=none\r\nHide-Cursor=true");
    EXPECT_EQ(document.text(u"close"), u"none");
    EXPECT_EQ(document.text(u"keep"), u"1");
    EXPECT_FALSE(document.contains(u"hide-cursor"));
    EXPECT_FALSE(document.flag(u"hide-cursor", false));
}

TEST(KeyValueDocument, FlagIsTrueOnlyForLowerCaseTrue) {
    KeyValueDocument document = parsed(u"a=true\r\nb=TRUE\r\nc=1\r\nd=\r\ne=false");
    EXPECT_TRUE(document.flag(u"a", false));
    EXPECT_FALSE(document.flag(u"b", true));
    EXPECT_FALSE(document.flag(u"c", true));
    EXPECT_TRUE(document.flag(u"d", true));
    EXPECT_FALSE(document.flag(u"e", true));
    EXPECT_TRUE(document.flag(u"absent", true));
}

TEST(KeyValueDocument, NumberScansLikeADecimalConversion) {
    KeyValueDocument document = parsed(
        u"a=12abc\r\nb= -3\r\nc=abc\r\nd=\r\ne=+7\r\nf=99999999999\r\ng=-99999999999\r\nh=- 4\r\ni=\v12");
    EXPECT_EQ(document.number(u"a", 5), 12);
    EXPECT_EQ(document.text(u"b"), u"-3");
    EXPECT_EQ(document.number(u"b", 5), -3);
    EXPECT_EQ(document.number(u"c", 5), 0);
    EXPECT_EQ(document.number(u"d", 5), 5);
    EXPECT_EQ(document.number(u"absent", 5), 5);
    EXPECT_EQ(document.number(u"e", 5), 7);
    EXPECT_EQ(document.number(u"f", 5), 2147483647);
    EXPECT_EQ(document.number(u"g", 5), -2147483647 - 1);
    EXPECT_EQ(document.number(u"h", 5), 0);
    EXPECT_EQ(document.number(u"i", 5), 12);
}

TEST(KeyValueDocument, TextWithBreaksReplacesEverySeparator) {
    KeyValueDocument document = parsed(u"list=a.txt|b.txt||c\r\nnl=a\nb");
    EXPECT_EQ(document.textWithBreaks(u"list"), u"a.txt\r\nb.txt\r\n\r\nc");
    EXPECT_EQ(document.textWithBreaks(u"absent"), u"");
    EXPECT_EQ(document.textWithBreaks(u"list", u"."), u"a\r\ntxt|b\r\ntxt||c");
    // A separator contained in CR LF is replaced once, not forever.
    EXPECT_EQ(document.textWithBreaks(u"nl", u"\n"), u"a\r\nb");
}

TEST(KeyValueDocument, RemoveDeletesOnlyThePair) {
    KeyValueDocument document = parsed(u"a=1\r\nb=2");
    document.remove(u"a");
    document.remove(u"zzz");
    EXPECT_FALSE(document.contains(u"a"));
    EXPECT_EQ(document.text(u"b"), u"2");
}

TEST(KeyValueDocument, BytesAreLittleEndianAndAnOddLastByteIsIgnored) {
    const unsigned char bytes[] = {0xFF, 0xFE, 'k', 0, '=', 0, 0x16, 0x04, 'x'};
    KeyValueDocument document;
    document.parseBytes(bytes, sizeof bytes);
    EXPECT_EQ(document.text(u"k"), u"\x0416");
    document.parseBytes(bytes, 1);
    EXPECT_EQ(document.size(), 1u);
}

TEST(KeyValueDocument, AnsiTextGoesThroughTheGivenConversion) {
    KeyValueDocument document = parsed(u"size=1/3\r\nname=\x0416z");
    EXPECT_EQ(document.ansiText(u"size", asciiText), "1/3");
    EXPECT_EQ(document.ansiText(u"name", asciiText), "?z");
    EXPECT_EQ(document.ansiText(u"absent", asciiText), "");
}
