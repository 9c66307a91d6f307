#include "LogWriter.h"

#include "DbfFormat.h"
#include "DbfTable.h"
#include "ErrorText.h"
#include "MasterFile.h"
#include "SystemCalls.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <functional>
#include <string_view>

namespace hamlog {

namespace {

constexpr std::array<std::size_t, kLogFieldCount> kWidths{12, 8, 6, 7, 7, 10, 8, 12, 8, 3, 20, 30, 40, 40, 12, 8};
constexpr std::array<const char*, kLogFieldCount> kNames{"CALLS", "DATE", "TIME",   "HIS",    "MY",   "FREQ",
                                                         "MODE",  "CODE", "GL",     "QSL",    "NAME", "QTH",
                                                         "RMK1",  "RMK2", "QSLVIA", "RCVDATE"};

using detail::kDbfBlockSize;
constexpr char kEndMark = static_cast<char>(detail::kFileEnd);
constexpr std::size_t kFlushBytes = 1 << 20;
/// What our master file holds: only its presence matters to the record library.
constexpr std::string_view kMasterContent = "HAMLOG MASTER\r\n\x1A";

// The date of the last update, as dBase keeps it: years since 1900, month, day.
void PutToday(char* at) {
    const std::tm local = detail::LocalDate(std::time(nullptr));
    at[0] = static_cast<char>(local.tm_year & 0xFF);
    at[1] = static_cast<char>(local.tm_mon + 1);
    at[2] = static_cast<char>(local.tm_mday);
}

/// Where the fields of a record lie: our sixteen fields, or the fields of an existing table.
struct RecordShape {
    std::size_t fieldCount = kLogFieldCount; // fields of the table that hold record fields (at most 16)
    std::array<std::size_t, kLogFieldCount> widths = kWidths;
    std::size_t recordLength = 0;
};

RecordShape OurShape() {
    RecordShape shape;
    shape.recordLength = 1;
    for (const std::size_t width : kWidths) {
        shape.recordLength += width;
    }
    return shape;
}

constexpr std::uint32_t kHeaderLength = kDbfBlockSize + kDbfBlockSize * kLogFieldCount + 1;

std::string TableHeader(std::uint32_t count) {
    using namespace detail;
    std::string header(kHeaderLength, '\0');
    header[0] = static_cast<char>(kVersionDbase3);
    PutToday(&header[kLastUpdateAt]);
    PutUint32(&header[kRecordCountAt], count);
    PutUint16(&header[kHeaderLengthAt], kHeaderLength);
    PutUint16(&header[kRecordLengthAt], static_cast<std::uint32_t>(OurShape().recordLength));
    header[kCodePageAt] = static_cast<char>(kCodePageCp932);
    for (std::size_t k = 0; k < kLogFieldCount; ++k) {
        char* descriptor = &header[kDbfBlockSize + kDbfBlockSize * k];
        std::memcpy(descriptor, kNames[k], std::strlen(kNames[k]));
        descriptor[kFieldTypeAt] = kCharacterField;
        descriptor[kFieldLengthAt] = static_cast<char>(kWidths[k]);
    }
    header[kHeaderLength - 1] = static_cast<char>(kDescriptorEnd);
    return header;
}

// Adds one record (flag byte and blank-padded fields) to `out`; `number` (1-based) names it in messages.
bool EncodeRecord(const LogRecord& record, const RecordShape& shape, std::uint64_t number, std::string& out,
                  std::string* error) {
    const std::size_t start = out.size();
    out += ' ';
    for (std::size_t k = 0; k < kLogFieldCount; ++k) {
        const std::string& text = record.fields[k];
        if (k >= shape.fieldCount) {
            if (!text.empty()) {
                SetError(error, "記録 " + std::to_string(number) + " の項目 " + std::to_string(k + 1) +
                                    " を入れる列がログの表にありません。");
                out.resize(start);
                return false;
            }
            continue;
        }
        if (text.size() > shape.widths[k]) {
            SetError(error, "記録 " + std::to_string(number) + " の項目 " + std::to_string(k + 1) + " は " +
                                std::to_string(text.size()) + " バイトあり、幅 " + std::to_string(shape.widths[k]) +
                                " バイトに収まりません。");
            out.resize(start);
            return false;
        }
        out += text;
        out.append(shape.widths[k] - text.size(), ' ');
    }
    out.append(start + shape.recordLength - out.size(), ' '); // fields beyond the sixteenth
    return true;
}

/// A buffered output file that remembers the first failure.
class OutputFile {
public:
    OutputFile() = default;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    ~OutputFile() {
        if (m_file != nullptr) {
            std::fclose(m_file);
        }
    }

