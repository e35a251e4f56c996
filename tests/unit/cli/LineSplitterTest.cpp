#include <gtest/gtest.h>

#include "LineReader.h"

namespace ostiva::cli {
namespace {

std::vector<std::string> Texts(const std::vector<LineSplitter::Line>& lines) {
    std::vector<std::string> texts;
    for (const auto& line : lines) texts.push_back(line.tooLong ? "<too long>" : line.text);
    return texts;
}

TEST(LineSplitter, ReportsAnOverlongLineOnceAndGoesOnAfterIt) {
    LineSplitter splitter(4);
    // Exactly the limit is kept; one byte more, spread over chunks, is not.
    EXPECT_EQ(Texts(splitter.Feed("abcd\nabc")), std::vector<std::string>{"abcd"});
    EXPECT_EQ(Texts(splitter.Feed("de")), std::vector<std::string>{"<too long>"});
    EXPECT_TRUE(splitter.Feed(std::string(100000, 'x')).empty());
    EXPECT_EQ(Texts(splitter.Feed("yy\nok\n")), std::vector<std::string>{"ok"});
    // An overlong last line without its line end is not handed on.
    EXPECT_EQ(Texts(splitter.Feed("123456")), std::vector<std::string>{"<too long>"});
    EXPECT_TRUE(splitter.Finish().empty());
}

}  // namespace
}  // namespace ostiva::cli
