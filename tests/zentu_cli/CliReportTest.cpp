// zentu_cli's run report (--report FILE) and its status for records left out of the ADIF file (--strict).

#include "ZentuCliFixture.h"

#include "text/Cp932Codec.h"

#include "TestPlatform.h"

#include <nlohmann/json.hpp>

namespace zentu {
namespace {

using Json = nlohmann::json;

class CliReportTest : public ZentuCliTest {
protected:
    /// A log of a good contact, one without a call sign and one whose call sign is full-width, in a job that writes
    /// ADIF 3.1 for all records.
    void OddLog() {
        std::string error;
        ASSERT_TRUE(hamlog::CreateLog(
            dir / "LOG.hdb",
            {Qso("JA1AA", "10/01/01"), Qso("", "10/01/02"), Qso(Cp932Codec::encode("ＪＡ１ＣＣ").text, "10/01/03")},
            &error))
            << error;
        settings.select_flag = "0";
        settings.adif_out = "1";
        settings.adif_v31 = "1";
        Save();
    }
    Json Report() const { return Json::parse(test::ReadBytes(dir / "report.json")); }
    std::string report() const { return (dir / "report.json").string(); }
};

TEST_F(CliReportTest, TheReportTellsTheRunAndTheRecordsLeftOutWithTheirReasons) {
    OddLog();
    ASSERT_EQ(Run({"--report", report()}), CliStatus::Success) << err.str();
    const Json json = Report();
    EXPECT_EQ(json["job"], 1);
    EXPECT_EQ(json["job_name"], "Test");
    EXPECT_EQ(json["status"], "left_out");
    EXPECT_EQ(json["exit_status"], 0);
    EXPECT_EQ(json["adif_v31"], true);
    EXPECT_EQ(json["range"]["mode"], "all");
    EXPECT_EQ(json["range"]["first"], 1);
    EXPECT_EQ(json["range"]["last"], 3);
    EXPECT_EQ(json["records_read"], 3);
    EXPECT_EQ(json["csv_lines"], 3);
    EXPECT_EQ(json["adif_records"], 1);
    EXPECT_EQ(json["adif_left_out"]["count"], 2);
    EXPECT_EQ(json["adif_left_out"]["by_reason"], Json::parse(R"({"no_call": 1, "non_ascii_call": 1})"));
    EXPECT_EQ(json["adif_left_out"]["records"][0]["record"], 2);
    EXPECT_EQ(json["adif_left_out"]["records"][0]["reasons"], Json::parse(R"(["no_call"])"));
    EXPECT_EQ(json["adif_left_out"]["records"][1]["record"], 3);
    EXPECT_EQ(json["adif_left_out"]["records"][1]["texts"][0], "コールサインに ASCII 以外の文字（全角文字など）がある");
    EXPECT_EQ(json["outputs"]["csv"], (dir / "OUT.CSV").string());
    EXPECT_EQ(json["outputs"]["adif"], (dir / "OUT.adi").string());
    EXPECT_NE(json["messages"].get<std::string>().find("ADIF ファイルに入れていません"), std::string::npos);
}

TEST_F(CliReportTest, StrictGivesItsOwnStatusOnlyWhenRecordsWereLeftOut) {
    // The default log's records are all fit for ADIF 3.1.
    settings.select_flag = "0";
    settings.adif_out = "1";
    settings.adif_v31 = "1";
    Save();
    EXPECT_EQ(Run({"--strict"}), CliStatus::Success) << err.str();
    OddLog();
    EXPECT_EQ(Run(), CliStatus::Success) << err.str();
    EXPECT_EQ(Run({"--strict", "--report", report()}), CliStatus::LeftOut) << err.str();
    EXPECT_EQ(Report()["status"], "left_out");
    EXPECT_EQ(Report()["exit_status"], 10);
    EXPECT_EQ(test::RunProgram(test::ProgramInBinDir("zentu_cli"),
                               {"--folder", dir.path().string(), "--job", "1", "--strict"}),
              10);
}

TEST_F(CliReportTest, AFailedRunIsReportedAndAReportThatCannotBeWrittenOrWouldReplaceAFileIsAnError) {
    JobRegistry(dir.path()).writeEmptySlot(1);
    EXPECT_EQ(Run({"--report", report()}), CliStatus::JobNotReady);
    EXPECT_EQ(Report()["status"], "not_ready");
    EXPECT_EQ(Report()["exit_status"], 3);
    EXPECT_FALSE(Report().contains("csv_lines"));
    JobRegistry(dir.path()).writeRegisteredJob(1, {"Test", "", "", ""});

    // The run went well, its report did not: status 8, the outputs are written.
    EXPECT_EQ(Run({"--report", (dir / "no-folder" / "report.json").string()}), CliStatus::OutputFailed);
    EXPECT_NE(err.str().find("report.json"), std::string::npos) << err.str();
    EXPECT_TRUE(std::filesystem::exists(dir / "OUT.CSV"));

    // A report over the job's own files is refused before anything runs.
    const std::string csv = test::ReadBytes(dir / "OUT.CSV");
    for (const char* name : {"OUT.CSV", "LOG.hdb", "ini/zentu_1.ini"}) {
        EXPECT_EQ(Run({"--report", (dir / name).string()}), CliStatus::Usage) << name;
        EXPECT_NE(err.str().find("--report"), std::string::npos) << err.str();
    }
    EXPECT_EQ(test::ReadBytes(dir / "OUT.CSV"), csv);
    EXPECT_EQ(Run({"--report"}), CliStatus::Usage);
}

} // namespace
} // namespace zentu
