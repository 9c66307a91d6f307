#include "LogWriter.h"

#include "ErrorText.h"
#include "LogFiles.h"
#include "LogTable.h"
#include "MasterFile.h"
#include "SystemCalls.h"
#include "TemporaryFiles.h"

#include "hamlog/HamlogApi.h"

#include <cerrno>
#include <functional>
#include <optional>
#include <string_view>

namespace hamlog {

namespace {

using namespace detail;

constexpr std::size_t kFlushBytes = 1 << 20;
/// What our master file holds: only its presence matters to the record library.
constexpr std::string_view kMasterContent = "HAMLOG MASTER\r\n\x1A";

/// A second name for the old table, to bring it back when the master file cannot be put in place; empty on a file
/// system without hard links. Removed when it goes.
class OldTable {
public:
    explicit OldTable(const std::string& log) {
        for (int attempt = 0; attempt < 100 && m_path.empty(); ++attempt) {
            m_path = TemporaryNameBeside(log);
            if (!MakeHardLink(log, m_path)) {
                m_path.clear();
                if (errno != EEXIST) {
                    break;
                }
            }
        }
    }
    OldTable(const OldTable&) = delete;
    OldTable& operator=(const OldTable&) = delete;
    ~OldTable() {
        if (!m_path.empty()) {
            RemoveFile(m_path);
        }
    }

    /// Puts the old table back in place of `log`.
    bool restore(const std::string& log) {
        if (m_path.empty() || !RenameFile(m_path, log)) {
            return false;
        }
        m_path.clear();
        return true;
    }

private:
    std::string m_path;
};

// Writes a whole log, NAME.hdb and its master file, whole or not at all. Both are written to new files beside
// their targets first; then, under the log's lock, the table is renamed over NAME.hdb and the master file over
// its own. When the second rename fails, the old table comes back from a hard link kept for the purpose (or the
// new table goes, when there was none), so the pair is always either the old or the new one.
// `writeRecords` adds the records' bytes; it may leave its own message in `error`.
bool WriteLog(const std::filesystem::path& hdb, std::uint32_t count,
              const std::function<bool(TemporaryFile&, std::string*)>& writeRecords, std::string* error) {
    const std::string log = PathText(hdb);
    const std::string master = MasterFileOf(hdb);
    // The table would be renamed into place and then replaced by the master file under the same name.
    if (IsMasterFileName(log)) {
        SetError(error, "ログ " + log + " はマスターファイルと同じ名前です（マスターファイルはログの拡張子を .mst " +
                            "にした名前です）。ログには .hdb など .mst 以外の拡張子を付けてください。");
        return false;
    }
    if (!MayReplace(log, "ログ", error) || !MayReplace(master, "マスターファイル", error)) {
        return false;
    }
    RemoveLeftovers(log);
    RemoveLeftovers(master);
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
    const LockedLog::State state = lock.lock(hdb, OpenFor::Reading, error);
    if (state == LockedLog::State::Failed) {
        return false;
    }
    // From here on a request to end the program waits until the pair is the old or the new one again; then the new
    // files that were not put in place go with it.
    const EndRequestsHeld held;
    std::optional<OldTable> oldTable;
    if (state == LockedLog::State::Locked) {
        oldTable.emplace(log);
    }
    // Windows replaces no file that is open, the lock's own handle included: there the lock goes before the renames.
    // A writer that takes it meanwhile has the log open, so the renames wait for it (and fail when it keeps the log
    // open), and the pair stays the old or becomes the new one.
    if (!CanReplaceOpenFiles()) {
        lock.release();
    }

    if (!table.moveTo(log)) {
        SetError(error, "ログ " + log + " を置き換えられません（" + table.reason() + "）。");
        return false;
    }
    if (!masterFile.moveTo(master)) {
        const std::string reason = masterFile.reason();
        const bool restored = oldTable ? oldTable->restore(log) : RemoveFile(log);
        SetError(error, "マスターファイル " + master + " を書けません（" + reason + "）。" +
                            (restored ? "ログ " + log + " は元のままです。"
                                      : "ログ " + log + " は新しい内容に置き換わりました。"));
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
    const std::string log = PathText(hdb);
    FindMasterFile(log, [&master](const std::string& path) {
        master = path;
        return true;
    });
    return master.empty() ? DefaultMasterFilePath(log) : master;
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

} // namespace hamlog
