#include "convert/ConversionRun.h"

#include "convert/AdifWriter.h"
#include "convert/DateTime.h"
#include "convert/JobFiles.h"
#include "convert/JobPlan.h"
#include "convert/JobSummary.h"
#include "convert/ModeTable.h"
#include "convert/OutputWriter.h"
#include "convert/RecordBlock.h"
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
#include <system_error>
#include <thread>
#include <vector>

namespace zentu {

void LeftOutRecords::add(std::int64_t number) {
    ++count;
    if (firstNumbers.size() < kNumbersKept) {
        firstNumbers.push_back(number);
    }
}

void LeftOutRecords::merge(const LeftOutRecords& later) {
    count += later.count;
    for (const std::int64_t number : later.firstNumbers) {
        if (firstNumbers.size() < kNumbersKept) {
            firstNumbers.push_back(number);
        }
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

/// What reading and formatting a span needs to know of the run.
struct SpanReading {
    RecordRange range;
    bool byDate = false;
    RangeKeys keys;
    std::string_view dateTimeUJ;
    bool withAdif = false;
    const ModeTable* modeTable = nullptr;
};

std::int64_t SpanCount(const RecordRange& range) {
    return range.last < range.first ? 0 : (range.last - range.first) / RecordBlock::kSpanRecords + 1;
}

/// Reads spans `firstSpan`, `firstSpan + step`, ... of the range through `library` and hands each over to the writer
/// in its turn. With an observer, reports after each span every record of the range handed over by then (`progress`
/// counts them). Stops at a record that cannot be read, and when the run has failed.
void ReadSpans(RecordLibrary& library, const SpanReading& reading, std::int64_t firstSpan, std::int64_t step,
               OutputWriter& writer, RunObserver* observer, std::int64_t& progress) {
    // With two readers each formats its own spans; one reader leaves that to the writer's thread.
    const bool formatHere = step > 1;
    std::unique_ptr<RecordBlock> block = writer.firstBlock(static_cast<int>(firstSpan));
    char date[RecordLibrary::kTextSize];
    char time[RecordLibrary::kTextSize];
    const std::int64_t spans = SpanCount(reading.range);
    for (std::int64_t span = firstSpan; span < spans; span += step) {
        const std::int64_t first = reading.range.first + span * RecordBlock::kSpanRecords;
        const std::int64_t last = std::min(reading.range.last, first + RecordBlock::kSpanRecords - 1);
        block->start(span, last);
        for (std::int64_t i = first; i <= last; ++i) {
            if (!library.read(static_cast<std::int32_t>(i))) {
                block->unreadable = i;
                break;
            }
            bool take = true;
            if (reading.byDate) {
                const std::string_view dateText(date, library.fieldInto(2, date));
                const std::string_view timeText(time, library.fieldInto(3, time));
                const DateDecision decision = reading.keys.valid
                                                  ? Date_sub(dateText, timeText, reading.keys, reading.dateTimeUJ)
                                                  : DateDecision::Skip;
                if (decision == DateDecision::Invalid) {
                    block->undecided.add(i);
                }
                take = decision == DateDecision::Take;
            }
            if (take) {
                block->addLoaded(library, i);
                if (block->full() && i < last) {
                    // Long texts: this span goes on in another block.
                    block->endsSpan = false;
                    if (formatHere) {
                        block->format(reading.withAdif, reading.modeTable);
                    }
                    const int part = block->part();
                    if (!writer.handOver(block)) {
                        return;
                    }
                    block->start(span, last, part + 1);
                }
            }
        }
        const bool unreadable = block->unreadable != 0;
        if (formatHere && !unreadable) {
            block->format(reading.withAdif, reading.modeTable);
        }
        if (!writer.handOver(block) || unreadable) {
            return;
        }
        if (observer != nullptr) {
            for (const std::int64_t looked = writer.inOrderThrough() - reading.range.first + 1; progress < looked;
                 ++progress) {
                observer->progressed(progress);
            }
        }
    }
}

/// A second reader of the log for a second thread, when the library allows two and the range is long enough to share.
/// It must read the same log as `library`: when the range's first or last record reads differently through the two
/// (the log was replaced between the two opens), one reader reads it all.
std::unique_ptr<RecordLibrary> SecondReader(RecordLibrary& library, const std::filesystem::path& log,
                                            const RecordRange& range) {
    if (!library.readsAreasConcurrently() || SpanCount(range) < 2) {
        return nullptr;
    }
    std::unique_ptr<RecordLibrary> second = library.sibling();
    if (second->open(log) != 0) {
        second->close();
        return nullptr;
    }
    std::array<std::string, 16> mine;
    std::array<std::string, 16> theirs;
    for (const std::int64_t number : {range.first, range.last}) {
        if (!library.read(static_cast<std::int32_t>(number)) || !second->read(static_cast<std::int32_t>(number))) {
            second->close();
            return nullptr;
        }
        library.fields(mine);
        second->fields(theirs);
        if (mine != theirs) {
            second->close();
            return nullptr;
        }
    }
    return second;
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

    AtomicFile csv;
    if (!csv.open(result.csvPath, kOutputRole)) {
        return Failure(RunFailure::Failed, csv.errorString());
    }
    const int openCode = library.open(logPath);
    if (openCode != 0) {
        library.close();
        return Failure(RunFailure::Failed, LogOpenFailureText(logPath, openCode));
    }
    AtomicFile adif;
    if (withAdif && !(adif.open(result.adifPath, kOutputRole) && adif.write(AdifHeader(options.versionText)))) {
        library.close();
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

    // The range is read a span at a time, by this thread alone while the writer formats and writes on a thread of its
    // own, or, when the library allows two readers of one log, by this thread and a second one taking every other
    // span, each formatting and writing its own spans in their turn.
    const std::unique_ptr<RecordLibrary> second = SecondReader(library, logPath, range);
    OutputWriter writer(csv, withAdif ? &adif : nullptr, options.modeTable, second != nullptr ? 2 : 1);
    const SpanReading reading{
        range, input.rangeMode == RangeMode::DateRange, keys, settings.set_date_time_UJ, withAdif, options.modeTable};
    std::int64_t progress = 0;
    {
        std::thread other;
        if (second != nullptr) {
            other = std::thread([&] {
                std::int64_t unused = 0;
                ReadSpans(*second, reading, 1, 2, writer, nullptr, unused);
            });
        }
        ReadSpans(library, reading, 0, second != nullptr ? 2 : 1, writer, observer, progress);
        if (other.joinable()) {
            other.join();
        }
    }
    if (second != nullptr) {
        second->close();
    }
    if (!writer.finish()) {
        library.close();
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
    result.dateRangeUndecided = writer.undecided();
    result.adifLeftOut = writer.adifLeftOut();
    result.invalidDateRecords = result.dateRangeUndecided.count + result.adifLeftOut.count;

    // The last-QSO signature always describes the record at the new last_end_rec_no, the log's last record. It is
    // kept as the record's bytes, so that what the file stores is what the changed-log check builds again.
    std::string signature;
    const bool storeSignature = input.rangeMode == RangeMode::NewAdditions && options.storeSignature;
    if (storeSignature && input.record_count >= 1) {
        if (!library.read(input.record_count)) {
            library.close();
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
        std::string error;
        if (!PrepareJobSettingsSave(input.programFolder, input.job, after, options.versionText, options.saveAllKeys,
                                    storeSignature ? &signature : nullptr, settingsReady, &error)) {
            return Failure(RunFailure::Failed, error);
        }
    }
    std::vector<AtomicFile*> files = {&csv};
    if (withAdif) {
        files.push_back(&adif);
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
