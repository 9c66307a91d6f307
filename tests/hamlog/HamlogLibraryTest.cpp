#include "HamlogLibraryTestSupport.h"

#include "hamlog/HamlogApi.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

using hamlog::test::CallTable;
using hamlog::test::Count;
using hamlog::test::HamlogLibraryTest;
using hamlog::test::HandTable;
using hamlog::test::LibraryPath;
using hamlog::test::Reader;
using hamlog::test::Sjis;
using hamlog::test::WriteFile;

namespace {

TEST_F(HamlogLibraryTest, ReportsItsVersion) {
    EXPECT_EQ(GetThdllVersion(), 20480);
}

TEST_F(HamlogLibraryTest, ReadsTheFieldsOfAHandWrittenTableAsStored) {
    HandTable table = CallTable();
    table.records = {table.record({"JA1ABC", "10/05/01", Sjis("山田")}),
                     table.record({" JH3XYZ", "24/12/31", Sjis(" 東京 都 ")})};
    const auto hdb = writeLog(table);

    EXPECT_EQ(Count(hdb), std::make_pair(HAMLOG_OK, 2));
    Reader log(hdb);
    ASSERT_EQ(log.code(), HAMLOG_OK);
    EXPECT_EQ(log.read(1), 0);
    EXPECT_EQ(log.field(1), "JA1ABC");
    EXPECT_EQ(log.field(2), "10/05/01");
    EXPECT_EQ(log.field(3), Sjis("山田"));
    // Trailing blanks go, leading and inner blanks stay.
    log.read(2);
    EXPECT_EQ(log.field(1), " JH3XYZ");
    EXPECT_EQ(log.field(3), Sjis(" 東京 都"));
    // Fields the table lacks, and field numbers outside 1 to 16, read empty.
    for (const int field : {0, 4, 16, 17, -1}) {
        EXPECT_EQ(log.field(field), "") << field;
    }
}

TEST_F(HamlogLibraryTest, DeliversTheFirstSixteenOfMoreFields) {
    HandTable table;
    std::vector<std::string> texts;
    for (int k = 1; k <= 18; ++k) {
        table.fields.emplace_back("F" + std::to_string(k), 3);
        texts.push_back(std::to_string(k));
    }
    table.records = {table.record(texts)};
    Reader log(writeLog(table));
    ASSERT_EQ(log.code(), HAMLOG_OK);
    log.read(1);
    EXPECT_EQ(log.field(1), "1");
    EXPECT_EQ(log.field(16), "16");
    EXPECT_EQ(log.field(17), "");
}

TEST_F(HamlogLibraryTest, RecordsOutsideTheLogReadEmpty) {
    HandTable table = CallTable();
    table.records = {table.record({"JA1ABC", "10/05/01", "A"}), table.record({"JA2DEF", "10/05/02", "B"})};
    Reader log(writeLog(table));
    ASSERT_EQ(log.code(), HAMLOG_OK);
    // Before any read the empty record is loaded.
    EXPECT_EQ(log.field(1), "");
    for (const std::int32_t number : {0, 3, -1, INT32_MAX}) {
        log.read(2);
        ASSERT_EQ(log.field(1), "JA2DEF");
        EXPECT_EQ(log.read(number), -1);
        for (int field = 1; field <= 3; ++field) {
            EXPECT_EQ(log.field(field), "") << "record " << number << " field " << field;
        }
    }
}

TEST_F(HamlogLibraryTest, DeletedRecordKeepsItsNumberAndReadsAsStored) {
    HandTable table = CallTable();
    table.records = {table.record({"JA1AAA"}), table.record({"JA1BBB"}, '*'), table.record({"JA1CCC"})};
    const auto hdb = writeLog(table);
    EXPECT_EQ(Count(hdb).second, 3);
    Reader log(hdb);
    log.read(2);
    EXPECT_EQ(log.field(1), "JA1BBB");
    log.read(3);
    EXPECT_EQ(log.field(1), "JA1CCC");
}

TEST_F(HamlogLibraryTest, FindsTheMasterFileWhateverItsLetterCase) {
    HandTable table = CallTable();
    table.records = {table.record({"JA1ABC"})};
    const auto hdb = m_folder / "LOG.hdb";
    WriteFile(hdb, table.bytes());
    EXPECT_EQ(Reader(hdb).code(), HAMLOG_ERR_MST_MISSING);

    WriteFile(m_folder / "LOG.hdb.mst", "m"); // not the master file: the extension is replaced, not added
    WriteFile(m_folder / "LOGX.mst", "m");
    EXPECT_EQ(Reader(hdb).code(), HAMLOG_ERR_MST_MISSING);

    WriteFile(m_folder / "log.MST", "m");
    EXPECT_EQ(Reader(hdb).code(), HAMLOG_OK);
}

TEST_F(HamlogLibraryTest, MasterFileMustBeReadable) {
    HandTable table = CallTable();
    const auto hdb = m_folder / "Log.hdb";
    WriteFile(hdb, table.bytes());
    std::filesystem::create_directory(m_folder / "Log.mst"); // a folder is not a master file
    EXPECT_EQ(Reader(hdb).code(), HAMLOG_ERR_MST_MISSING);
    if (std::filesystem::exists(m_folder / "LOG.Mst")) {
        GTEST_SKIP() << "the rest needs a file system that tells letter case apart (Windows' does not)";
    }
    WriteFile(m_folder / "LOG.Mst", "m"); // another spelling that is a file
    EXPECT_EQ(Reader(hdb).code(), HAMLOG_OK);
}

TEST_F(HamlogLibraryTest, TellsAMissingOrForeignLogApart) {
    WriteFile(m_folder / "LOG.mst", "m");
    EXPECT_EQ(Reader(m_folder / "LOG.hdb").code(), HAMLOG_ERR_HDB_MISSING);
    EXPECT_EQ(Count(m_folder / "LOG.hdb"), std::make_pair(HAMLOG_ERR_HDB_MISSING, -1));

    std::filesystem::create_directory(m_folder / "LOG.hdb");
    EXPECT_EQ(Reader(m_folder / "LOG.hdb").code(), HAMLOG_ERR_HDB_MISSING);
    std::filesystem::remove(m_folder / "LOG.hdb");

    WriteFile(m_folder / "LOG.hdb", "CALLS,DATE,TIME,HIS,MY,FREQ,MODE,CODE,GL,QSL,NAME,QTH\r\nJA1ABC,10/05/01\r\n");
    EXPECT_EQ(Reader(m_folder / "LOG.hdb").code(), HAMLOG_ERR_HDB_NOT_DBASE);
    EXPECT_EQ(Count(m_folder / "LOG.hdb"), std::make_pair(HAMLOG_ERR_HDB_NOT_DBASE, -1));
}

TEST_F(HamlogLibraryTest, RefusesANamedPipeInPlaceOfTheLogOrMasterFileWithoutWaiting) {
    HandTable table = CallTable();
    table.records = {table.record({"JA1ABC"})};
    if (!zentu::test::MakeNamedPipe(m_folder / "PIPE.hdb")) {
        // Windows has no named pipes among files; a device stands in for one (NUL is the device in every folder).
        const auto device = zentu::test::NonRegularFileIn(m_folder.path());
        EXPECT_EQ(Count(device), std::make_pair(HAMLOG_ERR_HDB_MISSING, -1));
        EXPECT_EQ(Reader(device).code(), HAMLOG_ERR_HDB_MISSING);
        return;
    }
    WriteFile(m_folder / "PIPE.mst", "m");
    WriteFile(m_folder / "LOG.hdb", table.bytes());
    ASSERT_TRUE(zentu::test::MakeNamedPipe(m_folder / "LOG.mst"));

    const zentu::test::Watchdog watchdog(20); // an open that waits for a writer on the pipe fails the test
    EXPECT_EQ(Count(m_folder / "PIPE.hdb"), std::make_pair(HAMLOG_ERR_HDB_MISSING, -1));
    EXPECT_EQ(Reader(m_folder / "PIPE.hdb").code(), HAMLOG_ERR_HDB_MISSING);
    EXPECT_EQ(Reader(m_folder / "LOG.hdb").code(), HAMLOG_ERR_MST_MISSING);
}

TEST_F(HamlogLibraryTest, RefusesDamagedHeaders) {
    const HandTable good = [] {
        HandTable table = CallTable();
        table.records = {table.record({"JA1ABC"})};
        return table;
    }();
    struct Case {
        const char* what;
        std::string bytes;
        int code = HAMLOG_ERR_HDB_INVALID;
    };
    std::vector<Case> cases;
    cases.push_back({"empty file", "", HAMLOG_ERR_HDB_NOT_DBASE});
    cases.push_back({"short header", good.bytes().substr(0, 20), HAMLOG_ERR_HDB_NOT_DBASE});
    cases.push_back({"header cut inside the descriptors", good.bytes().substr(0, 70)});
    HandTable damaged = good;
    damaged.version = 0x30;
    cases.push_back({"Visual FoxPro", damaged.bytes(), HAMLOG_ERR_HDB_VERSION});
    damaged.version = 0x8B;
    cases.push_back({"dBase IV with memo", damaged.bytes(), HAMLOG_ERR_HDB_VERSION});
    damaged.version = 0x7F;
    cases.push_back({"no dBase version", damaged.bytes(), HAMLOG_ERR_HDB_NOT_DBASE});
    damaged = good;
    damaged.headerLength = 32 + 32 + 1;
    cases.push_back({"header length smaller than the descriptors", damaged.bytes()});
    damaged = good;
    damaged.headerLength = 40;
    cases.push_back({"header length inside the first descriptor", damaged.bytes()});
    damaged = good;
    damaged.fields[1].second = 0;
    damaged.records = {};
    cases.push_back({"field length 0", damaged.bytes()});
    damaged = good;
    damaged.recordLength = 30;
    cases.push_back({"record length not the field lengths", damaged.bytes()});
    damaged = good;
    damaged.terminator = false;
    damaged.headerLength = 32 + 3 * 32 + 1;
    cases.push_back({"no descriptor terminator", damaged.bytes()});
    damaged = good;
    damaged.headerLength = 60000;
    cases.push_back({"header length beyond the file", damaged.bytes().substr(0, 200)});

    for (const Case& test : cases) {
        const auto hdb = m_folder / "BAD.hdb";
        WriteFile(hdb, test.bytes);
        WriteFile(m_folder / "BAD.mst", "m");
        EXPECT_EQ(Count(hdb), std::make_pair(test.code, -1)) << test.what;
        Reader log(hdb);
        EXPECT_EQ(log.code(), test.code) << test.what;
        EXPECT_EQ(log.read(1), -1) << test.what;
        EXPECT_EQ(log.field(1), "") << test.what;
    }
}

TEST_F(HamlogLibraryTest, AcceptsMemoVersionAndPaddedHeader) {
    HandTable table = CallTable();
    table.version = 0x83;
    table.headerLength = 32 + 3 * 32 + 1 + 263; // room some writers leave after the terminator
    table.records = {table.record({"JA1ABC", "10/05/01", "A"})};
    Reader log(writeLog(table));
    ASSERT_EQ(log.code(), HAMLOG_OK);
    log.read(1);
    EXPECT_EQ(log.field(3), "A");
}

TEST_F(HamlogLibraryTest, CountsOnlyTheRecordsWhollyPresent) {
    HandTable table = CallTable();
    table.records = {table.record({"JA1AAA"}), table.record({"JA1BBB"}), table.record({"JA1CCC"})};
    table.count = 10;
    table.endMark = false;
    std::string bytes = table.bytes() + table.record({"JA1DDD"}).substr(0, 12); // a record cut short
    const auto hdb = m_folder / "LOG.hdb";
    WriteFile(hdb, bytes);
    WriteFile(m_folder / "LOG.mst", "m");

    EXPECT_EQ(Count(hdb), std::make_pair(HAMLOG_OK, 3));
    Reader log(hdb);
    ASSERT_EQ(log.code(), HAMLOG_OK);
    log.read(3);
    EXPECT_EQ(log.field(1), "JA1CCC");
    EXPECT_EQ(log.read(4), -1);
    EXPECT_EQ(log.field(1), "");

    // A header that claims fewer records than are present is believed.
    table.count = 2;
    WriteFile(hdb, table.bytes());
    EXPECT_EQ(Count(hdb).second, 2);
}

TEST_F(HamlogLibraryTest, ReadsAnEmptyLog) {
    const auto hdb = writeLog(CallTable());
    EXPECT_EQ(Count(hdb), std::make_pair(HAMLOG_OK, 0));
    Reader log(hdb);
    ASSERT_EQ(log.code(), HAMLOG_OK);
    EXPECT_EQ(log.read(1), -1);
    EXPECT_EQ(log.field(1), "");
}

TEST_F(HamlogLibraryTest, LongFieldsNeverOverflowTheTextBuffer) {
    HandTable table;
    table.fields = {{"EXACT", HAMLOG_TEXT_SIZE - 1}, {"FULL", HAMLOG_TEXT_SIZE}, {"LONG", 3000}, {"KANJI", 1100}};
    const std::string exact(HAMLOG_TEXT_SIZE - 1, 'a');
    const std::string full(HAMLOG_TEXT_SIZE, 'b');
    const std::string longText(3000, 'c');
    // 1022 single bytes then a double-byte character: the character does not fit whole and is left out.
    const std::string kanji = std::string(HAMLOG_TEXT_SIZE - 2, 'd') + Sjis("東京");
    table.records = {table.record({exact, full, longText, kanji})};
    Reader log(writeLog(table));
    ASSERT_EQ(log.code(), HAMLOG_OK);
    log.read(1);

    // A buffer of exactly HAMLOG_TEXT_SIZE bytes on the heap: the address sanitizer sees any byte beyond.
    std::vector<char> text(HAMLOG_TEXT_SIZE);
    ThwString(text.data(), log.area(), 1);
    EXPECT_EQ(std::string(text.data()), exact);
    ThwString(text.data(), log.area(), 2);
    EXPECT_EQ(std::string(text.data()), full.substr(0, HAMLOG_TEXT_SIZE - 1));
    ThwString(text.data(), log.area(), 3);
    EXPECT_EQ(std::string(text.data()), longText.substr(0, HAMLOG_TEXT_SIZE - 1));
    ThwString(text.data(), log.area(), 4);
    EXPECT_EQ(std::string(text.data()), kanji.substr(0, HAMLOG_TEXT_SIZE - 2));
}

TEST_F(HamlogLibraryTest, LeavesOutALeadByteCutFromItsCharacterAtTheEndOfAField) {
    // What another dBase tool leaves when it cuts a value inside a double-byte character, and look-alikes that are
    // whole: a trail byte may have a lead byte's value.
    struct Case {
        std::string stored;
        std::string delivered;
    };
    const std::string tokyo = Sjis("東京");
    const std::vector<Case> cases{
        {"JA1ABC" + tokyo.substr(0, 1), "JA1ABC"},                 // the field padded with blanks after the lone byte
        {tokyo + tokyo.substr(0, 1), tokyo},                       // the field full
        {Sjis("ｱ") + "\xE0", Sjis("ｱ")},                           // after a one-byte katakana
        {"\x81", ""},                                              // nothing but the lone byte
        {Sjis("＝"), Sjis("＝")},                                  // 0x81 0x81: the last byte is a trail byte
        {Sjis("ア") + " " + tokyo.substr(0, 1), Sjis("ア") + " "}, // the blank before it is text, not padding
        {"AB" + tokyo.substr(0, 1) + std::string(5, '\0'), "AB"},  // padded with NULs, where the text ends
        {std::string("AB  \0  x", 8), "AB"},
    };
    HandTable table;
    table.fields = {{"TEXT", 8}};
    for (const Case& test : cases) {
        table.records.push_back(table.record({test.stored}));
    }
    Reader log(writeLog(table));
    ASSERT_EQ(log.code(), HAMLOG_OK);
    for (std::size_t index = 0; index < cases.size(); ++index) {
        log.read(static_cast<std::int32_t>(index + 1));
        EXPECT_EQ(log.field(1), cases[index].delivered) << "record " << index + 1;
    }
}

TEST_F(HamlogLibraryTest, ReadsAcrossItsReadWindowInAnyOrder) {
    HandTable table;
    table.fields = {{"NUMBER", 8}, {"FILL", 250}};
    const int count = 3000; // about 780 kB: several read windows
    for (int number = 1; number <= count; ++number) {
        table.records.push_back(table.record({std::to_string(number), std::string(250, 'z')}));
    }
    Reader log(writeLog(table));
    ASSERT_EQ(log.code(), HAMLOG_OK);
    std::vector<std::int32_t> order;
    for (int number = count; number >= 1; number -= 7) {
        order.push_back(number); // backwards
    }
    for (int number = 1; number <= count; number += 997) {
        order.push_back(number); // forwards, jumping
        order.push_back(count + 1 - number);
    }
    for (const std::int32_t number : order) {
        ASSERT_EQ(log.read(number), 0) << number;
        ASSERT_EQ(log.field(1), std::to_string(number));
    }
}

} // namespace
