#include <gtest/gtest.h>

#include <string>

#include "TestSupport.h"
#include "convert/AdifWriter.h"
#include "convert/ModeTable.h"

namespace zentu {
namespace {

ModeTable FromBytes(std::string_view bytes) {
    ModeTable table;
    table.loadFromBytes(bytes);
    return table;
}

TEST(ModeTableLookup, UpperCasesTheKeyButNotTheCells) {
    const ModeTable table = FromBytes("RTTY,RTTY45,baudot,,\r\n");
    EXPECT_EQ(table.conv_mode_tbl("RTTY45"), "RTTY");
    EXPECT_EQ(table.conv_mode_tbl("rtty45"), "RTTY");
    EXPECT_EQ(table.conv_mode_tbl("  RTTY45 "), "RTTY");
    EXPECT_EQ(table.conv_mode_tbl("baudot"), "baudot");
    EXPECT_EQ(table.conv_mode_tbl("BAUDOT"), "BAUDOT");
}

TEST(ModeTableLookup, NoMatchLeavesTheModeAsItWas) {
    const ModeTable table = FromBytes("SSB,USB,LSB,,\r\n");
    EXPECT_EQ(table.conv_mode_tbl(" fm "), " fm ");
    EXPECT_EQ(table.conv_mode_tbl("RTTY"), "RTTY");
}

TEST(ModeTableLookup, EmptyModeMatchesTheEmptyFirstRow) {
    const ModeTable table = FromBytes("SSB,USB,LSB,,\r\n");
    EXPECT_EQ(table.conv_mode_tbl(""), "");
    EXPECT_EQ(table.conv_mode_tbl("   "), "");
}

TEST(ModeTableLookup, UpperRowWinsAndColumnZeroKeepsItsCase) {
    const ModeTable table = FromBytes("Digi,FT8,,,\r\nFT8,FT8,,,\r\ndv, DSTAR ,,,\r\n");
    EXPECT_EQ(table.conv_mode_tbl("FT8"), "Digi");
    EXPECT_EQ(table.conv_mode_tbl("dstar"), "dv");
}

TEST(ModeTableLookup, DoubleByteCharactersAreNotUpperCased) {
    // The second byte of this katakana is the letter "a"; upper-casing it would change the character.
    const std::string katakana = test::Sjis("ヂ");
    const ModeTable table = FromBytes("DIGI," + katakana + ",,,\r\n");
    EXPECT_EQ(table.conv_mode_tbl(katakana), "DIGI");
}

TEST(ModeTableLoading, ReadsFiveFieldsPerLine) {
    const ModeTable table = FromBytes("SSB,USB,LSB,,\r\n,,,,\r\nJT65,JT65A,JT65B,JT65C,JT65D\r\n");
    ASSERT_EQ(table.count(), 3);
    EXPECT_EQ(table.row(0), (ModeTable::Row{}));
    EXPECT_EQ(table.row(1), (ModeTable::Row{"SSB", "USB", "LSB", "", ""}));
    EXPECT_EQ(table.row(2), (ModeTable::Row{}));
    EXPECT_EQ(table.row(3), (ModeTable::Row{"JT65", "JT65A", "JT65B", "JT65C", "JT65D"}));
}

TEST(ModeTableLoading, ShortAndLongLinesStayOneRowEach) {
    const ModeTable table = FromBytes("AM,A3E\r\nCW,A1A,,,,EXTRA,MORE\r\nFM,NFM,,,");
    ASSERT_EQ(table.count(), 3);
    EXPECT_EQ(table.row(1), (ModeTable::Row{"AM", "A3E", "", "", ""}));
    EXPECT_EQ(table.row(2), (ModeTable::Row{"CW", "A1A", "", "", ""}));
    EXPECT_EQ(table.row(3), (ModeTable::Row{"FM", "NFM", "", "", ""}));
    EXPECT_EQ(table.conv_mode_tbl("EXTRA"), "EXTRA");
}

TEST(ModeTableLoading, QuotedCellsKeepCommasAndAreTrimmedWhenCompared) {
    const ModeTable table = FromBytes("\" PSK31 \",\"BPSK, 31\",\" BPSK \",,\r\n");
    ASSERT_EQ(table.count(), 1);
    EXPECT_EQ(table.row(1)[1], "BPSK, 31");
    EXPECT_EQ(table.conv_mode_tbl("bpsk, 31"), "PSK31");
    EXPECT_EQ(table.conv_mode_tbl("BPSK"), "PSK31");
}

TEST(ModeTableLoading, StopsAfterFortyRows) {
    std::string bytes;
    for (int i = 1; i <= 45; ++i) {
        bytes += "M" + std::to_string(i) + ",S" + std::to_string(i) + ",,,\r\n";
    }
    const ModeTable table = FromBytes(bytes);
    ASSERT_EQ(table.count(), ModeTable::kMaxRows);
    EXPECT_EQ(table.row(40)[0], "M40");
    EXPECT_EQ(table.conv_mode_tbl("S40"), "M40");
    EXPECT_EQ(table.conv_mode_tbl("S41"), "S41");
}

TEST(ModeTableLoading, EmptyInputGivesAnEmptyTable) {
    EXPECT_EQ(FromBytes("").count(), 0);
    EXPECT_EQ(FromBytes("\r\n").count(), 0);
    EXPECT_EQ(FromBytes("").conv_mode_tbl("SSB"), "SSB");
}

TEST(ModeTableLoading, ReadsAFileAndRefusesMissingOnes) {
    test::TempDir dir;
    ModeTable table;
    test::WriteBytes(dir / "mode_tbl.csv", "SSB,USB,LSB,,\r\nFM,NFM,,,\r\n");
    ASSERT_TRUE(table.load(dir / "mode_tbl.csv"));
    EXPECT_EQ(table.count(), 2);

    // A failed load keeps the table that was there.
    EXPECT_FALSE(table.load(dir / "missing.csv"));
    EXPECT_FALSE(table.load(dir.path()));
    EXPECT_EQ(table.count(), 2);

    test::WriteBytes(dir / "empty.csv", "");
    ASSERT_TRUE(table.load(dir / "empty.csv"));
    EXPECT_EQ(table.count(), 0);
}

TEST(ModeTableSaving, WritesEachRowTrimmedWithCommaCellsQuotedAndReadsBackTheSame) {
    ModeTable table;
    table.setRows({{" SSB ", "USB", "LSB", "", ""}, {"PSK31", "BPSK, 31", "", "", ""}, {}});
    test::TempDir dir;
    ASSERT_TRUE(table.save(dir / "table.csv"));
    EXPECT_EQ(test::ReadBytes(dir / "table.csv"), "SSB,USB,LSB,,\r\nPSK31,\"BPSK, 31\",,,\r\n,,,,\r\n");
    ModeTable read;
    ASSERT_TRUE(read.load(dir / "table.csv"));
    EXPECT_EQ(read.count(), 3);
    EXPECT_EQ(read.conv_mode_tbl("bpsk, 31"), "PSK31");
}

TEST(ModeTableSaving, TheTableIsFoundAndSavedUnderTheNameItHas) {
    test::TempDir dir;
    EXPECT_EQ(ModeTablePath(dir.path()), dir / "mode_tbl.csv");
    test::WriteBytes(dir / "MODE_TBL.CSV", "SSB,USB,,,\r\n");
    const std::filesystem::path found = ModeTablePath(dir.path());
    EXPECT_TRUE(std::filesystem::equivalent(found, dir / "MODE_TBL.CSV"));
    ModeTable table;
    ASSERT_TRUE(table.load(found));
    ASSERT_TRUE(table.save(found));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

} // namespace
} // namespace zentu

namespace zentu {
namespace {

// The fixed list compares letter case; the shipped table catches the same spellings in lower and mixed case (the
// table's key is upper-cased), so the ADIF file gets ADIF's names for them too.
TEST(ShippedModeTable, MapsTheFixedListsSpellingsInAnyLetterCase) {
    ModeTable table;
    ASSERT_TRUE(table.load(test::BinDir() / "mode_tbl.csv"));
    EXPECT_EQ(table.count(), 36);
    const std::pair<std::string_view, std::string_view> spellings[] = {
        {"PH", "SSB"},   {"CW", "CW"},    {"RY", "RTTY"},  {"STV", "SSTV"},  {"SST", "SSTV"},
        {"RTY", "RTTY"}, {"TTY", "RTTY"}, {"RTT", "RTTY"}, {"PSK", "PSK31"}, {"PSK3", "PSK31"},
    };
    for (const auto& [spelling, adif] : spellings) {
        const std::string lower = [&] {
            std::string text(spelling);
            for (char& c : text) {
                c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
            }
            return text;
        }();
        const std::string mixed = lower.substr(0, 1) + std::string(spelling.substr(1));
        for (const std::string& mode : {std::string(spelling), lower, mixed}) {
            EXPECT_EQ(table.lookUp(FixedModeOf(mode)), adif) << mode;
        }
    }
}

} // namespace
} // namespace zentu
