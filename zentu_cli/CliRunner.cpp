#include "CliRunner.h"

#include "RunReport.h"

#include "convert/AdifSettings.h"
#include "convert/ConversionRun.h"
#include "convert/JobFiles.h"
#include "convert/JobPlan.h"
#include "convert/JobTexts.h"
#include "convert/ModeTable.h"
#include "hamlog/LogFiles.h"
#include "hamlog/RecordLibrary.h"
#include "platform/NativeFile.h"
#include "platform/ProgramPaths.h"
#include "settings/JobRegistry.h"
#include "settings/JobSettings.h"
#include "text/TextHelpers.h"

#include <charconv>
#include <optional>
#include <streambuf>
#include <system_error>

namespace zentu {

namespace {

struct CliOptions {
    std::filesystem::path folder;
    int job = 0;
    bool force = false;
    bool help = false;
    std::filesystem::path report; ///< --report FILE: the run's report as JSON (none when empty)
    bool strict = false;          ///< --strict: records left out of the ADIF file give their own status
};

std::optional<CliOptions> ParseArguments(const std::vector<std::string>& arguments, std::ostream& err) {
    CliOptions options;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        // "/?" is how a Windows user first asks a command for help.
        if (argument == "--help" || argument == "-h" || argument == "/?") {
            options.help = true;
        } else if (argument == "--force") {
            options.force = true;
        } else if (argument == "--strict") {
            options.strict = true;
        } else if (argument == "--report") {
            if (i + 1 >= arguments.size() || arguments[i + 1].empty()) {
                err << "--report の後にレポートファイル（JSON）の名前を指定してください。\n";
                return std::nullopt;
            }
            options.report = PathFromUtf8(arguments[++i]);
        } else if (argument == "--folder" || argument == "--job") {
            if (i + 1 >= arguments.size()) {
                err << (argument == "--job" ? "--job の後に JOB 番号（1 から 9）を指定してください。\n"
                                            : "--folder の後にプログラムフォルダーを指定してください。\n");
                return std::nullopt;
            }
            const std::string& value = arguments[++i];
            if (argument == "--folder") {
                if (value.empty()) {
                    err << "--folder に空のフォルダー名が指定されました。プログラムフォルダーを指定してください。\n";
                    return std::nullopt;
                }
                options.folder = PathFromUtf8(value);
                if (KindOfPath(options.folder) != PathKind::Folder) {
                    err << "プログラムフォルダー " << value << " がありません"
                        << (KindOfPath(options.folder) == PathKind::Missing ? "" : "（フォルダーではありません）")
                        << "。\n";
                    return std::nullopt;
                }
            } else {
                const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), options.job);
                if (error != std::errc() || end != value.data() + value.size() || options.job < 1 || options.job > 9) {
                    err << "JOB 番号は 1 から 9 で指定してください: " << value << "\n";
                    return std::nullopt;
                }
            }
        } else {
            err << "分からない引数です: " << argument << "\n";
            return std::nullopt;
        }
    }
    if (!options.help && options.job == 0) {
        err << "--job N を指定してください。\n";
        return std::nullopt;
    }
    if (options.folder.empty()) {
        options.folder = ExecutableFolder();
    }
    return options;
}

// Success when everything printed reached the standard output; otherwise the user is told on the error output
// (a full disk, a closed pipe) whether the job ran.
CliStatus Reported(std::ostream& out, std::ostream& err, bool ran) {
    if (out << std::flush) {
        return CliStatus::Success;
    }
    err << (ran ? "標準出力に書き込めません（JOB は実行し、出力ファイルは書き込みました）。\n"
                : "標準出力に書き込めません（JOB は実行していません）。\n");
    return CliStatus::OutputFailed;
}

