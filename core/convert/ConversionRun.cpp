#include "convert/ConversionRun.h"

#include "convert/Adif31Writer.h"
#include "convert/AdifSettings.h"
#include "convert/AdifWriter.h"
#include "convert/DateTime.h"
#include "convert/JobFiles.h"
#include "convert/JobPlan.h"
#include "convert/JobSummary.h"
#include "convert/ModeTable.h"
#include "convert/OutputWriter.h"
#include "convert/RecordBlock.h"
#include "convert/SpanReading.h"
#include "hamlog/LogFiles.h"
#include "hamlog/RecordLibrary.h"
#include "platform/AtomicFile.h"
#include "platform/ProgramPaths.h"
#include "settings/JobLock.h"
#include "text/Cp932Codec.h"
#include "text/NumberText.h"
#include "text/ShortBytes.h"
#include "text/TextHelpers.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <system_error>
#include <utility>
#include <vector>

namespace zentu {

namespace {

std::string NumbersOf(const LeftOutRecords& records) {
    std::string numbers = "レコード番号 ";
    for (std::size_t i = 0; i < records.firstNumbers.size(); ++i) {
        numbers += (i > 0 ? ", " : "") + std::to_string(records.firstNumbers[i]);
    }
    if (records.count > static_cast<std::int64_t>(records.firstNumbers.size())) {
        numbers += " ほか";
    }
    return numbers;
}

} // namespace

std::string LeftOutReport(const RunResult& result) {
    std::string report;
    if (result.dateRangeUndecided.count > 0) {
        report += "日付または時刻が正しくないレコード " + std::to_string(result.dateRangeUndecided.count) +
                  " 件は日付の範囲を判定できないため、出力していません（" + NumbersOf(result.dateRangeUndecided) +
                  "）。";
    }
    const LeftOutRecords& adif = result.adifLeftOut;
    if (adif.count > 0 && adif.onlyForDateTime()) {
        report += "日付または時刻が正しくないレコード " + std::to_string(adif.count) +
                  " 件は ADIF ファイルに入れていません（CSV ファイルには出力しました。" + NumbersOf(adif) + "）。";
    } else if (adif.count > 0) {
        // The ADIF 3.1 option leaves records out for other reasons too: each is told with its count.
        std::string reasons;
        for (std::size_t i = 0; i < kLeftOutReasonCount; ++i) {
            if (adif.byReason[i] > 0) {
                reasons += (reasons.empty() ? "" : "、") + std::string(LeftOutReasonText(LeftOutReasonAt(i))) + " " +
                           std::to_string(adif.byReason[i]) + " 件";
            }
        }
        report += "ADIF 3.1 の決まりに合わないレコード " + std::to_string(adif.count) +
                  " 件は ADIF ファイルに入れていません（CSV ファイルには出力しました。" + reasons + "。" +
                  NumbersOf(adif) + "）。";
    }
    return report;
}

std::filesystem::path AdifPathFor(const std::filesystem::path& csvPath) {
    std::filesystem::path adif = csvPath;
    if (adif.has_extension()) {
        adif.replace_extension("adi");
    } else {
        adif += ".adi";
    }
    return adif;
}

bool SplitPath(const std::string& path, SplitPathParts& parts) {
    std::error_code error;
    const std::filesystem::path file = PathFromUtf8(path);
    if (!std::filesystem::is_regular_file(file, error)) {
        return false;
    }
    SplitPathParts result;
    result.FileNamePart = Utf8FromPath(file.filename());
    const std::string extension = Utf8FromPath(file.extension());
    result.ExtensionPart = extension.empty() ? std::string() : extension.substr(1);
    result.FolderPart = RemoveAll(path, result.FileNamePart);
    result.StemWithDot = RemoveAll(path, "." + result.ExtensionPart) + ".";
    parts = result;
    return true;
}

void AppendCsvLine(std::string& out, const FieldTexts& fields) {
    // Fields 1 to 14 and 16; field 15 is not written. Quotes inside a field are doubled. The line is written into
    // room made for its longest form (every byte a quote), then cut to what it took.
    static constexpr std::size_t kWritten[15] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 15};
    std::size_t room = 2;
    for (const std::size_t k : kWritten) {
        room += 2 * fields[k].size() + 3;
    }
    const std::size_t start = out.size();
    out.resize(start + room);
    char* at = out.data() + start;
    for (const std::size_t k : kWritten) {
        if (k > 0) {
            *at++ = ',';
        }
        *at++ = '"';
        const std::string_view text = fields[k];
        if (!ContainsByte(text, '"')) {
            at = CopyBytes(at, text);
        } else {
            for (const char c : text) {
                if (c == '"') {
                    *at++ = '"';
                }
                *at++ = c;
            }
        }
        *at++ = '"';
    }
    *at++ = '\r';
    *at++ = '\n';
    out.resize(static_cast<std::size_t>(at - out.data()));
}

void AppendCsvLine(std::string& out, const std::array<std::string, 16>& fields) {
    AppendCsvLine(out, ViewsOf(fields));
}

