#include "text/ListInputReader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zentu {
namespace {

/// Every field of the input, each followed by "|" when it ended its line.
std::vector<std::string> readAll(std::string_view bytes) {
    ListInputReader reader(bytes);
    std::vector<std::string> fields;
    std::string field;
    while (reader.next(field)) {
        fields.push_back(field + (reader.endedLine() ? "|" : ""));
    }
    EXPECT_TRUE(reader.atEnd());
    return fields;
}

using Fields = std::vector<std::string>;

TEST(ListInputReader, ReadsTheRegistryLinesAsFields) {
    const std::string registry = "JOB_name : Contest 2010\r\nJOB_MSG1 : A\r\nJOB_MSG2 : \r\nJOB_MSG3 : B\r\n";
    EXPECT_EQ(readAll(registry), (Fields{"JOB_name : Contest 2010|", "JOB_MSG1 : A|", "JOB_MSG2 :|", "JOB_MSG3 : B|"}));
}

TEST(ListInputReader, SplitsAtACommaInTheMiddleOfALine) {
    EXPECT_EQ(readAll("JOB_name : Contest, 2010\r\nJOB_MSG1 : A\r\n"),
              (Fields{"JOB_name : Contest", "2010|", "JOB_MSG1 : A|"}));
}

TEST(ListInputReader, RemovesQuotesAndDropsWhatFollowsTheClosingQuote) {
    EXPECT_EQ(readAll("\"a, b\" ,  \" c \"junk,d\r\n"), (Fields{"a, b", " c ", "d|"}));
    EXPECT_EQ(readAll("\"x\"tail\r\ny"), (Fields{"x|", "y|"}));
    EXPECT_EQ(readAll("\"two\r\nlines\",z"), (Fields{"two\r\nlines", "z|"}));
}

TEST(ListInputReader, AQuoteWithoutItsPartnerStopsAtTheLineEnd) {
    EXPECT_EQ(readAll("\"open,field\r\nnext\r\n"), (Fields{"open,field|", "next|"}));
}

TEST(ListInputReader, DropsBlanksAroundUnquotedFields) {
    EXPECT_EQ(readAll("  RTTY , RTTY45\t,,  ,\r\n"), (Fields{"RTTY", "RTTY45", "", "", "|"}));
}

TEST(ListInputReader, AcceptsEveryLineEndAndAMissingFinalOne) {
    EXPECT_EQ(readAll("a,b\nc\rd\r\ne"), (Fields{"a", "b|", "c|", "d|", "e|"}));
}

TEST(ListInputReader, AnEmptyLineInTheMiddleIsOneEmptyField) {
    EXPECT_EQ(readAll("a\r\n\r\nb\n\nc"), (Fields{"a|", "|", "b|", "|", "c|"}));
}

TEST(ListInputReader, LineEndsAtTheEndGiveNoField) {
    ListInputReader reader("SSB,PH\r\n\r\n  \r\n");
    std::string field;
    ASSERT_TRUE(reader.next(field));
    EXPECT_FALSE(reader.atEnd());
    ASSERT_TRUE(reader.next(field));
    EXPECT_EQ(field, "PH");
    EXPECT_TRUE(reader.endedLine());
    EXPECT_TRUE(reader.atEnd());
    field = "stale";
    EXPECT_FALSE(reader.next(field));
    EXPECT_EQ(field, "");
    EXPECT_FALSE(reader.next(field));
}

TEST(ListInputReader, ATrailingCommaPromisesOneMoreEmptyField) {
    EXPECT_EQ(readAll("a,"), (Fields{"a", "|"}));
    EXPECT_EQ(readAll(",b"), (Fields{"", "b|"}));
}

TEST(ListInputReader, EmptyInputHasNoField) {
    EXPECT_EQ(readAll(""), Fields{});
    EXPECT_EQ(readAll("\r\n"), Fields{});
}

TEST(ListInputReader, KeepsDoubleByteCharactersWhole) {
    // 未登録 in CP932 is 96 A2 93 6F 98 5E; ソ ends in 0x5C.
    const std::string text = "JOB_name : \x96\xA2\x93\x6F\x98\x5E\r\n\x83\x5C,\x83\x5C\r\n";
    EXPECT_EQ(readAll(text), (Fields{"JOB_name : \x96\xA2\x93\x6F\x98\x5E|", "\x83\x5C", "\x83\x5C|"}));
}

} // namespace
} // namespace zentu