/// Hands what is written to another stream's buffer and keeps a copy of it.
class TeeBuffer : public std::streambuf {
public:
    TeeBuffer(std::streambuf* target, std::string& copy) : m_target(target), m_copy(copy) {}

protected:
    int_type overflow(int_type c) override {
        if (traits_type::eq_int_type(c, traits_type::eof())) {
            return traits_type::not_eof(c);
        }
        m_copy += traits_type::to_char_type(c);
        return m_target->sputc(traits_type::to_char_type(c));
    }
    std::streamsize xsputn(const char* text, std::streamsize count) override {
        m_copy.append(text, static_cast<std::size_t>(count));
        return m_target->sputn(text, count);
    }
    int sync() override { return m_target->pubsync(); }

private:
    std::streambuf* m_target;
    std::string& m_copy;
};

/// Records the run left out of the ADIF file, and in the date range mode of both files.
std::int64_t LeftOutCount(const RunReport& report) {
    if (!report.result || !report.result->ok) {
        return 0;
    }
    return report.result->adifLeftOut.count + report.result->dateRangeUndecided.count;
}

/// Why the report file must not be written where the command line puts it: it would replace the job's log, its
/// master file, an output or the job's settings file.
std::optional<std::string> CheckReportTarget(const CliOptions& options, const JobSettings& settings) {
    std::error_code error;
    const auto same = [&](const std::filesystem::path& file) {
        return !file.empty() &&
               std::filesystem::weakly_canonical(std::filesystem::absolute(options.report, error), error) ==
                   std::filesystem::weakly_canonical(std::filesystem::absolute(file, error), error);
    };
    const std::filesystem::path csv = JobFilePath(options.folder, settings.set_outcsv_dir);
    const std::filesystem::path log = JobFilePath(options.folder, settings.set_hdb_dir);
    for (const std::filesystem::path& file :
         {csv, AdifPathFor(csv), log, FindMasterFile(log).value_or(std::filesystem::path()),
          JobSettingsPath(options.folder, options.job)}) {
        if (same(file)) {
            return "--report のファイル " + Utf8FromPath(options.report) + " は JOB " + std::to_string(options.job) +
                   " のログか出力ファイルか設定ファイルです。別のファイル名を指定してください（何も実行していません）"
                   "。";
        }
    }
    return std::nullopt;
}

// Prints a signature field by field, the way the changed-log warning shows it.
void PrintSignature(std::ostream& out, const std::string& title, const std::string& signature) {
    out << title << ": " << signature << "\n";
}

} // namespace

std::string CliUsage() {
    return "使い方: zentu_cli --job N [--folder DIR] [--force] [--report FILE] [--strict]\n"
           "       zentu_cli --help\n"
           "\n"
           "  プログラムフォルダー DIR（省略時は zentu_cli のあるフォルダー）の JOB N（1～9）を実行し、\n"
           "  Hamlog のログから CSV ファイル（と、指定があれば ADIF ファイル）を書き出します。\n"
           "\n"
           "  --force  新規追加分のみの JOB で、前回の出力最終レコードの内容が変わっていても実行します。\n"
           "  --report FILE  実行の報告を JSON で FILE に書きます（JOB、範囲、読んだレコード数、CSV の行数、\n"
           "           ADIF のレコード数、ADIF に入れなかったレコードの番号と理由、出力ファイル、結果）。\n"
           "  --strict 実行できても ADIF ファイルに入れなかったレコードがあれば終了コード 10 にします。\n"
           "  --help   この説明と終了コードを表示します（/? でも同じです）。\n"
           "\n"
           "終了コード:\n"
           "  0 実行した（または新規追加レコードがなかった）\n"
           "  1 引数の誤り（分からない引数、値のない --job や --folder、ないフォルダー）\n"
           "  2 記録ライブラリがない、または古い\n"
           "  3 JOB が登録されていない、パスや範囲設定がないか正しくない、mode_tbl.csv や JOB "
           "のファイルがないか読めない\n"
           "  4 前回の内容と今回の内容が異なる（--force で実行できます。ログが短くなり、前回最後に出力したレコードも\n"
           "    見つからないときは --force でも実行しません）\n"
           "  5 ログファイル（またはマスターファイル）を開けない\n"
           "  6 変換に失敗した（出力ファイルと設定は元のまま）\n"
           "  7 同じ JOB か、同じ出力ファイルに書く JOB がほかで実行中だった（何も変更していない）\n"
           "  8 標準出力か --report のファイルに書き込めなかった（実行前なら何も変更していない）\n"
           "  9 変換に失敗し、前の出力ファイルを元に戻せなかった（前の内容を残したファイルをメッセージで示す）\n"
           "  10 --strict のとき: 実行したが、ADIF ファイルに入れなかったレコードがある\n";
}

