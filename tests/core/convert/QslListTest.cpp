#include <gtest/gtest.h>

#include <string>

#include "TestPlatform.h"
#include "TestSupport.h"
#include "convert/QslList.h"

namespace zentu {
namespace {

// A line of Hamlog's CSV export whose tenth column is `qsl`: nine columns before it, two after.
std::string Line(const std::string& qsl, const std::string& name = "TARO") {
    return "JA1AA,24/01/02,12:34J,59,59,7,SSB,1001," + name + "," + qsl + ",X,Y";
}

struct QslCase {
    const char* label;
    std::string line;
    bool copied;
};

class QslListTest : public ::testing::Test {
protected:
    test::TempDir dir;
    std::filesystem::path input = dir / "LOGLIST_0.csv";
    std::filesystem::path output = dir / "LOGLIST_not_yet_qsl.csv";
};

TEST_F(QslListTest, JudgesTheTenthColumnByItsFirstThreeCharacters) {
    const std::string katakanaWithLowLine = test::Sjis("ダ"); // its second byte is 0x5F, the byte of "_"
    ASSERT_EQ(katakanaWithLowLine[1], '_');
    const QslCase cases[] = {
        {"empty column", Line(""), true},
        {"one character", Line("J"), true},
        {"two characters", Line("JR"), true},
        {"third character set", Line("J R"), false},
        {"received", Line("JRR"), false},
        {"underscore", Line("J_"), false},
        {"underscore with third blank", Line("_  "), false},
        {"underscore after three characters", Line("J  _"), true},
        {"double-byte character with 0x5F", Line(katakanaWithLowLine), true},
        {"double-byte name before it", Line("J", test::Sjis("山田_太郎")), true},
        {"comma in a value shifts the columns", "JA1AA,24/01/02,12:34J,59,59,7,SSB,\"TOKYO,JAPAN\",,JRR", true},
        {"last column", "1,2,3,4,5,6,7,8,9,J", true},
    };
    for (const QslCase& c : cases) {
        test::WriteBytes(input, c.line + "\r\n");
        const QslListResult result = MakeNotYetReceivedQslList(input, output);
        ASSERT_TRUE(result.ok) << c.label << ": " << result.error;
        EXPECT_EQ(test::ReadBytes(output), c.copied ? c.line + "\r\n" : "") << c.label;
    }
}

TEST_F(QslListTest, CopiesLinesUnchangedWithCrLfAndCountsShortLines) {
    const std::string kept = Line("", test::Sjis("山田"));
    test::WriteBytes(input, kept + "\n" + Line("JRR") + "\r\nshort,line\r\n\r\n" + kept);
    const QslListResult result = MakeNotYetReceivedQslList(input, output);
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(test::ReadBytes(output), kept + "\r\n" + kept + "\r\n");
    EXPECT_EQ(result.linesRead, 5);
    EXPECT_EQ(result.linesCopied, 2);
    EXPECT_EQ(result.linesSkippedShort, 2);
    EXPECT_EQ(QslListReport(result), "2 行をコピーしました。列が 10 に満たない 2 行は飛ばしました。");
}

TEST_F(QslListTest, AMissingOrEmptyInputIsReportedAndWritesNothing) {
    test::WriteBytes(output, "previous");
    QslListResult result = MakeNotYetReceivedQslList(input, output);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.error, "ファイル " + input.string() + " がありません。");
    EXPECT_EQ(test::ReadBytes(output), "previous");

    test::WriteBytes(input, "");
    result = MakeNotYetReceivedQslList(input, output);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.error, "ファイル " + input.string() + " は空です。");
    EXPECT_EQ(test::ReadBytes(output), "previous");
}

TEST_F(QslListTest, AnOutputThatCannotBeWrittenIsReported) {
    test::WriteBytes(input, Line("") + "\r\n");
    const QslListResult result = MakeNotYetReceivedQslList(input, dir / "missing" / "out.csv");
    EXPECT_FALSE(result.ok);
    EXPECT_NE(result.error.find((dir / "missing" / "out.csv").string()), std::string::npos) << result.error;
    EXPECT_NE(result.error.find("フォルダーがありません"), std::string::npos) << result.error;
}

TEST_F(QslListTest, AnInputThatIsNoRegularFileIsRefusedWithoutWaitingOnIt) {
    if (!test::MakeNamedPipe(input)) {
        GTEST_SKIP() << "named pipes among files, which Windows does not have";
    }
    const test::Watchdog watchdog(30);
    const QslListResult result = MakeNotYetReceivedQslList(input, output);
    EXPECT_FALSE(result.ok);
    EXPECT_NE(result.error.find("通常のファイルではありません"), std::string::npos) << result.error;
    EXPECT_FALSE(std::filesystem::exists(output));
}

} // namespace
} // namespace zentu
