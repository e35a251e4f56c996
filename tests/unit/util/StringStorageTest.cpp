#include <gtest/gtest.h>

#include <cstdint>

#include "util/AnsiStringStorage.h"
#include "util/StringStorage.h"
#include "util/Utf.h"

using namespace ostiva;

TEST(StringStorage, NullAndCopiesAreIndependent) {
    StringStorage a(u"proxy");
    a.SetString(static_cast<const char16_t*>(nullptr));
    EXPECT_TRUE(a.IsEmpty());
    EXPECT_EQ(a.GetString()[0], u'\0');

    StringStorage b(u"host");
    StringStorage c = b;
    c.SetString(u"other");
    EXPECT_EQ(b.view(), u"host");
}

TEST(StringStorage, GetSubstringClampsAndRejectsReversedRanges) {
    StringStorage text(u"abcdef");
    StringStorage out(u"stale");
    text.GetSubstring(&out, 0, 2);
    EXPECT_EQ(out.view(), u"abc");
    text.GetSubstring(&out, 4, 10);
    EXPECT_EQ(out.view(), u"ef");
    text.GetSubstring(&out, 5, 5);
    EXPECT_EQ(out.view(), u"f");
    text.GetSubstring(&out, 3, 1);
    EXPECT_TRUE(out.IsEmpty());
    out.SetString(u"stale");
    text.GetSubstring(&out, 6, 9);
    EXPECT_TRUE(out.IsEmpty());
    out.SetString(u"stale");
    text.GetSubstring(&out, SIZE_MAX, SIZE_MAX);
    EXPECT_TRUE(out.IsEmpty());
    StringStorage empty;
    out.SetString(u"stale");
    empty.GetSubstring(&out, 0, 0);
    EXPECT_TRUE(out.IsEmpty());
}

TEST(StringStorage, SplitKeepsEmptyPartsAndCounts) {
    size_t count = 0;
    EXPECT_TRUE(StringStorage(u"a;;b").Split(u";", nullptr, &count));
    EXPECT_EQ(count, 3u);
    EXPECT_TRUE(StringStorage(u"a;").Split(u";", nullptr, &count));
    EXPECT_EQ(count, 2u);
    EXPECT_TRUE(StringStorage(u";").Split(u";", nullptr, &count));
    EXPECT_EQ(count, 2u);
    count = 7;
    EXPECT_TRUE(StringStorage().Split(u";", nullptr, &count));
    EXPECT_EQ(count, 0u);

    StringStorage parts[3];
    count = 3;
    ASSERT_TRUE(StringStorage(u"a;;b").Split(u";", parts, &count));
    ASSERT_EQ(count, 3u);
    EXPECT_EQ(parts[0].view(), u"a");
    EXPECT_TRUE(parts[1].IsEmpty());
    EXPECT_EQ(parts[2].view(), u"b");

    // Any unit of the delimiter text cuts.
    count = 3;
    ASSERT_TRUE(StringStorage(u"h:80;x").Split(u":;", parts, &count));
    EXPECT_EQ(count, 3u);
    EXPECT_EQ(parts[1].view(), u"80");
}

TEST(StringStorage, SplitNeverWritesPastTheCapacity) {
    StringStorage parts[3] = {StringStorage(u"x"), StringStorage(u"x"), StringStorage(u"guard")};
    size_t count = 2;
    EXPECT_FALSE(StringStorage(u"a:b:c").Split(u":", parts, &count));
    EXPECT_EQ(parts[2].view(), u"guard");

    count = 2;
    ASSERT_TRUE(StringStorage(u"proxy:8080").Split(u":", parts, &count));
    EXPECT_EQ(count, 2u);
    EXPECT_EQ(parts[0].view(), u"proxy");
    EXPECT_EQ(parts[1].view(), u"8080");

    count = 2;
    ASSERT_TRUE(StringStorage(u"proxy:8080").Split(u";", parts, &count));
    EXPECT_EQ(count, 1u);
    EXPECT_EQ(parts[0].view(), u"proxy:8080");

    count = 0;
    EXPECT_FALSE(StringStorage(u"proxy").Split(u";", parts, &count));
}

TEST(AnsiStringStorage, FromWideConvertsNonAsciiAndReplacesUnpairedSurrogates) {
    AnsiStringStorage a;
    a.FromWide(StringStorage(u"caf\u00e9 \u65e5\U0001F600"));
    EXPECT_EQ(a.str(), "caf\xC3\xA9 \xE6\x97\xA5\xF0\x9F\x98\x80");

    const char16_t lone[] = {u'a', 0xD800, u'b', 0xDC00, 0xD83D, 0};
    a.FromWide(StringStorage(lone));
    EXPECT_EQ(a.str(),
              "a\xEF\xBF\xBD"
              "b\xEF\xBF\xBD\xEF\xBF\xBD");

    a.SetString(static_cast<const char*>(nullptr));
    EXPECT_TRUE(a.IsEmpty());
}

TEST(Utf, MalformedBytesBecomeReplacementAndCutsKeepPairs) {
    EXPECT_EQ(FromUtf8("a\xC3"), u"a\uFFFD");
    EXPECT_EQ(FromUtf8("\xF0\x9F\x98\x80"), u"\U0001F600");
    EXPECT_EQ(FromUtf8("\xFF"
                       "b"),
              u"\uFFFD"
              "b");

    std::u16string pair = u"ab\U0001F600";
    EXPECT_EQ(CutUtf16(pair, 3), u"ab");
    EXPECT_EQ(CutUtf16(pair, 4), pair);
    EXPECT_EQ(CutUtf16(pair, 100), pair);
}