namespace {

/// Runs the job the options name; `report` gathers what a --report file tells.
CliStatus RunJob(const CliOptions& options, std::ostream& out, std::ostream& err, std::chrono::milliseconds lockWait,
                 RunReport& report) {
    RecordLibrary library;
    std::string reason;
    if (!LoadRecordLibrary(library, options.folder, reason)) {
        err << reason << "\n";
        return CliStatus::Library;
    }

    const std::string jobText = std::to_string(options.job);
    if (const auto problem = CheckProgramFiles(options.folder, options.job)) {
        err << *problem << "\n";
        return CliStatus::JobNotReady;
    }
    const JobRegistry registry(options.folder);
    if (const auto entry = registry.readTrimmed(options.job)) {
        report.jobName = entry->name;
    }
    if (!registry.isRegistered(options.job)) {
        err << "JOB " << jobText << " は登録されていません（" << Utf8FromPath(registry.path(options.job)) << "）。\n";
        return CliStatus::JobNotReady;
    }
    // The job's lock is held from before its settings are read and the log is counted to the final save, so no
    // other run of the job can come between.
    JobLock lock;
    if (!lock.acquire(options.folder, options.job, lockWait, reason)) {
        err << reason << "\n";
        return lock.busy() ? CliStatus::JobBusy : CliStatus::RunFailed;
    }
    JobSettings settings;
    if (!LoadJobSettings(options.folder, options.job, settings, true, &reason)) {
        err << reason << "\n";
        return CliStatus::JobNotReady;
    }
    report.adifAsked = settings.adif_out == "1";
    report.adifV31 = WantsAdifV31(settings);
    if (!options.report.empty()) {
        if (const auto problem = CheckReportTarget(options, settings)) {
            err << *problem << "\n";
            return CliStatus::Usage;
        }
    }

    ModeTable modeTable;
    const std::filesystem::path modeTablePath = ModeTablePath(options.folder);
    if (!modeTable.load(modeTablePath)) {
        err << Utf8FromPath(modeTablePath) << "　がありません\n";
        return CliStatus::JobNotReady;
    }

    const JobPlan& plan = report.plan.emplace(PlanJob(library, settings, PlanOptions{.programFolder = options.folder}));
    if (plan.refusal == PlanRefusal::LogUnreadable) {
        err << plan.reason << "\n";
        return CliStatus::LogUnreadable;
    }
    if (plan.counted) {
        out << job_texts::kInputCountPrefix << plan.record_count << job_texts::kCountSuffix << "\n";
    }
    if (!plan.stands()) {
        err << "JOB " << jobText << " の" << plan.reason << "\n";
        return CliStatus::JobNotReady;
    }
    out << plan.summary << "\n";
    // A changed log is told before anything else of the plan, "no new records" included: the records after
    // last_end_rec_no are not what the previous run left for this one.
    if (plan.logChanged) {
        err << job_texts::kChangedLog << "\n" << job_texts::kLastEndRecord << settings.last_end_rec_no << "\n";
        if (plan.logShorterThanLastRun) {
            err << "ログのレコード数（" << plan.record_count << " 件）が前回の出力最終番号より少なくなっています。\n";
        }
        PrintSignature(err, "前回の内容", plan.lastQso.stored);
        PrintSignature(err, "今回の内容", plan.lastQso.current);
        if (!plan.runAnywayRefused.empty()) {
            err << plan.runAnywayRefused << "\n";
            return CliStatus::ChangedLog;
        }
        if (plan.lastWrittenFoundAt > 0) {
            err << "前回最後に出力したレコードは、今はレコード番号 " << plan.lastWrittenFoundAt
                << " にあります（--force ではその次から実行します）。\n";
        }
        if (!options.force) {
            err << "前回の出力後に途中のＱＳＯデータを削除したり、追加したり、ソート処理をしたりしていませんか？\n"
                   "調査の上、それでも実行するときは --force を付けてください。\n";
            return CliStatus::ChangedLog;
        }
    }
    if (plan.noNewRecords) {
        out << job_texts::kNoNewRecords << "\n";
        return Reported(out, err, false);
    }
    // What the run is about to do must reach the user: when the standard output cannot be written, nothing runs.
    if (!(out << std::flush)) {
        return Reported(out, err, false);
    }

    RunOptions runOptions;
    runOptions.modeTable = &modeTable;
    runOptions.lockWait = lockWait;
    RunInput input = plan.runInput(options.folder, options.job);
    input.lock = &lock;
    const RunResult& result = report.result.emplace(RunConversion(library, settings, input, runOptions, nullptr));
    if (!result.ok) {
        err << result.error << "\n";
        switch (result.failure) {
        case RunFailure::Busy:
            return CliStatus::JobBusy;
        case RunFailure::NotRestored:
            return CliStatus::NotRestored;
        default:
            return CliStatus::RunFailed;
        }
    }
    if (const std::string leftOut = LeftOutReport(result); !leftOut.empty()) {
        err << leftOut << "\n";
    }
    out << job_texts::kOutputCountPrefix << result.output_count << job_texts::kCountSuffix << "\n";
    out << "CSV  : " << Utf8FromPath(result.csvPath) << "\n";
    if (!result.adifPath.empty()) {
        out << "ADIF : " << Utf8FromPath(result.adifPath) << "\n";
    }
    return Reported(out, err, true);
}

/// The word a report gives for how the run ended.
std::string StatusWord(CliStatus status, const RunReport& report) {
    switch (status) {
    case CliStatus::Success:
        if (report.plan && report.plan->noNewRecords && !report.result) {
            return "no_new_records";
        }
        return LeftOutCount(report) > 0 ? "left_out" : "ok";
    case CliStatus::Usage:
        return "usage";
    case CliStatus::Library:
        return "library";
    case CliStatus::JobNotReady:
        return "not_ready";
    case CliStatus::ChangedLog:
        return "changed_log";
    case CliStatus::LogUnreadable:
        return "log_unreadable";
    case CliStatus::RunFailed:
        return "failed";
    case CliStatus::JobBusy:
        return "busy";
    case CliStatus::OutputFailed:
        return "output_failed";
    case CliStatus::NotRestored:
        return "not_restored";
    case CliStatus::LeftOut:
        return "left_out";
    }
    return "failed";
}

} // namespace

