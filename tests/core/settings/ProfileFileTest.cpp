#include "settings/ProfileFile.h"

#include "TestPlatform.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zentu {
namespace {

using test::ReadBytes;
using test::Sjis;
using test::TempDir;
using test::WriteBytes;
using Lines = std::vector<std::string>;

class ProfileFileTest : public ::testing::Test {
protected:
    std::filesystem::path file() const { return m_dir / "zentu_1.ini"; }
    /// Files left in the folder, to catch temporary files left behind.
    std::size_t fileCount() const {
        std::size_t count = 0;
        for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(m_dir.path())) {
            ++count;
        }
        return count;
    }
    std::string read(std::string_view section, std::string_view key) const {
        return ProfileFile::readString(file(), section, key, "", 256);
    }

    TempDir m_dir;
};

TEST_F(ProfileFileTest, ReadsValuesAndDefaults) {
    WriteBytes(file(), "top=ignored\r\n[Config]\r\nversion=0.20\r\n  set_hdb_dir = C:\\Hamlog\\a b.hdb  \r\n"
                       "k=a=b\r\nempty=\r\n[Set_hdb]\nselect_flag=4");
    EXPECT_EQ(read("Config", "version"), "0.20");
    EXPECT_EQ(read("Config", "set_hdb_dir"), "C:\\Hamlog\\a b.hdb");
    EXPECT_EQ(read("Config", "k"), "a=b");
    EXPECT_EQ(read("Set_hdb", "select_flag"), "4");
    EXPECT_EQ(ProfileFile::readString(file(), "Config", "empty", "dflt", 256), "");
    EXPECT_EQ(ProfileFile::readString(file(), "Config", "missing", "dflt", 256), "dflt");
    EXPECT_EQ(ProfileFile::readString(file(), "Nowhere", "version", "dflt", 256), "dflt");
    EXPECT_EQ(ProfileFile::readString(file(), "", "top", "dflt", 256), "dflt"); // lines before any section
    EXPECT_EQ(ProfileFile::readString(m_dir / "missing.ini", "Config", "version", "dflt", 256), "dflt");
}

TEST_F(ProfileFileTest, IgnoresLetterCaseOfSectionsAndKeys) {
    WriteBytes(file(), "[Position_main]\r\nLeft=120\r\n");
    EXPECT_EQ(read("position_MAIN", "LEFT"), "120");
    ASSERT_TRUE(ProfileFile::writeString(file(), "POSITION_MAIN", "left", "240"));
    EXPECT_EQ(ReadBytes(file()), "[Position_main]\r\nLeft=240\r\n");
}

TEST_F(ProfileFileTest, CutsLongValuesToTheBuffer) {
    const std::string value(300, 'x');
    WriteBytes(file(), "[Set_hdb]\r\nlong=" + value + "\r\n");
    EXPECT_EQ(read("Set_hdb", "long"), std::string(255, 'x'));
    EXPECT_EQ(ProfileFile::readString(file(), "Set_hdb", "long", "", 1), "");
    EXPECT_EQ(ProfileFile::readString(file(), "Set_hdb", "long", "", 0), "");
    // A cut that would end in the lead byte of a double-byte character stops before that character.
    WriteBytes(file(), "[S]\r\nk=a" + Sjis("ソソ") + "\r\n");
    EXPECT_EQ(ProfileFile::readString(file(), "S", "k", "", 5), "a" + Sjis("ソ"));
}

TEST_F(ProfileFileTest, ReplacingAKeyKeepsEveryOtherByte) {
    const std::string before = "; hand-written\n[Config]\r\nversion=0.20\r\nset_hdb_dir=C:\\x.hdb\n\n"
                               "[Other]\r\nmine = kept  \r\nline without equals\r\n[Set_hdb]\r\nversion=9";
    WriteBytes(file(), before);
    ASSERT_TRUE(ProfileFile::writeString(file(), "Config", "version", "0.25"));
    std::string expected = before;
    expected.replace(expected.find("0.20"), 4, "0.25");
    EXPECT_EQ(ReadBytes(file()), expected);
    EXPECT_EQ(fileCount(), 1u);
}

