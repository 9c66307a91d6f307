#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "text/LineReader.h"

namespace zentu {
namespace {

std::vector<std::string> Lines(std::string_view bytes) {
    std::vector<std::string> lines;
    LineReader reader(bytes);
    std::string_view line;
    while (reader.next(line)) {
        lines.emplace_back(line);
    }
    return lines;
}

TEST(LineReader, EndsLinesAtCrLfLfAndLoneCr) {
    using Lines_ = std::vector<std::string>;
    EXPECT_EQ(Lines(""), Lines_{});
    EXPECT_EQ(Lines("\r\n"), Lines_{""});
    EXPECT_EQ(Lines("a"), Lines_{"a"});
    EXPECT_EQ(Lines("a\r\nb\r\n"), (Lines_{"a", "b"}));
    EXPECT_EQ(Lines("a\nb\rc\r\n\r\nd"), (Lines_{"a", "b", "c", "", "d"}));
    EXPECT_EQ(Lines("a\r"), Lines_{"a"});
    EXPECT_EQ(Lines("a\n\n"), (Lines_{"a", ""}));
}

} // namespace
} // namespace zentu
