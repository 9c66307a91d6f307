#include "settings/CIniFile.h"
#include "settings/ProfileFile.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zentu {
namespace {

using Lines = std::vector<std::string>;

class CIniFileTest : public ::testing::Test {
protected:
    std::filesystem::path write(std::string_view bytes) {
        test::WriteBytes(m_file, bytes);
        return m_file;
    }
    Lines linesOf(std::string_view section) const { return ProfileFile::sectionLines(m_file, section); }

    test::TempDir m_dir;
    std::filesystem::path m_file = m_dir / "test.ini";
};

TEST_F(CIniFileTest, LoadKeepsLastValueOfARepeatedKeyUnderItsLastSpelling) {
    CIniFile ini;
    ASSERT_TRUE(ini.Load(write("[A]\r\nx=1\r\nk=a=b\r\nX=2\r\nplain line\r\n")));
    ini.NowSection("A");

    EXPECT_EQ(ini.Keys(), (Lines{"k", "X"}));
    EXPECT_EQ(ini.Data("x"), "2");
    EXPECT_EQ(ini.Data("K"), "a=b");
    // A line without "=" is no key, but it is still held and readable under its whole text.
    EXPECT_EQ(ini.Data("PLAIN LINE"), "plain line");
    EXPECT_EQ(ini.Data("missing"), "");
}

TEST_F(CIniFileTest, SelectsAKnownSectionWhateverTheLetterCaseAndKeepsItsSpelling) {
    CIniFile ini;
    ini.Load(write("[Config]\r\nversion=0.25\r\n[Position_main]\r\nLeft=1500\r\n"));
    const std::vector<std::string>& sections = ini.Sections();
    EXPECT_FALSE(ini.IsExist());

    ini.NowSection("position_main");
    EXPECT_TRUE(ini.IsExist());
    EXPECT_EQ(ini.NowSection(), "Position_main");
    EXPECT_EQ(ini.Data("LEFT"), "1500");

    ini.NowSection("Position_new");
    EXPECT_FALSE(ini.IsExist());
    EXPECT_TRUE(ini.Keys().empty());
    // Sections hands out the live list, so the reference taken earlier sees the new section.
    EXPECT_EQ(sections, (Lines{"Config", "Position_main", "Position_new"}));
}

TEST_F(CIniFileTest, RepeatedOrBlankSectionNamesLoadWithoutFailing) {
    CIniFile ini;
    ASSERT_TRUE(ini.Load(write("[A]\r\nx=1\r\n[ ]\r\nz=0\r\n[B]\r\n[a]\r\ny=2\r\n")));
    EXPECT_EQ(ini.Sections(), (Lines{"A", "B"}));
    ini.NowSection("a");
    EXPECT_EQ(ini.NowSection(), "A");
    EXPECT_EQ(ini.Keys(), (Lines{"x"}));
}

TEST_F(CIniFileTest, SameSectionNameCharacterForCharacterChangesNothingEvenAfterANewLoad) {
    const auto other = m_dir / "other.ini";
    test::WriteBytes(other, "[A]\r\nb=2\r\n");
    CIniFile ini;
    ini.Load(write("[A]\r\na=1\r\n"));
    ini.NowSection("A");
    ASSERT_EQ(ini.Keys(), (Lines{"a"}));

    ini.Load(other);
    ini.NowSection("A");
    EXPECT_EQ(ini.Keys(), (Lines{"a"}));
    EXPECT_FALSE(ini.IsExist()); // as Load left it
    EXPECT_EQ(ini.Data("b"), "2");

    // A different spelling is a new selection and rebuilds the key list.
    ini.NowSection("a");
    EXPECT_EQ(ini.Keys(), (Lines{"b"}));
}

TEST_F(CIniFileTest, ReassignedKeyMovesToTheEndAndLinesWithoutEqualsAreDroppedOnSave) {
    write("[S]\r\na=1\r\nb=2\r\nno equals\r\nc=3\r\n[T]\r\nkeep=me\r\nalso kept\r\n");
    CIniFile ini;
    ini.Load(m_file);
    ini.NowSection("S");
    ini.Data("B", "9");

    EXPECT_EQ(ini.Keys(), (Lines{"a", "c", "B"}));
    ASSERT_TRUE(ini.Save("S"));
    EXPECT_TRUE(ini.IsExist());
    EXPECT_EQ(linesOf("S"), (Lines{"a=1", "c=3", "B=9"}));
    EXPECT_EQ(linesOf("T"), (Lines{"keep=me", "also kept"}));
    // Memory still holds the line the file lost.
    EXPECT_EQ(ini.Data("no equals"), "no equals");
}

TEST_F(CIniFileTest, SavingASectionTheFileLacksAppendsItAtTheEnd) {
    write("[First]\r\nx=1\r\n");
    CIniFile ini;
    ini.Load(m_file);
    ini.NowSection("Second");
    ini.Data("y", "2");
    ASSERT_TRUE(ini.Save("Second"));

    EXPECT_EQ(ProfileFile::sectionNames(m_file), (Lines{"First", "Second"}));
    EXPECT_EQ(test::ReadBytes(m_file), "[First]\r\nx=1\r\n[Second]\r\ny=2\r\n");
}

TEST_F(CIniFileTest, WholeSaveRewritesEverySectionAndFailsOnAnEmptyModel) {
    CIniFile ini;
    ASSERT_TRUE(ini.Load(m_file)); // missing file: an empty model
    EXPECT_TRUE(ini.Sections().empty());
    EXPECT_FALSE(ini.Save());

    // Keys assigned before any section was chosen live in the unnamed section, which is never written.
    ini.Data("loose", "1");
    EXPECT_EQ(ini.Data("loose"), "1");
    ini.NowSection("A");
    ini.Data("a", "1");
    ini.NowSection("B");
    ini.Data("b", "2");
    ASSERT_TRUE(ini.Save());

    EXPECT_EQ(ProfileFile::sectionNames(m_file), (Lines{"A", "B"}));
    EXPECT_EQ(linesOf("B"), (Lines{"b=2"}));
}

TEST_F(CIniFileTest, DeleteAndClearWorkOnTheCurrentSectionOnly) {
    CIniFile ini;
    ini.Load(write("[A]\r\na=1\r\nb=2\r\n[B]\r\nc=3\r\n"));
    ini.NowSection("A");
    ini.DeleteData("A");
    ini.DeleteData("nothing");
    EXPECT_EQ(ini.Keys(), (Lines{"b"}));
    ini.Clear();
    EXPECT_TRUE(ini.Keys().empty());
    ASSERT_TRUE(ini.Save("A"));

    EXPECT_TRUE(linesOf("A").empty());
    EXPECT_EQ(ProfileFile::sectionNames(m_file), (Lines{"A", "B"}));
    EXPECT_EQ(linesOf("B"), (Lines{"c=3"}));
}

TEST_F(CIniFileTest, ReadsAndWritesCp932WhileHoldingUtf8) {
    const std::string original = test::Sjis("[位置]\r\n名前=日本語\r\n");
    write(original);
    CIniFile ini;
    ini.Load(m_file);
    EXPECT_EQ(ini.Sections(), (Lines{"位置"}));
    ini.NowSection("位置");
    EXPECT_EQ(ini.Data("名前"), "日本語");

    // A value CP932 cannot hold makes the save fail and leaves the file as it was; so does a line break.
    ini.Data("名前", "\xF0\x9F\x98\x80");
    EXPECT_FALSE(ini.Save("位置"));
    ini.Data("名前", "one\r\n[two]");
    EXPECT_FALSE(ini.Save("位置"));
    EXPECT_EQ(test::ReadBytes(m_file), original);

    ini.Data("名前", "ｶﾅ");
    ASSERT_TRUE(ini.Save("位置"));
    EXPECT_EQ(test::ReadBytes(m_file), test::Sjis("[位置]\r\n名前=ｶﾅ\r\n"));
}

TEST(CIniFileValueTest, NumberTestsRoundHalfToEvenBeforeCheckingTheRange) {
    EXPECT_TRUE(CIniFile::IsInt("32767.4"));
    EXPECT_FALSE(CIniFile::IsInt("32767.5"));
    EXPECT_TRUE(CIniFile::IsInt(" -32768 "));
    EXPECT_FALSE(CIniFile::IsInt(""));
    EXPECT_FALSE(CIniFile::IsInt("12abc"));

    EXPECT_TRUE(CIniFile::IsLng("40000"));
    EXPECT_FALSE(CIniFile::IsLng("2147483647.5e0"));
    EXPECT_TRUE(CIniFile::IsLng("-2147483648"));
    EXPECT_FALSE(CIniFile::IsLng("2147483648"));

    EXPECT_TRUE(CIniFile::IsSng("1234.5"));
    EXPECT_TRUE(CIniFile::IsSng("-3.4e38"));
    EXPECT_FALSE(CIniFile::IsSng("1e39"));
    EXPECT_FALSE(CIniFile::IsSng(""));
}

TEST(CIniFileValueTest, BooleanTestTakesTheWordsAndAnyNumber) {
    EXPECT_TRUE(CIniFile::IsBool("TRUE"));
    EXPECT_TRUE(CIniFile::IsBool("false"));
    EXPECT_TRUE(CIniFile::IsBool("-1"));
    EXPECT_TRUE(CIniFile::IsBool("0"));
    EXPECT_FALSE(CIniFile::IsBool("yes"));
    EXPECT_FALSE(CIniFile::IsBool(""));
}

TEST_F(CIniFileTest, InitDataConvertsByTypeAndFallsBackToTheDefault) {
    CIniFile ini;
    ini.Load(write("[V]\r\nhalf=2.5\r\nhalf2=3.5\r\nblank=  \r\nword=False\r\nnum=0\r\nsng=1.25\r\nbad=x\r\n"));
    ini.NowSection("V");
    const IniValue fallback = std::int32_t{-7};

    EXPECT_EQ(ini.InitData("half", 1, fallback), IniValue(std::int32_t{2}));
    EXPECT_EQ(ini.InitData("half2", 1, fallback), IniValue(std::int32_t{4}));
    EXPECT_EQ(ini.InitData("bad", 1, fallback), fallback);
    EXPECT_EQ(ini.InitData("sng", 2, fallback), IniValue(1.25F));
    EXPECT_EQ(ini.InitData("word", 3, fallback), IniValue(false));
    EXPECT_EQ(ini.InitData("half", 3, fallback), IniValue(true));
    EXPECT_EQ(ini.InitData("num", 3, fallback), IniValue(false));
    EXPECT_EQ(ini.InitData("blank", 0, IniValue(std::string("d"))), IniValue(std::string("d")));
    EXPECT_EQ(ini.InitData("bad", 0, fallback), IniValue(std::string("x")));
    EXPECT_EQ(ini.InitData("missing", 9, fallback), IniValue(std::string()));
}

} // namespace
} // namespace zentu