TEST_F(ProfileFileTest, AddsAMissingKeyAtTheEndOfItsSection) {
    WriteBytes(file(), "[Config]\r\nversion=0.25\r\n\r\n[Set_hdb]\r\nselect_flag=0\r\n");
    ASSERT_TRUE(ProfileFile::writeString(file(), "Config", "adif_out", ""));
    ASSERT_TRUE(ProfileFile::writeString(file(), "Set_hdb", "set_rec_hani", "1000"));
    EXPECT_EQ(ReadBytes(file()), "[Config]\r\nversion=0.25\r\nadif_out=\r\n\r\n"
                                 "[Set_hdb]\r\nselect_flag=0\r\nset_rec_hani=1000\r\n");
}

TEST_F(ProfileFileTest, AppendsAMissingSectionAfterALastLineWithoutLineEnd) {
    WriteBytes(file(), "[Config]\r\nversion=0.25");
    ASSERT_TRUE(ProfileFile::writeString(file(), "JOB_run", "select_flag_new_add_last_QSO_data", "JA1ABC_10/05/01"));
    EXPECT_EQ(ReadBytes(file()),
              "[Config]\r\nversion=0.25\r\n[JOB_run]\r\nselect_flag_new_add_last_QSO_data=JA1ABC_10/05/01\r\n");
}

TEST_F(ProfileFileTest, CreatesANewFileWithSectionsInWriteOrder) {
    ASSERT_TRUE(ProfileFile::writeString(file(), "Config", "version", "0.25"));
    ASSERT_TRUE(ProfileFile::writeString(file(), "Set_hdb", "select_flag", "1"));
    ASSERT_TRUE(ProfileFile::writeString(file(), "Config", "set_hdb_dir", "C:\\Hamlog\\Hamlog.hdb"));
    ASSERT_TRUE(ProfileFile::writeString(file(), "JOB_run", "x", ""));
    EXPECT_EQ(ReadBytes(file()), "[Config]\r\nversion=0.25\r\nset_hdb_dir=C:\\Hamlog\\Hamlog.hdb\r\n"
                                 "[Set_hdb]\r\nselect_flag=1\r\n[JOB_run]\r\nx=\r\n");
    EXPECT_EQ(ProfileFile::sectionNames(file()), (Lines{"Config", "Set_hdb", "JOB_run"}));
}

TEST_F(ProfileFileTest, ValuesReadBackExactlyAsWritten) {
    for (const std::string value : {" padded ", "\"quoted\"", "\"", "a\"b\"", "", "x=y", "C:\\ソ\\表"}) {
        const std::string stored = Sjis(value);
        ASSERT_TRUE(ProfileFile::writeString(file(), "JOB_run", "sig", stored));
        EXPECT_EQ(read("JOB_run", "sig"), stored) << value;
    }
    ASSERT_TRUE(ProfileFile::writeString(file(), "JOB_run", "sig", "plain"));
    EXPECT_EQ(ReadBytes(file()), "[JOB_run]\r\nsig=plain\r\n"); // quotes only where needed
}

TEST_F(ProfileFileTest, DoubleByteNamesAndValuesWithBackslashTrailBytesSurvive) {
    const std::string section = Sjis("表示");
    const std::string key = Sjis("ソフト");
    const std::string value = Sjis("表ソ\\予");
    WriteBytes(file(), "[" + section + "]\r\nother=1\r\n");
    ASSERT_TRUE(ProfileFile::writeString(file(), section, key, value));
    EXPECT_EQ(read(section, key), value);
    EXPECT_EQ(ProfileFile::sectionNames(file()), Lines{section});
    EXPECT_EQ(ReadBytes(file()), "[" + section + "]\r\nother=1\r\n" + key + "=" + value + "\r\n");
    // ヂ is 83 61: folding its trail byte like a letter would make it ア (83 41). They stay distinct.
    ASSERT_TRUE(ProfileFile::writeString(file(), section, Sjis("ヂ"), "1"));
    EXPECT_EQ(read(section, Sjis("ヂ")), "1");
    EXPECT_EQ(read(section, "\x83\x41"), ""); // ア (83 41): "A" as a trail byte is not "a"
}