    bool open(const std::string& path) {
        m_file = detail::CreateOutputFile(path);
        if (m_file == nullptr) {
            m_reason = SystemReason();
            return false;
        }
        std::setvbuf(m_file, nullptr, _IOFBF, kFlushBytes);
        return true;
    }

    bool write(std::string_view bytes) {
        if (m_reason.empty() && std::fwrite(bytes.data(), 1, bytes.size(), m_file) != bytes.size()) {
            m_reason = SystemReason();
        }
        return m_reason.empty();
    }

    bool close() {
        if (m_file != nullptr && std::fclose(m_file) != 0 && m_reason.empty()) {
            m_reason = SystemReason();
        }
        m_file = nullptr;
        return m_reason.empty();
    }

    const std::string& reason() const { return m_reason; }

private:
    std::FILE* m_file = nullptr;
    std::string m_reason;
};

bool WriteMasterFile(const std::filesystem::path& hdb, std::string* error) {
    std::string master;
    const std::string log = detail::PathText(hdb);
    detail::FindMasterFile(log, [&master](const std::string& path) {
        master = path;
        return true;
    });
    if (master.empty()) {
        master = detail::DefaultMasterFilePath(log);
    }
    OutputFile file;
    if (!file.open(master) || !file.write(kMasterContent) || !file.close()) {
        SetError(error, "マスターファイル " + master + " を書けません（" + file.reason() + "）。");
        return false;
    }
    return true;
}

// Writes a whole log: the table through a temporary file renamed over NAME.hdb, then the master file.
// `writeRecords` adds the records' bytes; it may leave its own message in `error`.
bool WriteLog(const std::filesystem::path& hdb, std::uint32_t count,
              const std::function<bool(OutputFile&, std::string*)>& writeRecords, std::string* error) {
    const std::string log = detail::PathText(hdb);
    const std::string temporary = log + ".writing";
    OutputFile file;
    const bool written = file.open(temporary) && file.write(TableHeader(count)) && writeRecords(file, error) &&
                         file.write(std::string_view(&kEndMark, 1));
    const bool closed = file.close();
    if (!written || !closed) {
        // A record that could not be encoded has left its own message; a file failure has a reason.
        if (!file.reason().empty()) {
            SetError(error, "ログ " + hdb.string() + " を書けません（" + file.reason() + "）。");
        }
        detail::RemoveFile(temporary);
        return false;
    }
    if (!detail::RenameOver(temporary, log)) {
        SetError(error, "ログ " + hdb.string() + " を置き換えられません（" + SystemReason() + "）。");
        detail::RemoveFile(temporary);
        return false;
    }
    return WriteMasterFile(hdb, error);
}

bool CountFits(std::uint64_t count, const std::filesystem::path& hdb, std::string* error) {
    if (count > static_cast<std::uint64_t>(INT32_MAX)) {
        SetError(error, "ログ " + hdb.string() + " に入れる記録が多すぎます（" + std::to_string(count) + " 件）。");
        return false;
    }
    return true;
}

} // namespace

const std::array<std::size_t, 16>& FieldWidths() {
    return kWidths;
}

const std::array<const char*, 16>& FieldNames() {
    return kNames;
}

bool CreateLog(const std::filesystem::path& hdb, const std::vector<LogRecord>& records, std::string* error) {
    if (!CountFits(records.size(), hdb, error)) {
        return false;
    }
    const RecordShape shape = OurShape();
    std::string body;
    body.reserve(records.size() * shape.recordLength);
    for (std::size_t i = 0; i < records.size(); ++i) {
        if (!EncodeRecord(records[i], shape, i + 1, body, error)) {
            return false;
        }
    }
    return WriteLog(
        hdb, static_cast<std::uint32_t>(records.size()),
        [&body](OutputFile& file, std::string*) { return file.write(body); }, error);
}

bool CreateLogFrom(const std::filesystem::path& hdb, std::uint64_t count,
                   const std::function<LogRecord(std::uint64_t)>& recordAt, std::string* error) {
    if (!CountFits(count, hdb, error)) {
        return false;
    }
    const RecordShape shape = OurShape();
    return WriteLog(
        hdb, static_cast<std::uint32_t>(count),
        [&](OutputFile& file, std::string* recordError) {
            std::string chunk;
            chunk.reserve(kFlushBytes + shape.recordLength);
            for (std::uint64_t index = 0; index < count; ++index) {
                if (!EncodeRecord(recordAt(index), shape, index + 1, chunk, recordError)) {
                    return false;
                }
                if (chunk.size() >= kFlushBytes) {
                    if (!file.write(chunk)) {
                        return false;
                    }
                    chunk.clear();
                }
            }
            return file.write(chunk);
        },
        error);
}

bool AppendRecords(const std::filesystem::path& hdb, const std::vector<LogRecord>& records, std::string* error) {
    const detail::FileHandle file =
        detail::OpenRegularFile(detail::PathText(hdb).c_str(), detail::OpenFor::ReadingAndWriting);
    if (file == detail::kNoFile) {
        SetError(error, "ログ " + hdb.string() + " を開けません（" + SystemReason() + "）。");
        return false;
    }
    struct Closer {
        detail::FileHandle file;
        ~Closer() { detail::CloseFile(file); }
    } closer{file};

    detail::TableLayout layout;
    const int status = detail::ReadTableLayout(file, layout);
    if (status != HAMLOG_OK) {
        SetError(error, status == HAMLOG_ERR_HDB_INVALID
                            ? "ログ " + hdb.string() + " は dBase III の表ではないか、見出しが壊れています。"
                            : "ログ " + hdb.string() + " を読めません（" + SystemReason() + "）。");
        return false;
    }
    RecordShape shape;
    shape.fieldCount = std::min<std::size_t>(layout.fieldCount, kLogFieldCount);
    for (std::size_t k = 0; k < shape.fieldCount; ++k) {
        shape.widths[k] = layout.fieldLength[k];
    }
    shape.recordLength = layout.recordLength;

    const auto present = static_cast<std::uint64_t>(layout.recordCount);
    if (!CountFits(present + records.size(), hdb, error)) {
        return false;
    }
    std::string body;
    body.reserve(records.size() * shape.recordLength + 1);
    for (std::size_t i = 0; i < records.size(); ++i) {
        if (!EncodeRecord(records[i], shape, present + i + 1, body, error)) {
            return false;
        }
    }
    body += kEndMark;

    // The records go after the last whole record (over an end-of-file mark or a torn record); the header's
    // count changes last, so a write cut short leaves the log as it was.
    const std::uint64_t offset = layout.headerLength + present * layout.recordLength;
    if (!detail::WriteAt(file, body.data(), body.size(), offset)) {
        SetError(error, "ログ " + hdb.string() + " に記録を書けません（" + SystemReason() + "）。");
        return false;
    }
    // The date of the last update and the record count lie side by side in the header: one write sets both.
    constexpr std::size_t kCountInHeader = detail::kRecordCountAt - detail::kLastUpdateAt;
    char header[kCountInHeader + 4];
    PutToday(header);
    detail::PutUint32(header + kCountInHeader, static_cast<std::uint32_t>(present + records.size()));
    if (!detail::SetFileSize(file, offset + body.size()) ||
        !detail::WriteAt(file, header, sizeof header, detail::kLastUpdateAt)) {
        SetError(error, "ログ " + hdb.string() + " の見出しを更新できません（" + SystemReason() + "）。");
        return false;
    }
    return true;
}

} // namespace hamlog
