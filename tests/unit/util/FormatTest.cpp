#include <gtest/gtest.h>

#include "util/Format.h"
#include "util/StringStorage.h"

using namespace ostiva;

TEST(Format, WideConversionsAndWidths) {
    EXPECT_EQ(FormatWide(u"%d-%d", {123, 45}), u"123-45");
    EXPECT_EQ(FormatWide(u"nc=%08d", {1}), u"nc=00000001");
    EXPECT_EQ(FormatWide(u"%08x|%X", {255u, 0xABu}), u"000000ff|AB");
    EXPECT_EQ(FormatWide(u"%s:%d", {u"host", 8080}), u"host:8080");
    EXPECT_EQ(FormatWide(u"%d", {-42}), u"-42");
    EXPECT_EQ(FormatWide(u"100%%", {}), u"100%");
}

TEST(Format, NarrowTakesWideTextThroughCapitalS) {
    EXPECT_EQ(FormatNarrow("CONNECT %S:%d", {u"h\u00e9", 80}), "CONNECT h\xc3\xa9:80");
}

TEST(Format, BadArgumentsAreWrittenAsTheConversionText) {
    EXPECT_EQ(FormatWide(u"%d %s", {}), u"%d %s");
    EXPECT_EQ(FormatWide(u"%d", {u"text"}), u"%d");
    EXPECT_EQ(FormatWide(u"end %", {}), u"end %");
}

TEST(Format, LongResultIsNeverCut) {
    std::u16string big(5000, u'x');
    StringStorage s;
    s.Format(u"%s", {big});
    EXPECT_EQ(s.GetLength(), 5000u);
}