TEST_F(ProfileFileTest, TheFirstOfTwoEqualSectionsIsTheOneUsed) {
    WriteBytes(file(), "[A]\r\nk=1\r\n[B]\r\n[a]\r\nk=2\r\nonly=3\r\n");
    EXPECT_EQ(read("A", "k"), "1");
    EXPECT_EQ(read("A", "only"), "");
    EXPECT_EQ(ProfileFile::sectionNames(file()), (Lines{"A", "B"}));
    ASSERT_TRUE(ProfileFile::writeString(file(), "a", "new", "x"));
    EXPECT_EQ(ReadBytes(file()), "[A]\r\nk=1\r\nnew=x\r\n[B]\r\n[a]\r\nk=2\r\nonly=3\r\n");
}

TEST_F(ProfileFileTest, SectionLinesListsTheNonEmptyLinesInOrder) {
    WriteBytes(file(), "[Position_main]\r\nLeft=1\r\n\r\n  Top=2  \r\nno equals\r\n\r\n[Next]\r\nx=1\r\n");
    EXPECT_EQ(ProfileFile::sectionLines(file(), "position_main"), (Lines{"Left=1", "Top=2", "no equals"}));
    EXPECT_EQ(ProfileFile::sectionLines(file(), "Missing"), Lines{});
    EXPECT_EQ(ProfileFile::sectionLines(m_dir / "none.ini", "Next"), Lines{});
}

TEST_F(ProfileFileTest, WriteSectionReplacesTheLinesOfOneSection) {
    WriteBytes(file(), "[Config]\r\nversion=0.25\r\n\r\n[Position_main]\r\nLeft=1\r\nold\r\n\r\n[Tail]\nz=9\n");
    ASSERT_TRUE(ProfileFile::writeSection(file(), "position_main", {"Left=5", "Top=6"}));
    EXPECT_EQ(ReadBytes(file()),
              "[Config]\r\nversion=0.25\r\n\r\n[Position_main]\r\nLeft=5\r\nTop=6\r\n\r\n[Tail]\nz=9\n");
    ASSERT_TRUE(ProfileFile::writeSection(file(), "Tail", {}));
    EXPECT_EQ(ProfileFile::sectionLines(file(), "Tail"), Lines{});
    EXPECT_EQ(ProfileFile::sectionNames(file()), (Lines{"Config", "Position_main", "Tail"}));
}

TEST_F(ProfileFileTest, WriteSectionAppendsOrCreates) {
    ASSERT_TRUE(ProfileFile::writeSection(file(), "Position_frmConfig", {"Left=1"}));
    WriteBytes(file(), ReadBytes(file()) + "[Last]\r\nx=1"); // no final line end
    ASSERT_TRUE(ProfileFile::writeSection(file(), "Position_frmMode", {"Top=2"}));
    EXPECT_EQ(ReadBytes(file()), "[Position_frmConfig]\r\nLeft=1\r\n[Last]\r\nx=1\r\n[Position_frmMode]\r\nTop=2\r\n");
}

TEST_F(ProfileFileTest, WriteStringsAppliesTheBatchInOrderWithOneWrite) {
    WriteBytes(file(), "[Set_hdb]\r\nlast_end_rec_no=10\r\n");
    ASSERT_TRUE(ProfileFile::writeStrings(file(), {{"Set_hdb", "last_start_rec_no", "11"},
                                                   {"Set_hdb", "last_end_rec_no", "20"},
                                                   {"Config", "version", "0.25"},
                                                   {"set_hdb", "LAST_END_REC_NO", "21"}}));
    EXPECT_EQ(ReadBytes(file()),
              "[Set_hdb]\r\nlast_end_rec_no=21\r\nlast_start_rec_no=11\r\n[Config]\r\nversion=0.25\r\n");
}

