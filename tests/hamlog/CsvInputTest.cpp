// Log records read from CSV files: quoting, line ends, encodings and what is refused.

#include "HamlogTestFiles.h"

#include "CsvInput.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

using hamlog::LogRecord;
using hamlog::test::CsvLine;
using hamlog::test::kUtf8Row;
using hamlog::test::Sjis;
using hamlog::test::TempFolder;
using hamlog::test::WriteFile;

namespace {

TEST(CsvInputTest, SplitsQuotedFields) {
    std::vector<hamlog::CsvRow> rows;
    std::string error;
    ASSERT_TRUE(hamlog::ParseCsv("a,\"b,c\",\"say \"\"hi\"\"\"\r\n\r\n\"two\nlines\",,x\n", rows, &error)) << error;
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].fields, (std::vector<std::string>{"a", "b,c", "say \"hi\""}));
    EXPECT_EQ(rows[1].line, 3u);
    EXPECT_EQ(rows[1].fields, (std::vector<std::string>{"two\nlines", "", "x"}));
    EXPECT_FALSE(hamlog::ParseCsv("a,\"open\n", rows, &error));
    EXPECT_FALSE(hamlog::ParseCsv("\"a\"b\n", rows, &error));
}

TEST(CsvInputTest, EndsLinesAtCrLfLfOrCrAlone) {
    for (const std::string_view lineEnd : {"\r\n", "\n", "\r"}) {
        const std::string end(lineEnd);
        std::vector<hamlog::CsvRow> rows;
        std::string error;
        const std::string text = "JA1ABC,\"a" + end + "b\"" + end + end + "\"W1AW\",x" + end;
        ASSERT_TRUE(hamlog::ParseCsv(text, rows, &error)) << error;
        ASSERT_EQ(rows.size(), 2u);
        EXPECT_EQ(rows[0].fields, (std::vector<std::string>{"JA1ABC", "a" + end + "b"}));
        EXPECT_EQ(rows[1].line, 4u);
        EXPECT_EQ(rows[1].fields, (std::vector<std::string>{"W1AW", "x"}));
    }
}

TEST(CsvInputTest, RefusesANulInAFieldWithItsLineAndColumn) {
    struct Case {
        std::string text;
        const char* where;
    };
    for (const Case& test : {Case{std::string("a,b\r\nc,d\0e\r\n", 13), "2 行目 2 列目"},
                             Case{std::string("a,b\r\nc,\"x\r\nd\0\"\r\n", 17), "3 行目 2 列目"}}) {
        std::vector<hamlog::CsvRow> rows;
        std::string error;
        EXPECT_FALSE(hamlog::ParseCsv(test.text, rows, &error));
        EXPECT_NE(error.find(test.where), std::string::npos) << error;
    }
}

const std::vector<std::string> kAsciiRow{"JA1ABC", "10/05/01", "12:34J", "59",    "59", "7.050", "SSB", "100110",
                                         "PM95",   "J*",       "Taro",   "Tokyo", "",   "",      "",    ""};

TEST(CsvInputTest, ReadsUtf8AndCp932AndDetectsWhichItIs) {
    TempFolder folder;
    std::vector<LogRecord> records;
    std::string error;
    WriteFile(folder / "utf8.csv", "\xEF\xBB\xBF" + CsvLine(kUtf8Row));
    ASSERT_TRUE(hamlog::LoadCsvRecords(folder / "utf8.csv", hamlog::CsvEncoding::Detect, records, &error)) << error;
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].fields[0], "JA1ABC");
    EXPECT_EQ(records[0].fields[10], Sjis("山田"));

    WriteFile(folder / "sjis.csv", Sjis(CsvLine(kUtf8Row)));
    ASSERT_TRUE(hamlog::LoadCsvRecords(folder / "sjis.csv", hamlog::CsvEncoding::Detect, records, &error)) << error;
    EXPECT_EQ(records[0].fields[11], Sjis("東京都"));
    // Told the wrong encoding, the file is refused rather than misread.
    EXPECT_FALSE(hamlog::LoadCsvRecords(folder / "sjis.csv", hamlog::CsvEncoding::Utf8, records, &error));
}

TEST(CsvInputTest, AsksForTheEncodingWhenBothReadingsAreValidAndDiffer) {
    // "ﾂｰ" in CP932 is 0xC2 0xB0, which is also "°" in UTF-8.
    std::vector<std::string> row = kAsciiRow;
    row[11] = "\xC2\xB0";
    const std::string bytes = CsvLine(kAsciiRow) + CsvLine(row);
    std::vector<LogRecord> records;
    std::string error;
    EXPECT_FALSE(hamlog::CsvRecordsFromBytes(bytes, hamlog::CsvEncoding::Detect, "in.csv", records, &error));
    EXPECT_NE(error.find("in.csv"), std::string::npos) << error;
    EXPECT_NE(error.find("2 行目"), std::string::npos) << error;
    EXPECT_NE(error.find("--encoding"), std::string::npos) << error;

    ASSERT_TRUE(hamlog::CsvRecordsFromBytes(bytes, hamlog::CsvEncoding::Cp932, "in.csv", records, &error)) << error;
    EXPECT_EQ(records[1].fields[11], "\xC2\xB0");
    ASSERT_TRUE(hamlog::CsvRecordsFromBytes(bytes, hamlog::CsvEncoding::Utf8, "in.csv", records, &error)) << error;
    EXPECT_EQ(records[1].fields[11], Sjis("°"));
    // Plain ASCII reads the same either way and needs no choice.
    ASSERT_TRUE(hamlog::CsvRecordsFromBytes(CsvLine(kAsciiRow), hamlog::CsvEncoding::Detect, "in.csv", records, &error))
        << error;
    // So does a file that is valid in one reading only.
    row[10] = "\x82\xA0"; // "あ" in CP932, not UTF-8
    ASSERT_TRUE(hamlog::CsvRecordsFromBytes(CsvLine(row), hamlog::CsvEncoding::Detect, "in.csv", records, &error))
        << error;
    EXPECT_EQ(records[0].fields[11], "\xC2\xB0");
}

TEST(CsvInputTest, RefusesWrongColumnCountsAndTextsWithoutCp932Form) {
    TempFolder folder;
    std::vector<LogRecord> records;
    std::string error;
    WriteFile(folder / "short.csv", CsvLine(kUtf8Row) + "JA1ABC,10/05/01\r\n");
    EXPECT_FALSE(hamlog::LoadCsvRecords(folder / "short.csv", hamlog::CsvEncoding::Utf8, records, &error));
    EXPECT_NE(error.find("2 行目"), std::string::npos) << error;

    std::vector<std::string> row = kUtf8Row;
    row[12] = "\xF0\x9F\x93\xBB"; // an emoji: no CP932 form
    WriteFile(folder / "emoji.csv", CsvLine(row));
    EXPECT_FALSE(hamlog::LoadCsvRecords(folder / "emoji.csv", hamlog::CsvEncoding::Utf8, records, &error));
    EXPECT_NE(error.find("13 列目"), std::string::npos) << error;
}

} // namespace
