#include "LogWriter.h"

#include "DbfFormat.h"
#include "DbfTable.h"
#include "ErrorText.h"
#include "MasterFile.h"
#include "SystemCalls.h"

#include <algorithm>
#include <atomic>
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

/// How long a writer waits for another run that holds the log's lock.
constexpr int kWriterLockWaitMilliseconds = 60000;

RenameCall g_rename = nullptr;

int RenameFile(const std::string& from, const std::string& to) {
    if (g_rename != nullptr) {
        return g_rename(from.c_str(), to.c_str());
    }
    return detail::RenameOver(from, to) ? 0 : -1;
}

/// The cause of a failed detail::OpenRegularFile, in Japanese.
std::string OpenReason() {
    return errno == EINVAL ? "名前付きパイプや装置など、通常のファイルではありません" : SystemReason();
}

/// A name beside `target` that no other file has yet, created empty and open for writing (on Linux with mode
/// 0666 less the umask, as any new file). Returns the file, or nullptr with errno set.
std::FILE* CreateUniqueBeside(const std::string& target, std::string& name) {
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = target + "." + std::to_string(detail::ProcessId()) + "-" + std::to_string(++counter) + ".tmp";
        std::FILE* file = detail::CreateNewFile(name);
        if (file != nullptr || errno != EEXIST) {
            return file;
        }
    }
    return nullptr;
}

/// A new file beside its target, buffered, that remembers the first failure and is removed unless kept.
class TemporaryFile {
public:
    TemporaryFile() = default;
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile() {
        close();
        if (!m_kept && !m_path.empty()) {
            detail::RemoveFile(m_path);
        }
    }

