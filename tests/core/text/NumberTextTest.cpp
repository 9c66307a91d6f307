#include "text/NumberText.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace zentu {
namespace {

TEST(Val, ReadsTheLeadingDecimalNumber) {
    EXPECT_EQ(Val("12abc"), 12.0);
    EXPECT_EQ(Val(" 3.5"), 3.5);
    EXPECT_EQ(Val("\t-2"), -2.0);
    EXPECT_EQ(Val("+7"), 7.0);
    EXPECT_EQ(Val("1e3"), 1000.0);
    EXPECT_EQ(Val("2.5E-1x"), 0.25);
    EXPECT_EQ(Val(".5"), 0.5);
    EXPECT_EQ(Val("5."), 5.0);
    EXPECT_EQ(Val("0042"), 42.0);
}

TEST(Val, GivesZeroForTextWithoutANumber) {
    EXPECT_EQ(Val(""), 0.0);
    EXPECT_EQ(Val("   "), 0.0);
    EXPECT_EQ(Val("abc"), 0.0);
    EXPECT_EQ(Val("-"), 0.0);
    EXPECT_EQ(Val("."), 0.0);
    EXPECT_EQ(Val("e5"), 0.0);
}

TEST(Val, StopsBeforeAnIncompleteExponentOrASecondPoint) {
    EXPECT_EQ(Val("12e"), 12.0);
    EXPECT_EQ(Val("12e+"), 12.0);
    EXPECT_EQ(Val("1.2.3"), 1.2);
    EXPECT_EQ(Val("3 4"), 3.0);
    EXPECT_EQ(Val("2010/05/01"), 2010.0);
}

TEST(Val, GivesInfinityOrZeroOutsideTheRangeOfADouble) {
    EXPECT_EQ(Val("1e400"), std::numeric_limits<double>::infinity());
    EXPECT_EQ(Val("-1e400"), -std::numeric_limits<double>::infinity());
    EXPECT_EQ(Val("1e-400"), 0.0);
    EXPECT_EQ(Val("0.000001e-400"), 0.0);
}

TEST(ParseDecimalNumber, AcceptsAWholeNumberWithBlanksAround) {
    EXPECT_EQ(ParseDecimalNumber(" 32767.4 "), 32767.4);
    EXPECT_EQ(ParseDecimalNumber("-1.5e2"), -150.0);
    EXPECT_EQ(ParseDecimalNumber("+0"), 0.0);
    EXPECT_EQ(ParseDecimalNumber("1e-400"), 0.0);
}

TEST(ParseDecimalNumber, RefusesAnythingElse) {
    for (const char* text : {"", "  ", "12abc", "1e", "1 2", "--1", "0x10", "1,000", ".", "1e400", "True"}) {
        EXPECT_FALSE(ParseDecimalNumber(text).has_value()) << text;
    }
}

TEST(RoundHalfEven, SendsHalvesToTheEvenNeighbour) {
    EXPECT_EQ(RoundHalfEven(2.5), 2.0);
    EXPECT_EQ(RoundHalfEven(3.5), 4.0);
    EXPECT_EQ(RoundHalfEven(-2.5), -2.0);
    EXPECT_EQ(RoundHalfEven(-3.5), -4.0);
    EXPECT_EQ(RoundHalfEven(32767.4), 32767.0);
    EXPECT_EQ(RoundHalfEven(32767.5), 32768.0);
    EXPECT_EQ(RoundHalfEven(2.6), 3.0);
    EXPECT_EQ(RoundHalfEven(-0.4), 0.0);
    EXPECT_TRUE(std::isinf(RoundHalfEven(std::numeric_limits<double>::infinity())));
}

TEST(ValToRecordNumber, RoundsAndClampsToThirtyTwoBits) {
    EXPECT_EQ(ValToRecordNumber("125"), 125);
    EXPECT_EQ(ValToRecordNumber(" 2.5"), 2);
    EXPECT_EQ(ValToRecordNumber("3.5"), 4);
    EXPECT_EQ(ValToRecordNumber(""), 0);
    EXPECT_EQ(ValToRecordNumber("99999999999"), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(ValToRecordNumber("-99999999999"), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(ValToRecordNumber("1e400"), std::numeric_limits<std::int32_t>::max());
}

} // namespace
} // namespace zentu
