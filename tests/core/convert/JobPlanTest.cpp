#include "convert/JobPlan.h"

#include "hamlog/RecordLibrary.h"
#include "settings/JobSettings.h"

#include "LogWriter.h"
#include "TestPlatform.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace zentu {
namespace {

struct PlanCase {
    const char* name;
    const char* select_flag;
    const char* start;             // set_start_rec_no
    const char* end;               // set_end_rec_no
    const char* anytimeLast;       // set_anytime_last
    const char* n;                 // set_rec_hani
    const char* lastEnd;           // last_end_rec_no
    std::optional<RangeMode> mode; // none: refused for want of a range
    std::int64_t first;
    std::int64_t last;
    bool noNewRecords;
};

// A log of 10 records throughout.
const PlanCase kCases[] = {
    {"all", "0", "", "", "", "", "", RangeMode::All, 1, 10, false},
    {"dates read every record", "1", "", "", "", "", "", RangeMode::DateRange, 1, 10, false},
    {"numbers", "2", "3", "5", "0", "", "", RangeMode::RecordNumbers, 3, 5, false},
    {"numbers to the newest", "2", "3", "5", "1", "", "", RangeMode::RecordNumbers, 3, 10, false},
    {"numbers past the log are not read", "2", "8", "99", "0", "", "", RangeMode::RecordNumbers, 8, 10, false},
    {"blank numbers are completed", "2", "", "", "0", "", "", RangeMode::RecordNumbers, 1, 10, false},
    {"last N", "3", "", "", "", "4", "", RangeMode::LastN, 7, 10, false},
    {"last N beyond the log starts at 1", "3", "", "", "", "40", "", RangeMode::LastN, 1, 10, false},
    {"new additions", "4", "", "", "", "", "6", RangeMode::NewAdditions, 7, 10, false},
    {"no new additions", "4", "", "", "", "", "10", RangeMode::NewAdditions, 11, 10, true},
    {"range never saved", "", "", "", "", "", "", std::nullopt, 0, 0, false},
    {"unknown flag", "5", "", "", "", "", "", std::nullopt, 0, 0, false},
    {"letters for a flag", "abc", "", "", "", "", "", std::nullopt, 0, 0, false},
    {"flag with a blank", " 1", "", "", "", "", "", std::nullopt, 0, 0, false},
};

TEST(JobPlan, DecidesTheRangeOrRefusesForEveryMode) {
    for (const PlanCase& c : kCases) {
        JobSettings settings;
        settings.select_flag = c.select_flag;
        settings.set_start_rec_no = c.start;
        settings.set_end_rec_no = c.end;
        settings.set_anytime_last = c.anytimeLast;
        settings.set_rec_hani = c.n;
        settings.last_end_rec_no = c.lastEnd;
        const JobPlan plan = PlanJobForCount(settings, 10);
        if (!c.mode) {
            // A range never saved and a flag no range mode stands for are told apart.
            EXPECT_EQ(plan.refusal, *c.select_flag == '\0' ? PlanRefusal::RangeNotSet : PlanRefusal::BadRange)
                << c.name;
            EXPECT_NE(plan.reason.find(*c.select_flag == '\0' ? std::string("保存されていません")
                                                              : "select_flag の値「" + std::string(c.select_flag)),
                      std::string::npos)
                << plan.reason;
            EXPECT_FALSE(plan.canRun()) << c.name;
            EXPECT_EQ(plan.summary, "") << c.name;
            continue;
        }
        EXPECT_TRUE(plan.stands()) << c.name;
        EXPECT_EQ(plan.mode, *c.mode) << c.name;
        EXPECT_EQ(plan.range.first, c.first) << c.name;
        EXPECT_EQ(plan.range.last, c.last) << c.name;
        EXPECT_EQ(plan.noNewRecords, c.noNewRecords) << c.name;
        EXPECT_EQ(plan.canRun(), !c.noNewRecords) << c.name;
        EXPECT_FALSE(plan.summary.empty()) << c.name;
        const RunInput input = plan.runInput("/folder", 3);
        EXPECT_EQ(input.rangeMode, *c.mode) << c.name;
        EXPECT_EQ(input.record_count, 10) << c.name;
        EXPECT_EQ(input.job, 3) << c.name;
    }
}

TEST(JobPlan, CompletesBlankSettingsOnlyWhenAsked) {
    JobSettings interactive;
    interactive.select_flag = "2";
    PlanJobForCount(interactive, 10);
    EXPECT_EQ(interactive.set_end_rec_no, "10");

    JobSettings autoRun;
    autoRun.select_flag = "2";
    const JobPlan plan = PlanJobForCount(autoRun, 10, PlanOptions{.completeBlankSettings = false});
    EXPECT_EQ(autoRun.set_end_rec_no, "");
    EXPECT_EQ(plan.range.last, 0);
}

TEST(JobPlan, EachReasonALogCannotBeCountedIsToldAndAPathNeverSetIsNotTakenForAMissingLog) {
    RecordLibrary library;
    ASSERT_TRUE(library.load(test::BinDir())) << library.errorString();
    test::TempDir dir;
    std::filesystem::create_directory(dir / "FOLDER.hdb");
    test::WriteBytes(dir / "TEXT.hdb", "Hamlog? no, just text\r\n");
    test::WriteBytes(dir / "TEXT.mst", "");
    test::WriteBytes(dir / "FOXPRO.hdb", "\x30" + std::string(63, '\0'));
    test::WriteBytes(dir / "FOXPRO.mst", "");
    test::WriteBytes(dir / "DAMAGED.hdb", "\x03" + std::string(63, '\0'));
    test::WriteBytes(dir / "DAMAGED.mst", "");
    struct Case {
        const char* log;
        const char* cause;
        bool missing;
    };
    for (const Case& c : {Case{"MISSING.hdb", "（ファイルまたはフォルダーがありません）", true},
                          Case{"FOLDER.hdb", "（ファイルではなくフォルダーです）", false},
                          Case{"TEXT.hdb", "（Hamlog のログではありません）", false},
                          Case{"FOXPRO.hdb", "（dBase III 形式ではない版の dBase ファイルです）", false},
                          Case{"DAMAGED.hdb", "（ログが壊れています）", false}}) {
        JobSettings settings;
        settings.select_flag = "0";
        settings.set_hdb_dir = (dir / c.log).string();
        settings.set_outcsv_dir = (dir / "OUT.CSV").string();
        const JobPlan plan = PlanJob(library, settings);
        EXPECT_EQ(plan.refusal, PlanRefusal::LogUnreadable) << c.log;
        EXPECT_EQ(plan.reason.rfind("ログファイル " + settings.set_hdb_dir + " を開けません", 0), 0u) << plan.reason;
        EXPECT_NE(plan.reason.find(c.cause), std::string::npos) << plan.reason;
        EXPECT_EQ(plan.logMissing, c.missing) << c.log;
        EXPECT_FALSE(plan.canRun());
    }

    JobSettings unset;
    unset.select_flag = "0";
    unset.set_outcsv_dir = (dir / "OUT.CSV").string();
    JobPlan plan = PlanJob(library, unset);
    EXPECT_EQ(plan.refusal, PlanRefusal::BadPaths);
    EXPECT_EQ(plan.reason, "入力ファイル（Hamlog のログ）が設定されていません。");
    unset.set_hdb_dir = (dir / "TEXT.hdb").string();
    unset.set_outcsv_dir = "  ";
    plan = PlanJob(library, unset);
    EXPECT_EQ(plan.reason, "出力ファイル（CSV）が設定されていません。");
    EXPECT_FALSE(plan.counted);
}

struct BadRangeCase {
    const char* select_flag;
    const char* key; // the setting named in the refusal
    std::string JobSettings::*field;
    const char* value;
};

const BadRangeCase kBadRanges[] = {
    {"1", "set_start_date", &JobSettings::set_start_date, "abc"},
    {"1", "set_start_date", &JobSettings::set_start_date, "-5"},
    {"1", "set_start_date", &JobSettings::set_start_date, "2.5e9"},
    {"1", "set_start_date", &JobSettings::set_start_date, "0"},
    {"1", "set_end_date", &JobSettings::set_end_date, "20090231"},
    {"1", "set_start_date", &JobSettings::set_start_date, "20100301"}, // after the end
    {"2", "set_start_rec_no", &JobSettings::set_start_rec_no, "9"},    // after the end
    {"2", "set_end_rec_no", &JobSettings::set_end_rec_no, "x"},
    {"3", "set_rec_hani", &JobSettings::set_rec_hani, "0"},
    {"3", "set_rec_hani", &JobSettings::set_rec_hani, "abc"},
    {"3", "set_rec_hani", &JobSettings::set_rec_hani, "2.5"},
    {"4", "last_end_rec_no", &JobSettings::last_end_rec_no, "99999999999"},
    {"4", "last_end_rec_no", &JobSettings::last_end_rec_no, "2.5e9"},
    {"4", "last_end_rec_no", &JobSettings::last_end_rec_no, "1e400"},
    {"4", "last_end_rec_no", &JobSettings::last_end_rec_no, "-5"},
};

TEST(JobPlan, RefusesRangeSettingsThatDescribeNoRangeNamingTheSettingAndItsValue) {
    for (const BadRangeCase& c : kBadRanges) {
        JobSettings settings;
        settings.select_flag = c.select_flag;
        settings.set_start_date = "20100201";
        settings.set_end_date = "20100228";
        settings.set_start_rec_no = "2";
        settings.set_end_rec_no = "5";
        settings.set_rec_hani = "3";
        settings.*(c.field) = c.value;
        const JobPlan plan = PlanJobForCount(settings, 10);
        EXPECT_EQ(plan.refusal, PlanRefusal::BadRange) << c.key << "=" << c.value;
        EXPECT_FALSE(plan.canRun()) << c.key << "=" << c.value;
        EXPECT_NE(plan.reason.find(c.key), std::string::npos) << plan.reason;
        EXPECT_NE(plan.reason.find(std::string("「") + c.value + "」"), std::string::npos) << plan.reason;
    }
}

TEST(JobPlan, ANewAdditionsLogShorterThanThePreviousRunIsAChangedLogNotAnEmptyOne) {
    JobSettings settings;
    settings.select_flag = "4";
    settings.last_end_rec_no = "12";
    const JobPlan plan = PlanJobForCount(settings, 10);
    EXPECT_TRUE(plan.stands());
    EXPECT_TRUE(plan.logShorterThanLastRun);
    EXPECT_FALSE(plan.noNewRecords);

    RecordLibrary library;
    ASSERT_TRUE(library.load(test::BinDir())) << library.errorString();
    test::TempDir dir;
    hamlog::LogRecord record;
    record.fields[0] = "JA1ABC";
    std::string error;
    ASSERT_TRUE(hamlog::CreateLog(dir / "LOG.hdb", {record}, &error)) << error;
    settings.set_hdb_dir = (dir / "LOG.hdb").string();
    settings.select_flag_new_add_last_QSO_data = "";
    EXPECT_TRUE(CheckLastQso(library, settings, dir / "LOG.hdb").recordMissing);
}

TEST(JobPlan, ALogThatCannotBeOpenedIsRefusedWithItsCauseBeforeAnythingElse) {
    RecordLibrary library;
    ASSERT_TRUE(library.load(test::BinDir())) << library.errorString();
    test::TempDir dir;
    hamlog::LogRecord record;
    record.fields[0] = "JA1ABC";
    std::string error;
    ASSERT_TRUE(hamlog::CreateLog(dir / "LOG.hdb", {record}, &error)) << error;
    JobSettings settings;
    settings.select_flag = "4";
    settings.set_outcsv_dir = (dir / "OUT.CSV").string();
    settings.set_hdb_dir = (dir / "LOG.hdb").string();

    std::filesystem::remove(dir / "LOG.mst");
    JobPlan plan = PlanJob(library, settings);
    EXPECT_EQ(plan.refusal, PlanRefusal::LogUnreadable);
    EXPECT_EQ(plan.reason, "ログファイル " + settings.set_hdb_dir + " のマスターファイル " +
                               (dir / "LOG.mst").string() + " を開けません（ファイルまたはフォルダーがありません）。");

    // A named pipe in place of the log or its master file is refused without being opened (it would block).
    if (!test::MakeNamedPipe(dir / "LOG.mst")) {
        GTEST_SKIP() << "the rest needs named pipes among files, which Windows does not have";
    }
    EXPECT_EQ(PlanJob(library, settings).refusal, PlanRefusal::LogUnreadable);
    std::filesystem::remove(dir / "LOG.hdb");
    ASSERT_TRUE(test::MakeNamedPipe(dir / "LOG.hdb"));
    plan = PlanJob(library, settings);
    EXPECT_EQ(plan.refusal, PlanRefusal::LogUnreadable);
    EXPECT_NE(plan.reason.find("通常のファイルではありません"), std::string::npos) << plan.reason;
}

TEST(JobPlan, APathThatDoesNotFitIsRefusedNeverCut) {
    RecordLibrary library;
    ASSERT_TRUE(library.load(test::BinDir())) << library.errorString();
    JobSettings settings;
    settings.select_flag = "0";
    settings.set_hdb_dir = "/tmp/LOG.hdb";
    settings.set_outcsv_dir = "/tmp/" + std::string(258, 'o');
    const JobPlan plan = PlanJob(library, settings);
    EXPECT_EQ(plan.refusal, PlanRefusal::BadPaths);
    EXPECT_NE(plan.reason.find(settings.set_outcsv_dir), std::string::npos);
    EXPECT_FALSE(plan.counted);
}

hamlog::LogRecord Contact(const std::string& call) {
    hamlog::LogRecord record;
    record.fields = {call, "10/01/01", "12:00J", "599", "599", "7.050", "CW", "1001", "", "", "", "", "", "", "", ""};
    return record;
}

/// Contacts named `prefix` + number, from `first` to `last`.
std::vector<hamlog::LogRecord> Contacts(const std::string& prefix, int first, int last) {
    std::vector<hamlog::LogRecord> records;
    for (int n = first; n <= last; ++n) {
        records.push_back(Contact(prefix + std::to_string(n)));
    }
    return records;
}

std::vector<hamlog::LogRecord> Joined(std::vector<hamlog::LogRecord> a, const std::vector<hamlog::LogRecord>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TEST(JobPlan, AChangedLogIsToldFirstAndARunAnywayStartsAfterTheRecordWrittenLastOrIsRefused) {
    RecordLibrary library;
    ASSERT_TRUE(library.load(test::BinDir())) << library.errorString();
    test::TempDir dir;
    // The previous run wrote C1 to C40 and ended at record 40.
    struct Case {
        const char* name;
        std::vector<hamlog::LogRecord> log;
        const char* signature;
        bool changed;
        std::int64_t foundAt;
        std::int64_t first; // of the range a run (anyway) takes
        bool noNewRecords;
        bool refused;
    };
    const std::string c40 = "C40_10/01/01_12:00J_7.050_CW_1001";
    const Case cases[] = {
        {"unchanged, five added", Contacts("C", 1, 45), c40.c_str(), false, 0, 41, false, false},
        {"6 to 15 deleted, five added", Joined(Joined(Contacts("C", 1, 5), Contacts("C", 16, 40)), Contacts("N", 1, 5)),
         c40.c_str(), true, 30, 31, false, false},
        {"6 to 15 deleted", Joined(Contacts("C", 1, 5), Contacts("C", 16, 40)), c40.c_str(), true, 30, 31, true, false},
        {"another log of as many records", Contacts("D", 1, 40), c40.c_str(), true, 0, 41, true, false},
        {"31 to 40 deleted", Contacts("C", 1, 30), c40.c_str(), true, 0, 0, false, true},
        {"no signature stored", Contacts("D", 1, 40), "", false, 0, 41, true, false},
    };
    for (const Case& c : cases) {
        std::string error;
        ASSERT_TRUE(hamlog::CreateLog(dir / "LOG.hdb", c.log, &error)) << error;
        JobSettings settings;
        settings.select_flag = "4";
        settings.set_hdb_dir = (dir / "LOG.hdb").string();
        settings.set_outcsv_dir = (dir / "OUT.CSV").string();
        settings.last_end_rec_no = "40";
        settings.select_flag_new_add_last_QSO_data = c.signature;
        const JobPlan plan = PlanJob(library, settings);
        ASSERT_TRUE(plan.stands()) << c.name << ": " << plan.reason;
        EXPECT_EQ(plan.logChanged, c.changed) << c.name;
        EXPECT_EQ(plan.lastWrittenFoundAt, c.foundAt) << c.name;
        EXPECT_EQ(plan.noNewRecords, c.noNewRecords) << c.name;
        EXPECT_EQ(!plan.runAnywayRefused.empty(), c.refused) << c.name;
        EXPECT_EQ(plan.canRun(), !c.noNewRecords && !c.refused) << c.name;
        if (!c.refused) {
            EXPECT_EQ(plan.range.first, c.first) << c.name;
            EXPECT_EQ(plan.new_start_rec_no, std::to_string(c.first)) << c.name;
            EXPECT_EQ(plan.range.last, static_cast<std::int64_t>(c.log.size())) << c.name;
        }
    }
}

} // namespace
} // namespace zentu
