#include "common/key_value_document.h"

#include "ascii_text.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <utility>
#include <vector>

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
    EXPECT_TRUE(parsed(u"\uFEFF\uFEFFa=1").contains(u"\uFEFFa"));
}

// Each text read alone: the value each key then has (nullptr: no such key).
TEST(KeyValueDocument, LinesSplitAtTheFirstEqualsAndOnlyCarriageReturnLineFeedEndsOne) {
    const struct {
        std::u16string_view text;
        std::vector<std::pair<std::u16string, const char16_t*>> values;
    } cases[] = {
        {u" a = b = c \r\n=x", {{u"a", u"b = c"}, {u"", u"x"}}},
        {u"lonely\r\n\tk\t=\t\r\n", {{u"lonely", u""}, {u"k", u""}}},
        {u"  ;c=1\r\nx;y=1\r\nz=a;b", {{u"c", nullptr}, {u";c", nullptr}, {u"x;y", u"1"}, {u"z", u"a;b"}}},
        {u"a=1\nb=2\n", {{u"a", u"1\nb=2"}, {u"b", nullptr}}},
        {u"a=1\rb=2", {{u"a", u"1\rb=2"}}},
        {u"a=1\r\nb=2", {{u"b", u"2"}}},
        {std::u16string_view(u"a=1\0\r\nb=2", 9), {{u"a", u"1"}, {u"b", nullptr}}},  // the text ends at a zero unit
    };
    for (const auto& c : cases)
        for (const auto& [key, value] : c.values) {
            KeyValueDocument document = parsed(c.text);
            EXPECT_EQ(document.contains(key), value != nullptr) << "case " << &c - cases << ", " << asciiText(key);
            if (value) {
                EXPECT_EQ(document.text(key, u"fallback"), value) << "case " << &c - cases << ", " << asciiText(key);
            }
        }
    KeyValueDocument document = parsed(u"a=1\r\nb=2");
    EXPECT_EQ(document.text(u"absent", u"fallback"), u"fallback");
    document.remove(u"a");
    document.remove(u"zzz");
    EXPECT_FALSE(document.contains(u"a"));
    EXPECT_EQ(document.text(u"b"), u"2");
}

TEST(KeyValueDocument, LaterKeysWinAlsoAcrossMergedTexts) {
    KeyValueDocument document = parsed(u"close=close\r\nclose=minimize\r\nkeep=1");
    EXPECT_EQ(document.text(u"close"), u"minimize");
    document.parse(u"close=none\r\nHide-Cursor=true");
    EXPECT_EQ(document.text(u"close"), u"none");
    EXPECT_EQ(document.text(u"keep"), u"1");
    EXPECT_FALSE(document.contains(u"hide-cursor"));
}

TEST(KeyValueDocument, FlagIsTrueOnlyForLowerCaseTrue) {
    KeyValueDocument document = parsed(u"a=true\r\nb=TRUE\r\nc=1\r\nd=\r\ne=false");
    EXPECT_TRUE(document.flag(u"a", false));
    EXPECT_TRUE(document.flag(u"d", true));
    EXPECT_TRUE(document.flag(u"absent", true));
    for (std::u16string key : {u"b", u"c", u"e"}) EXPECT_FALSE(document.flag(key, true)) << asciiText(key);
}

TEST(KeyValueDocument, NumberScansLikeADecimalConversion) {
    KeyValueDocument document =
        parsed(u"a=12abc\r\nb= -3\r\nc=abc\r\nd=\r\ne=+7\r\nf=99999999999\r\ng=-99999999999\r\nh=- 4\r\ni=\v12");
    const std::pair<std::u16string, int> cases[] = {{u"a", 12},     {u"b", -3}, {u"c", 0},       {u"d", 5},
                                                    {u"absent", 5}, {u"e", 7},  {u"f", INT_MAX}, {u"g", INT_MIN},
                                                    {u"h", 0},      {u"i", 12}};
    for (const auto& [key, want] : cases)
        EXPECT_EQ(document.number(key, 5), want) << std::string(key.begin(), key.end());
}

// Every separator replaced by a line break (one contained in CR LF once, not
// forever); ANSI text through the given conversion.
TEST(KeyValueDocument, TextWithBreaksAndAnsiText) {
    KeyValueDocument document = parsed(u"list=a.txt|b.txt||c\r\nnl=a\nb\r\nname=\x0416z");
    EXPECT_EQ(document.textWithBreaks(u"list"), u"a.txt\r\nb.txt\r\n\r\nc");
    EXPECT_EQ(document.textWithBreaks(u"absent"), u"");
    EXPECT_EQ(document.textWithBreaks(u"list", u"."), u"a\r\ntxt|b\r\ntxt||c");
    EXPECT_EQ(document.textWithBreaks(u"nl", u"\n"), u"a\r\nb");
    EXPECT_EQ(document.ansiText(u"list", asciiText), "a.txt|b.txt||c");
    EXPECT_EQ(document.ansiText(u"name", asciiText), "?z");
    EXPECT_EQ(document.ansiText(u"absent", asciiText), "");
}

TEST(KeyValueDocument, BytesAreLittleEndianAndAnOddLastByteIsIgnored) {
    const unsigned char bytes[] = {0xFF, 0xFE, 'k', 0, '=', 0, 0x16, 0x04, 'x'};
    KeyValueDocument document;
    document.parseBytes(bytes, sizeof bytes);
    EXPECT_EQ(document.text(u"k"), u"\x0416");
    document.parseBytes(bytes, 1);
    EXPECT_EQ(document.size(), 1u);
}
