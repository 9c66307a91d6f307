#include "convert/ConversionRun.h"

#include "convert/AdifWriter.h"
#include "convert/DateTime.h"
#include "convert/JobPlan.h"
#include "convert/JobSummary.h"
#include "convert/ModeTable.h"
#include "hamlog/RecordLibrary.h"
#include "platform/AtomicFile.h"
#include "platform/ProgramPaths.h"
#include "text/Cp932Codec.h"
#include "text/NumberText.h"
#include "text/TextHelpers.h"

#include <algorithm>
#include <system_error>

namespace zentu {

namespace {

// Output is collected in memory and handed to the file in blocks of this size.
constexpr std::size_t kFlushSize = 1 << 20;

std::string OpenFailureText(const std::filesystem::path& log, int code) {
    const std::string name = Utf8FromPath(log);
    switch (code) {
    case RecordLibrary::kMasterMissing:
        return "ログ " + name + " のマスターファイル（.mst）を開けません。";
    case RecordLibrary::kLogMissing:
        return "ログファイル " + name + " が見つからないか、読めません。";
    case RecordLibrary::kLogInvalid:
        return "ログファイル " + name + " は Hamlog のログではないか、壊れています。";
    default:
        return "ログファイル " + name + " を開けません（コード " + std::to_string(code) + "）。";
    }
}

// Buffers one output file and reports the first write failure.
class OutputBuffer {
public:
    bool open(const std::filesystem::path& target) { return m_file.open(target); }
    std::string& text() { return m_text; }
    bool flushIfFull() { return m_text.size() < kFlushSize || flush(); }
    bool flush() {
        const bool written = m_file.write(m_text);
        m_text.clear();
        return written;
    }
    bool commit() { return flush() && m_file.commit(); }
    const std::string& errorString() const { return m_file.errorString(); }

private:
    AtomicFile m_file;
    std::string m_text;
};

} // namespace

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

RunResult RunConversion(RecordLibrary& library, JobSettings& settings, const RunInput& input, const RunOptions& options,
                        RunObserver* observer) {
    RunResult result;
    if (TrimBlanks(settings.set_outcsv_dir).empty()) {
        result.error = "出力ファイル（CSV）が指定されていません。";
        return result;
    }
    if (TrimBlanks(settings.set_hdb_dir).empty()) {
        result.error = "入力ファイル（Hamlog のログ）が指定されていません。";
        return result;
    }
    result.csvPath = PathFromUtf8(settings.set_outcsv_dir);
    const std::filesystem::path logPath = PathFromUtf8(settings.set_hdb_dir);
    const bool withAdif = settings.adif_out == "1";
    if (withAdif) {
        result.adifPath = AdifPathFor(result.csvPath);
        if (result.adifPath == result.csvPath) {
            result.error = "CSV ファイル " + settings.set_outcsv_dir + " と ADIF ファイルの名前が同じです。";
            return result;
        }
    }

    OutputBuffer csv;
    if (!csv.open(result.csvPath)) {
        result.error = csv.errorString();
        return result;
    }
    const int openCode = library.open(logPath);
    if (openCode != 0) {
        library.close();
        result.error = OpenFailureText(logPath, openCode);
        return result;
    }
    OutputBuffer adif;
    if (withAdif) {
        if (!adif.open(result.adifPath)) {
            library.close();
            result.error = adif.errorString();
            return result;
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
    bool written = true;
    for (std::int64_t i = range.first; i <= range.last && written; ++i) {
        library.read(static_cast<std::int32_t>(i));
        bool take = true;
        if (input.rangeMode == RangeMode::DateRange) {
            const std::string date = library.field(2);
            const std::string time = library.field(3);
            const DateDecision decision =
                keys.valid ? Date_sub(date, time, keys, settings.set_date_time_UJ) : DateDecision::Skip;
            if (decision == DateDecision::Invalid) {
                ++result.invalidDateRecords;
            }
            take = decision == DateDecision::Take;
        }
        if (take) {
            library.fields(fields);
            AppendCsvLine(csv.text(), fields);
            ++result.output_count;
            written = csv.flushIfFull();
            if (withAdif) {
                if (!write_adif(adif.text(), fields, options.modeTable) && input.rangeMode != RangeMode::DateRange) {
                    ++result.invalidDateRecords;
                }
                written = written && adif.flushIfFull();
            }
        }
        if (observer != nullptr) {
            observer->progressed(progress);
        }
        ++progress;
    }

    // The last-QSO signature always describes the record at the new last_end_rec_no, the log's last record.
    std::string signature;
    if (input.rangeMode == RangeMode::NewAdditions && options.storeSignature && written) {
        library.read(input.record_count);
        library.fields(fields);
        signature = Cp932Codec::decodeLossy(LastQsoSignature(fields));
    }
    library.close();

    if (!written) {
        result.error = !csv.errorString().empty() ? csv.errorString() : adif.errorString();
        return result;
    }
    if (!csv.commit()) {
        result.error = csv.errorString();
        return result;
    }
    if (withAdif && !adif.commit()) {
        result.error = adif.errorString();
        return result;
    }
    if (observer != nullptr) {
        observer->outputCounted(result.output_count);
    }

    if (input.rangeMode == RangeMode::NewAdditions) {
        // The outputs are in place; only now may the bookkeeping move past the records they hold.
        const JobSettings before = settings;
        if (options.storeSignature) {
            settings.select_flag_new_add_last_QSO_data = signature;
        }
        settings.last_start_rec_no = input.new_start_rec_no;
        settings.last_end_rec_no = std::to_string(input.record_count);
        std::string error;
        const bool saved = options.saveAllKeys
                               ? SaveJobSettings(input.programFolder, input.job, settings, options.versionText, &error)
                               : SaveRunBookkeeping(input.programFolder, input.job, settings, &error);
        if (!saved) {
            settings = before;
            result.error = "出力は書き込みましたが、" + error;
            return result;
        }
    }
    result.ok = true;
    return result;
}

std::string read_hdb_set_Num_sub(RecordLibrary& library, const JobSettings& settings) {
    std::string signature;
    if (library.open(PathFromUtf8(settings.set_hdb_dir)) == 0) {
        std::array<std::string, 16> fields;
        library.read(ValToRecordNumber(settings.last_end_rec_no));
        library.fields(fields);
        signature = Cp932Codec::decodeLossy(LastQsoSignature(fields));
    }
    library.close();
    return signature;
}

} // namespace zentu
