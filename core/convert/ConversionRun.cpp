#include "convert/ConversionRun.h"

#include "convert/AdifWriter.h"
#include "convert/DateTime.h"
#include "convert/JobFiles.h"
#include "convert/JobLock.h"
#include "convert/JobPlan.h"
#include "convert/JobSummary.h"
#include "convert/ModeTable.h"
#include "hamlog/LogFiles.h"
#include "hamlog/RecordLibrary.h"
#include "platform/AtomicFile.h"
#include "platform/ProgramPaths.h"
#include "text/Cp932Codec.h"
#include "text/NumberText.h"
#include "text/TextHelpers.h"

#include <algorithm>
#include <system_error>
#include <vector>

namespace zentu {

namespace {

// Output is collected in memory and handed to the file in blocks of this size.
constexpr std::size_t kFlushSize = 1 << 20;

// Buffers one output file and reports the first write failure.
class OutputBuffer {
public:
    bool open(const std::filesystem::path& target) { return m_file.open(target, "出力ファイル"); }
    std::string& text() { return m_text; }
    bool flushIfFull() { return m_text.size() < kFlushSize || flush(); }
    bool flush() {
        const bool written = m_file.write(m_text);
        m_text.clear();
        return written;
    }
    /// Writes what is left and makes the temporary file ready to be put in place.
    bool finish() { return flush() && m_file.finish(); }
    AtomicFile& file() { return m_file; }
    const std::string& errorString() const { return m_file.errorString(); }

private:
    AtomicFile m_file;
    std::string m_text;
};

} // namespace

void LeftOutRecords::add(std::int64_t number) {
    ++count;
    if (firstNumbers.size() < kNumbersKept) {
        firstNumbers.push_back(number);
    }
}

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
    if (result.adifLeftOut.count > 0) {
        report += "日付または時刻が正しくないレコード " + std::to_string(result.adifLeftOut.count) +
                  " 件は ADIF ファイルに入れていません（CSV ファイルには出力しました。" +
                  NumbersOf(result.adifLeftOut) + "）。";
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

void AppendCsvLine(std::string& out, const std::array<std::string, 16>& fields) {
    // Fields 1 to 14 and 16; field 15 is not written. Quotes inside a field are doubled.
    static constexpr int kWritten[15] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 15};
    for (int i = 0; i < 15; ++i) {
        if (i > 0) {
            out += ',';
        }
        out += '"';
        for (const char c : fields[static_cast<std::size_t>(kWritten[i])]) {
            if (c == '"') {
                out += '"';
            }
            out += c;
        }
        out += '"';
    }
    out += "\r\n";
}

namespace {

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

RunResult RunConversion(RecordLibrary& library, JobSettings& settings, const RunInput& input, const RunOptions& options,
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
    RunResult result;
    result.csvPath = PathFromUtf8(settings.set_outcsv_dir);
    const std::filesystem::path logPath = PathFromUtf8(settings.set_hdb_dir);
    const bool withAdif = settings.adif_out == "1";
    if (withAdif) {
        result.adifPath = AdifPathFor(result.csvPath);
    }

    // From here to the final save no other run of the job may start, or two runs could both export and save.
    JobLock ownLock;
    if (input.lock == nullptr || !input.lock->held()) {
        std::string reason;
        if (!ownLock.acquire(input.programFolder, input.job, options.lockWait, reason)) {
            return Failure(ownLock.busy() ? RunFailure::Busy : RunFailure::Failed, reason);
        }
    }
    const std::filesystem::path settingsFile = JobSettingsPath(input.programFolder, input.job);
    if (input.rangeMode == RangeMode::NewAdditions) {
        // The plan was made from the bookkeeping loaded with `settings`; a run that finished since has moved it.
        JobSettings stored;
        LoadJobSettings(input.programFolder, input.job, stored, false);
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

    OutputBuffer csv;
    if (!csv.open(result.csvPath)) {
        return Failure(RunFailure::Failed, csv.errorString());
    }
    const int openCode = library.open(logPath);
    if (openCode != 0) {
        library.close();
        return Failure(RunFailure::Failed, LogOpenFailureText(logPath, openCode));
    }
    OutputBuffer adif;
    if (withAdif) {
        if (!adif.open(result.adifPath)) {
            library.close();
            return Failure(RunFailure::Failed, adif.errorString());
        }
        adif.text() = AdifHeader(options.versionText);
    }

    const RecordRange range = RecordRangeFor(settings, input.rangeMode, input.record_count, input.new_start_rec_no);
    RangeKeys keys;
    if (input.rangeMode == RangeMode::DateRange) {
        keys = MakeRangeKeys(settings.set_start_date, settings.set_end_date, settings.set_date_time_UJ);
    }
    if (observer != nullptr) {
        observer->progressStarted(range.progressMaximum);
    }

    std::array<std::string, 16> fields;
    std::int64_t progress = 0;
    for (std::int64_t i = range.first; i <= range.last; ++i) {
        if (!library.read(static_cast<std::int32_t>(i))) {
            library.close();
            return Failure(RunFailure::Failed, RecordReadFailure(settings.set_hdb_dir, i));
        }
        bool take = true;
        if (input.rangeMode == RangeMode::DateRange) {
            const std::string date = library.field(2);
            const std::string time = library.field(3);
            const DateDecision decision =
                keys.valid ? Date_sub(date, time, keys, settings.set_date_time_UJ) : DateDecision::Skip;
            if (decision == DateDecision::Invalid) {
                ++result.invalidDateRecords;
                result.dateRangeUndecided.add(i);
            }
            take = decision == DateDecision::Take;
        }
        if (take) {
            library.fields(fields);
            AppendCsvLine(csv.text(), fields);
            ++result.output_count;
            bool written = csv.flushIfFull();
            if (withAdif) {
                if (!write_adif(adif.text(), fields, options.modeTable)) {
                    ++result.invalidDateRecords;
                    result.adifLeftOut.add(i);
                }
                written = written && adif.flushIfFull();
            }
            if (!written) {
                library.close();
                return Failure(RunFailure::Failed, !csv.errorString().empty() ? csv.errorString() : adif.errorString());
            }
        }
        if (observer != nullptr) {
            observer->progressed(progress);
        }
        ++progress;
    }

    // The last-QSO signature always describes the record at the new last_end_rec_no, the log's last record. It is
    // kept as the record's bytes, so that what the file stores is what the changed-log check builds again.
    std::string signature;
    const bool storeSignature = input.rangeMode == RangeMode::NewAdditions && options.storeSignature;
    if (storeSignature && input.record_count >= 1) {
        if (!library.read(input.record_count)) {
            library.close();
            return Failure(RunFailure::Failed, RecordReadFailure(settings.set_hdb_dir, input.record_count));
        }
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
        std::string error;
        if (!PrepareJobSettingsSave(input.programFolder, input.job, after, options.versionText, options.saveAllKeys,
                                    storeSignature ? &signature : nullptr, settingsReady, &error)) {
            return Failure(RunFailure::Failed, error);
        }
    }
    std::vector<AtomicFile*> files = {&csv.file()};
    if (withAdif) {
        files.push_back(&adif.file());
    }
    if (settingsReady.isReady()) {
        files.push_back(&settingsReady);
    }
    std::string error;
    if (!AtomicFile::commitTogether(
            files, options.replaceSteps != nullptr ? *options.replaceSteps : ReplaceSteps::system(), error)) {
        return Failure(RunFailure::Failed, error);
    }
    settings = after;
    if (observer != nullptr) {
        observer->outputCounted(result.output_count);
    }
    result.ok = true;
    return result;
}

std::string read_hdb_set_Num_sub(RecordLibrary& library, const JobSettings& settings) {
    return CheckLastQso(library, settings).current;
}

} // namespace zentu