    bool create(const std::string& target) {
        m_file = CreateUniqueBeside(target, m_path);
        if (m_file == nullptr) {
            m_path.clear();
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

    /// Renames the file over `target`; from then on it is the target's and no longer removed.
    bool moveTo(const std::string& target) {
        if (RenameFile(m_path, target) != 0) {
            m_reason = SystemReason();
            return false;
        }
        m_kept = true;
        return true;
    }

    const std::string& reason() const { return m_reason; }

private:
    std::FILE* m_file = nullptr;
    std::string m_path;
    std::string m_reason;
    bool m_kept = false;
};

/// The log file a path names, opened and locked for writing. Another run may put a new file in place of the path
/// while this one waits for the lock; then the lock is taken again on the file the path names now, so the lock
/// held is always the present log's.
class LockedLog {
public:
    enum class State { Locked, Missing, Failed };

    LockedLog() = default;
    LockedLog(const LockedLog&) = delete;
    LockedLog& operator=(const LockedLog&) = delete;
    ~LockedLog() { release(); }

    /// Opens for `access` and locks. Missing: there is no log at the path (not an error for a run that creates
    /// one). Failed: `error` tells why.
    State lock(const std::filesystem::path& hdb, detail::OpenFor access, std::string* error) {
        const std::string log = detail::PathText(hdb);
        for (int attempt = 0; attempt < 100; ++attempt) {
            m_file = detail::OpenRegularFile(log, access);
            if (m_file == detail::kNoFile) {
                if (errno == ENOENT) {
                    return State::Missing;
                }
                SetError(error, "ログ " + hdb.string() + " を開けません（" + OpenReason() + "）。");
                return State::Failed;
            }
            if (!detail::LockFile(m_file, detail::LockKind::Exclusive, kWriterLockWaitMilliseconds)) {
                SetError(error, "ログ " + hdb.string() + " は他のプログラムが書き込み中です（" +
                                    std::to_string(kWriterLockWaitMilliseconds / 1000) + " 秒待っても終わりません）。");
                return State::Failed;
            }
            if (detail::IsFileAtPath(m_file, log)) {
                return State::Locked;
            }
            release();
        }
        SetError(error, "ログ " + hdb.string() + " は他のプログラムが置き換え続けているため、書き込めません。");
        return State::Failed;
    }

    detail::FileHandle file() const { return m_file; }

    /// Lets go of the lock and the file.
    void release() {
        if (m_file != detail::kNoFile) {
            detail::UnlockFile(m_file);
            detail::CloseFile(m_file);
            m_file = detail::kNoFile;
        }
    }

private:
    detail::FileHandle m_file = detail::kNoFile;
};

/// Whether `path` is missing or a regular file (what may be replaced by a new log or master file).
bool MayReplace(const std::string& path, const std::string& what, std::string* error) {
    switch (detail::KindAt(path)) {
    case detail::EntryKind::Missing:
    case detail::EntryKind::RegularFile:
        return true;
    case detail::EntryKind::Unknown:
        SetError(error, what + " " + path + " を確かめられません（" + SystemReason() + "）。");
        return false;
    case detail::EntryKind::Folder:
        SetError(error, what + " " + path + " はフォルダーです。置き換えません。");
        return false;
    case detail::EntryKind::Other:
        break;
    }
    SetError(error, what + " " + path + " は名前付きパイプや装置など、通常のファイルではありません。置き換えません。");
    return false;
}

// Writes a whole log, NAME.hdb and its master file, whole or not at all. Both are written to new files beside
// their targets first; then, under the log's lock, the table is renamed over NAME.hdb and the master file over
// its own. When the second rename fails, the old table comes back from a hard link kept for the purpose (or the
// new table goes, when there was none), so the pair is always either the old or the new one.
// `writeRecords` adds the records' bytes; it may leave its own message in `error`.
bool WriteLog(const std::filesystem::path& hdb, std::uint32_t count,
              const std::function<bool(TemporaryFile&, std::string*)>& writeRecords, std::string* error) {
    const std::string log = detail::PathText(hdb);
    const std::string master = MasterFileOf(hdb);
    if (!MayReplace(log, "ログ", error) || !MayReplace(master, "マスターファイル", error)) {
        return false;
    }
    TemporaryFile table;
    const bool written = table.create(log) && table.write(TableHeader(count)) && writeRecords(table, error) &&
                         table.write(std::string_view(&kEndMark, 1));
    if (!table.close() || !written) {
        // A record that could not be encoded has left its own message; a file failure has a reason.
        if (!table.reason().empty()) {
            SetError(error, "ログ " + log + " を書けません（" + table.reason() + "）。");
        }
        return false;
    }
    TemporaryFile masterFile;
    if (!masterFile.create(master) || !masterFile.write(kMasterContent) || !masterFile.close()) {
        SetError(error, "マスターファイル " + master + " を書けません（" + masterFile.reason() + "）。");
        return false;
    }

    LockedLog lock;
    const LockedLog::State state = lock.lock(hdb, detail::OpenFor::Reading, error);
    if (state == LockedLog::State::Failed) {
        return false;
    }
    // A second name for the old table, to bring it back. A file system without hard links gives none.
    std::string backup;
    if (state == LockedLog::State::Locked) {
        for (int attempt = 0; attempt < 100 && backup.empty(); ++attempt) {
            backup = log + "." + std::to_string(detail::ProcessId()) + "-old" + std::to_string(attempt) + ".tmp";
            if (!detail::MakeHardLink(log, backup)) {
                backup.clear();
                if (errno != EEXIST) {
                    break;
                }
            }
        }
    }
    struct BackupRemover {
        const std::string& path;
        ~BackupRemover() {
            if (!path.empty()) {
                detail::RemoveFile(path);
            }
        }
    } removeBackup{backup};
    // Windows replaces no file that is open, the lock's own handle included: there the lock goes before the renames.
    // A writer that takes it meanwhile has the log open, so the renames wait for it (and fail when it keeps the log
    // open), and the pair stays the old or becomes the new one.
    if (!detail::CanReplaceOpenFiles()) {
        lock.release();
    }

    if (!table.moveTo(log)) {
        SetError(error, "ログ " + log + " を置き換えられません（" + table.reason() + "）。");
        return false;
    }
    if (!masterFile.moveTo(master)) {
        const std::string reason = masterFile.reason();
        bool restored = false;
        if (!backup.empty()) {
            restored = RenameFile(backup, log) == 0;
        } else if (state == LockedLog::State::Missing) {
            restored = detail::RemoveFile(log);
        }
        SetError(error, "マスターファイル " + master + " を書けません（" + reason + "）。" +
                            (restored ? "ログ " + log + " は元のままです。"
                                      : "ログ " + log + " は新しい内容に置き換わりました。"));
        return false;
    }
    return true;
}

bool CountFits(std::uint64_t count, const std::filesystem::path& hdb, std::string* error) {
    if (count > static_cast<std::uint64_t>(INT32_MAX)) {
        SetError(error, "ログ " + hdb.string() + " に入れる記録が多すぎます（" + std::to_string(count) + " 件）。");
        return false;
    }
    return true;
}

} // namespace

std::string TableProblem(int code) {
    switch (code) {
    case HAMLOG_ERR_HDB_NOT_DBASE:
        return "dBase の表ではありません";
    case HAMLOG_ERR_HDB_VERSION:
        return "dBase III ではない版の dBase の表です";
    default:
        return "dBase III の表ですが、見出しが壊れています";
    }
}

std::string MasterFileOf(const std::filesystem::path& hdb) {
    std::string master;
    const std::string log = detail::PathText(hdb);
    detail::FindMasterFile(log, [&master](const std::string& path) {
        master = path;
        return true;
    });
    return master.empty() ? detail::DefaultMasterFilePath(log) : master;
}

void SetRenameCallForTesting(RenameCall call) {
    g_rename = call;
}

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
        [&body](TemporaryFile& file, std::string*) { return file.write(body); }, error);
}

bool CreateLogFrom(const std::filesystem::path& hdb, std::uint64_t count,
                   const std::function<LogRecord(std::uint64_t)>& recordAt, std::string* error) {
    if (!CountFits(count, hdb, error)) {
        return false;
    }
    const RecordShape shape = OurShape();
    return WriteLog(
        hdb, static_cast<std::uint32_t>(count),
        [&](TemporaryFile& file, std::string* recordError) {
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
    // The lock keeps two appends (or an append and a create) from working on one log at the same time, and
    // readers of the record library from seeing the header before the records are in.
    LockedLog lock;
    const LockedLog::State state = lock.lock(hdb, detail::OpenFor::ReadingAndWriting, error);
    if (state != LockedLog::State::Locked) {
        if (state == LockedLog::State::Missing) {
            SetError(error, "ログ " + hdb.string() + " を開けません（" + ReasonText(ENOENT) + "）。");
        }
        return false;
    }
    const detail::FileHandle file = lock.file();

    detail::TableLayout layout;
    const int status = detail::ReadTableLayout(file, layout);
    if (status != HAMLOG_OK) {
        SetError(error, status == HAMLOG_ERR_HDB_MISSING
                            ? "ログ " + hdb.string() + " を読めません（" + SystemReason() + "）。"
                            : "ログ " + hdb.string() + " は " + TableProblem(status) + "。");
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