TEST_F(ProfileFileTest, ABatchWithOneBadWriteWritesNothing) {
    WriteBytes(file(), "[Set_hdb]\r\nx=1\r\n");
    EXPECT_FALSE(ProfileFile::writeStrings(file(), {{"Set_hdb", "x", "2"}, {"Set_hdb", "y", "two\r\nlines"}}));
    EXPECT_EQ(ReadBytes(file()), "[Set_hdb]\r\nx=1\r\n");
    EXPECT_FALSE(ProfileFile::lastError().empty());
}

TEST_F(ProfileFileTest, RefusesTextsThatWouldBreakTheFileApart) {
    WriteBytes(file(), "[A]\r\nx=1\r\n");
    EXPECT_FALSE(ProfileFile::writeString(file(), "A", "x", "1\r\n[B]\r\ny=2"));
    EXPECT_FALSE(ProfileFile::writeString(file(), "A", "k=v", "1"));
    EXPECT_FALSE(ProfileFile::writeString(file(), "A", "  ", "1"));
    EXPECT_FALSE(ProfileFile::writeString(file(), "A]x", "k", "1"));
    EXPECT_FALSE(ProfileFile::writeSection(file(), "A", {"ok=1", "[B]"}));
    EXPECT_FALSE(ProfileFile::writeSection(file(), "A", {"a\nb"}));
    EXPECT_EQ(ReadBytes(file()), "[A]\r\nx=1\r\n");
    // "]" as the trail byte of a double-byte character (ソ is 83 5C, 83 5D is ゾ) is no bracket.
    EXPECT_TRUE(ProfileFile::writeString(file(), Sjis("ゾ"), "k", "1"));
    EXPECT_EQ(read(Sjis("ゾ"), "k"), "1");
}

TEST_F(ProfileFileTest, AFailedWriteChangesNothingAndSaysWhy) {
    // Each of these fails even for root: the folder is missing, the "folder" is a file, the target is a folder.
    const auto missingFolder = m_dir / "ini" / "zentu_1.ini";
    EXPECT_FALSE(ProfileFile::writeString(missingFolder, "Config", "version", "0.25"));
    EXPECT_NE(ProfileFile::lastError().find(missingFolder.string()), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(m_dir / "ini"));

    WriteBytes(m_dir / "plain", "not a folder");
    EXPECT_FALSE(ProfileFile::writeSection(m_dir / "plain" / "x.ini", "A", {"k=1"}));
    EXPECT_EQ(ReadBytes(m_dir / "plain"), "not a folder");

    std::filesystem::create_directory(m_dir / "folder.ini");
    EXPECT_FALSE(ProfileFile::writeString(m_dir / "folder.ini", "A", "k", "1"));
    EXPECT_NE(ProfileFile::lastError().find("folder.ini"), std::string::npos);
    EXPECT_TRUE(std::filesystem::is_empty(m_dir / "folder.ini"));
    EXPECT_EQ(fileCount(), 2u); // "plain" and "folder.ini": no temporary file left behind
}

TEST_F(ProfileFileTest, KeepsTheFilePermissions) {
    WriteBytes(file(), "[A]\r\nx=1\r\n");
#ifdef _WIN32
    // Windows keeps no such permissions; the marks the user sets (here: hidden) stay instead.
    test::SetHidden(file());
    ASSERT_TRUE(ProfileFile::writeString(file(), "A", "x", "2"));
    EXPECT_TRUE(test::IsHidden(file()));
#else
    std::filesystem::permissions(file(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    ASSERT_TRUE(ProfileFile::writeString(file(), "A", "x", "2"));
    EXPECT_EQ(std::filesystem::status(file()).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
#endif
}

TEST_F(ProfileFileTest, WritesThroughASymbolicLink) {
    const auto real = m_dir / "real.ini";
    WriteBytes(real, "[A]\r\nx=1\r\n");
    if (!test::MakeSymbolicLink(real, file())) {
        GTEST_SKIP() << "symbolic links, which tests cannot make on Windows";
    }
    ASSERT_TRUE(ProfileFile::writeString(file(), "A", "x", "2"));
    EXPECT_TRUE(std::filesystem::is_symlink(file()));
    EXPECT_EQ(ReadBytes(real), "[A]\r\nx=2\r\n");
}

} // namespace
} // namespace zentu