CliStatus RunCli(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err,
                 std::chrono::milliseconds lockWait) {
    const std::optional<CliOptions> parsed = ParseArguments(arguments, err);
    if (!parsed) {
        err << CliUsage();
        return CliStatus::Usage;
    }
    const CliOptions& options = *parsed;
    if (options.help) {
        out << CliUsage();
        return out << std::flush ? CliStatus::Success : CliStatus::OutputFailed;
    }

    RunReport report;
    report.job = options.job;
    report.folder = options.folder;
    // What the program tells on its error output goes into the report as well.
    TeeBuffer tee(err.rdbuf(), report.messages);
    std::ostream errAndReport(&tee);
    CliStatus status = RunJob(options, out, errAndReport, lockWait, report);
    errAndReport.flush();
    // Records left out of the ADIF file give their own status only when asked: the default statuses stay.
    if (options.strict && status == CliStatus::Success && LeftOutCount(report) > 0) {
        status = CliStatus::LeftOut;
    }
    // A report file that would replace a file of the job is not written (the run refused it).
    if (options.report.empty() || (status == CliStatus::Usage && !report.plan)) {
        return status;
    }
    report.exitStatus = static_cast<int>(status);
    report.status = StatusWord(status, report);
    std::string error;
    if (!WriteRunReport(options.report, report, error)) {
        err << error << "\n";
        if (status == CliStatus::Success || status == CliStatus::LeftOut) {
            return CliStatus::OutputFailed;
        }
    }
    return status;
}

} // namespace zentu