namespace {

constexpr std::string_view kOutputRole = "出力ファイル";

RunResult Failure(RunFailure failure, std::string error) {
    RunResult result;
    result.failure = failure;
    result.error = std::move(error);
    return result;
}

std::string RecordReadFailure(const std::string& log, std::int64_t number) {
    return "ログファイル " + log + " のレコード " + std::to_string(number) +
           " を読めません（ログが壊れているか、実行中にログが短くなりました）。";
}

} // namespace

namespace {

/// Closes the log of a record library however the run ends.
class LogClosed {
public:
    explicit LogClosed(RecordLibrary& library) : m_library(library) {}
    ~LogClosed() { m_library.close(); }
    LogClosed(const LogClosed&) = delete;
    LogClosed& operator=(const LogClosed&) = delete;

private:
    RecordLibrary& m_library;
};

RunResult Convert(RecordLibrary& library, JobSettings& settings, const RunInput& input, const RunOptions& options,
                  RunObserver* observer) {
    if (TrimBlanks(settings.set_outcsv_dir).empty()) {
        return Failure(RunFailure::Refused, "出力ファイル（CSV）が指定されていません。");
    }
    if (TrimBlanks(settings.set_hdb_dir).empty()) {
        return Failure(RunFailure::Refused, "入力ファイル（Hamlog のログ）が指定されていません。");
    }
    if (auto problem = CheckJobPaths(settings, input.programFolder)) {
        return Failure(RunFailure::Refused, std::move(*problem));
    }
    if (auto problem = CheckAdifSettings(settings)) {
        return Failure(RunFailure::Refused, std::move(*problem));
    }
    RunResult result;
    result.csvPath = JobFilePath(input.programFolder, settings.set_outcsv_dir);
    const std::filesystem::path logPath = JobFilePath(input.programFolder, settings.set_hdb_dir);
    const bool withAdif = settings.adif_out == "1";
    const AdifStyle adifStyle = AdifStyleOf(settings, options.modeTable);
    if (withAdif) {
        result.adifPath = AdifPathFor(result.csvPath);
        result.adifV31 = adifStyle.v31;
    }

    // From here to the final save no other run of the job may start, or two runs could both export and save; nor
    // may another job's run write the same files, or the two could each put one of their files in place.
    JobLock ownLock;
    std::string reason;
    if (input.lock == nullptr || !input.lock->held()) {
        if (!ownLock.acquire(input.programFolder, input.job, options.lockWait, reason)) {
            return Failure(ownLock.busy() ? RunFailure::Busy : RunFailure::Failed, reason);
        }
    }
    OutputLock outputLock;
    if (!outputLock.acquire(input.programFolder, result.csvPath, options.lockWait, reason)) {
        return Failure(outputLock.busy() ? RunFailure::Busy : RunFailure::Failed, reason);
    }
    const std::filesystem::path settingsFile = JobSettingsPath(input.programFolder, input.job);
    if (input.rangeMode == RangeMode::NewAdditions) {
        // The plan was made from the bookkeeping loaded with `settings`; a run that finished since has moved it.
        JobSettings stored;
        if (!LoadJobSettings(input.programFolder, input.job, stored, false, &reason)) {
            return Failure(RunFailure::Failed, reason);
        }
        if (ValToRecordNumber(stored.last_end_rec_no) != ValToRecordNumber(settings.last_end_rec_no)) {
            return Failure(RunFailure::Outdated,
                           "JOB " + std::to_string(input.job) + " はほかで実行され、前回の出力最終番号が " +
                               settings.last_end_rec_no + " から " + stored.last_end_rec_no +
                               " に変わりました。JOB を選び直してから実行してください（何も変更していません）。");
        }
    }
    // What a killed run of this job left behind goes now, before this run makes its own temporary files.
    AtomicFile::removeLeftovers(result.csvPath);
    AtomicFile::removeLeftovers(AdifPathFor(result.csvPath));
    AtomicFile::removeLeftovers(settingsFile);

    AtomicFile csv;
    if (!csv.open(result.csvPath, kOutputRole)) {
        return Failure(RunFailure::Failed, csv.errorString());
    }
    const LogClosed logClosed(library);
    const int openCode = library.open(logPath);
    if (openCode != 0) {
        return Failure(RunFailure::Failed, LogOpenFailureText(logPath, openCode));
    }
    AtomicFile adif;
    const std::string header =
        adifStyle.v31 ? AdifHeaderV31(options.versionText,
                                      options.clock != nullptr ? options.clock() : std::chrono::system_clock::now())
                      : AdifHeader(options.versionText);
    if (withAdif && !(adif.open(result.adifPath, kOutputRole) && adif.write(header))) {
        return Failure(RunFailure::Failed, adif.errorString());
    }

    const RecordRange range = RecordRangeFor(settings, input.rangeMode, input.record_count, input.new_start_rec_no);
    RangeKeys keys;
    if (input.rangeMode == RangeMode::DateRange) {
        keys = MakeRangeKeys(settings.set_start_date, settings.set_end_date, settings.set_date_time_UJ);
    }
    if (observer != nullptr) {
        observer->progressStarted(range.progressMaximum);
    }

    const std::unique_ptr<RecordLibrary> second = SecondReader(library, logPath, range);
    const std::unique_ptr<LogClosed> secondClosed = second != nullptr ? std::make_unique<LogClosed>(*second) : nullptr;
    OutputWriter writer(csv, withAdif ? &adif : nullptr, &adifStyle, second != nullptr ? 2 : 1);
    const SpanReading reading{range, input.rangeMode == RangeMode::DateRange, keys, settings.set_date_time_UJ,
                              withAdif ? &adifStyle : nullptr};
    std::int64_t progress = 0;
    ReadRange(library, second.get(), reading, writer, observer, progress);
    if (!writer.finish()) {
        return Failure(RunFailure::Failed, writer.unreadable() != 0
                                               ? RecordReadFailure(settings.set_hdb_dir, writer.unreadable())
                                               : writer.errorString());
    }
    if (observer != nullptr) {
        for (const std::int64_t looked = std::max<std::int64_t>(0, range.last - range.first + 1); progress < looked;
             ++progress) {
            observer->progressed(progress);
        }
    }
    result.output_count = writer.outputCount();
    result.recordsRead = std::max<std::int64_t>(0, range.last - range.first + 1);
    result.dateRangeUndecided = writer.undecided();
    result.adifLeftOut = writer.adifLeftOut();
    result.invalidDateRecords = result.dateRangeUndecided.count + result.adifLeftOut.count;

    // The last-QSO signature always describes the record at the new last_end_rec_no, the log's last record. It is
    // kept as the record's bytes, so that what the file stores is what the changed-log check builds again.
    std::string signature;
    const bool storeSignature = input.rangeMode == RangeMode::NewAdditions && options.storeSignature;
    if (storeSignature && input.record_count >= 1) {
        if (!library.read(input.record_count)) {
            return Failure(RunFailure::Failed, RecordReadFailure(settings.set_hdb_dir, input.record_count));
        }
        std::array<std::string, 16> fields;
        library.fields(fields);
        signature = StoredLastQsoSignature(fields);
    }
    library.close();

    if (!csv.finish()) {
        return Failure(RunFailure::Failed, csv.errorString());
    }
    if (withAdif && !adif.finish()) {
        return Failure(RunFailure::Failed, adif.errorString());
    }

    // The bookkeeping's new settings file is made ready before any output is put in place, and the files go in
    // together: outputs first, then the settings file. A file that cannot be replaced stops all of them.
    JobSettings after = settings;
    AtomicFile settingsReady;
    if (input.rangeMode == RangeMode::NewAdditions) {
        if (storeSignature) {
            after.select_flag_new_add_last_QSO_data = Cp932Codec::decodeLossy(signature);
        }
        after.last_start_rec_no = input.new_start_rec_no;
        after.last_end_rec_no = std::to_string(input.record_count);
        if (!PrepareJobSettingsSave(input.programFolder, input.job, after, options.versionText, options.saveAllKeys,
                                    storeSignature ? &signature : nullptr, settingsReady, &reason)) {
            return Failure(RunFailure::Failed, reason);
        }
    }
    std::vector<AtomicFile*> files = {&csv};
    if (withAdif) {
        files.push_back(&adif);
    }
    if (settingsReady.isReady()) {
        files.push_back(&settingsReady);
    }
    bool notRestored = false;
    if (!AtomicFile::commitTogether(files,
                                    options.replaceSteps != nullptr ? *options.replaceSteps : ReplaceSteps::system(),
                                    reason, &notRestored)) {
        return Failure(notRestored ? RunFailure::NotRestored : RunFailure::Failed, reason);
    }
    // The files are in place: from here nothing may fail, so the record takes the new values without allocating.
    std::swap(settings, after);
    if (observer != nullptr) {
        observer->outputCounted(result.output_count);
    }
    result.ok = true;
    return result;
}

} // namespace

std::string OutOfResourcesText(bool memory) {
    return std::string(memory ? "メモリが足りない" : "システムの資源（メモリやスレッド）が足りない") +
           "ため、JOB を実行できませんでした（出力ファイルと設定は元のままです）。";
}

RunResult RunConversion(RecordLibrary& library, JobSettings& settings, const RunInput& input, const RunOptions& options,
                        RunObserver* observer) {
    // Memory or threads running out end the run like any other failure: the files written so far are temporary files,
    // removed as the run unwinds, and the previous files and the bookkeeping stay.
    try {
        return Convert(library, settings, input, options, observer);
    } catch (const std::bad_alloc&) {
        return Failure(RunFailure::Failed, OutOfResourcesText(true));
    } catch (const std::system_error&) {
        return Failure(RunFailure::Failed, OutOfResourcesText(false));
    }
}

std::string read_hdb_set_Num_sub(RecordLibrary& library, const JobSettings& settings,
                                 const std::filesystem::path& programFolder) {
    return CheckLastQso(library, settings, JobFilePath(programFolder, settings.set_hdb_dir)).current;
}

} // namespace zentu
