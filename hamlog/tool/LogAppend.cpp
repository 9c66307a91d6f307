// Appending records to an existing log.

#include "LogWriter.h"

#include "DbfFormat.h"
#include "DbfTable.h"
#include "ErrorText.h"
#include "LogFiles.h"
#include "LogTable.h"
#include "SystemCalls.h"
#include "TemporaryFiles.h"

#include <algorithm>

namespace hamlog {

namespace {

using namespace detail;

/// The date of the last update and the record count lie side by side in the header: one write sets both.
constexpr std::size_t kCountInHeader = kRecordCountAt - kLastUpdateAt;
constexpr std::size_t kHeaderUpdateBytes = kCountInHeader + 4;

/// What an append changes in a log, as it was before: where the new records go (right after the records the
/// header counts), whether an end mark stood there, and the header's date and count.
struct AppendPoint {
    std::uint64_t offset = 0;
    bool endMark = false;
    char header[kHeaderUpdateBytes] = {};
};

/// "N 件分の記録", "N 件分の記録と B バイト" or "B バイト": what lies beyond the records a header counts.
std::string BeyondTheCount(std::uint64_t bytes, std::uint64_t recordLength) {
    const std::uint64_t records = bytes / recordLength;
    const std::uint64_t rest = bytes % recordLength;
    if (records == 0) {
        return std::to_string(rest) + " バイトのデータ";
    }
    return std::to_string(records) + " 件分の記録" + (rest == 0 ? "" : "と " + std::to_string(rest) + " バイト");
}

// The file must hold the records its header counts and nothing after them but an end mark. Records beyond the count
// (a writer that stopped before it updated the count) would be overwritten by the new ones, and the new count
// would drop a torn record at the end of a log shorter than its count, so neither is appended to: the log is kept
// as it is for whoever mends it.
bool FindAppendPoint(FileHandle file, const TableLayout& layout, const std::filesystem::path& hdb, AppendPoint& point,
                     std::string* error) {
    const std::string log = "ログ " + hdb.string();
    std::uint64_t size = 0;
    if (!FileSize(file, size) ||
        ReadAt(file, point.header, sizeof point.header, kLastUpdateAt) != static_cast<long long>(sizeof point.header)) {
        SetError(error, log + " を読めません（" + SystemReason() + "）。");
        return false;
    }
    const std::uint32_t counted = Uint32At(reinterpret_cast<const unsigned char*>(point.header) + kCountInHeader);
    point.offset = layout.headerLength + static_cast<std::uint64_t>(counted) * layout.recordLength;
    const std::string header = log + " の見出しの記録数は " + std::to_string(counted) + " 件ですが、";
    if (size < point.offset) {
        SetError(error, header + "ファイルには最後まで揃った記録が " + std::to_string(layout.recordCount) +
                            " 件しかありません（途中で切れたログです）。記録を失わないよう、追加しません。");
        return false;
    }
    char last = 0;
    if (size > point.offset && ReadAt(file, &last, 1, size - 1) != 1) {
        SetError(error, log + " を読めません（" + SystemReason() + "）。");
        return false;
    }
    point.endMark = size > point.offset && last == kEndMark;
    const std::uint64_t beyond = size - point.offset - (point.endMark ? 1 : 0);
    if (beyond != 0) {
        SetError(error, header + "ファイルにはその後ろにさらに " + BeyondTheCount(beyond, layout.recordLength) +
                            "があります（記録数を更新する前に止まった書き込みの跡かもしれません）。" +
                            "それを上書きしないよう、追加しません。");
        return false;
    }
    return true;
}

/// Puts the log back as it was before the append: the header's date and count first (when they were written), so
/// readers count the old records again, then the length and the end mark. False with errno set.
bool PutBack(FileHandle file, const AppendPoint& point, bool headerWritten) {
    bool whole = !headerWritten || WriteFileAt(file, point.header, sizeof point.header, kLastUpdateAt);
    int cause = whole ? 0 : errno;
    if (!SetFileSize(file, point.offset) || (point.endMark && !WriteFileAt(file, &kEndMark, 1, point.offset))) {
        cause = cause != 0 ? cause : errno;
        whole = false;
    }
    errno = cause;
    return whole;
}

} // namespace

bool AppendRecords(const std::filesystem::path& hdb, const std::vector<LogRecord>& records, std::string* error) {
    // The lock keeps two appends (or an append and a create) from working on one log at the same time, and
    // readers of the record library from seeing the header before the records are in.
    LockedLog lock;
    const LockedLog::State state = lock.lock(hdb, OpenFor::ReadingAndWriting, error);
    if (state != LockedLog::State::Locked) {
        if (state == LockedLog::State::Missing) {
            SetError(error, "ログ " + hdb.string() + " を開けません（" + ReasonText(ENOENT) + "）。");
        }
        return false;
    }
    const FileHandle file = lock.file();
    RemoveLeftovers(PathText(hdb));

    TableLayout layout;
    const int status = ReadTableLayout(file, layout);
    if (status != HAMLOG_OK) {
        SetError(error, status == HAMLOG_ERR_HDB_MISSING
                            ? "ログ " + hdb.string() + " を読めません（" + SystemReason() + "）。"
                            : "ログ " + hdb.string() + " は " + TableProblem(status) + "。");
        return false;
    }
    AppendPoint point;
    if (!FindAppendPoint(file, layout, hdb, point, error)) {
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

    // The records go over the end mark; the header's count changes last, so readers see the new records only once
    // they are all in. A request to end the program waits until the log holds them and their count, or is as it was.
    const EndRequestsHeld held;
    const char* failed = nullptr;
    bool headerWritten = false;
    if (!WriteFileAt(file, body.data(), body.size(), point.offset)) {
        failed = " に記録を書けません（";
    } else {
        char header[kHeaderUpdateBytes];
        PutToday(header);
        PutUint32(header + kCountInHeader, static_cast<std::uint32_t>(present + records.size()));
        headerWritten = true;
        if (!WriteFileAt(file, header, sizeof header, kLastUpdateAt)) {
            failed = " の見出しを更新できません（";
        }
    }
    if (failed != nullptr) {
        const std::string reason = SystemReason();
        const bool putBack = PutBack(file, point, headerWritten);
        SetError(error,
                 "ログ " + hdb.string() + failed + reason + "）。" +
                     (putBack ? "ログは元のままです。" : "ログを元に戻せませんでした（" + SystemReason() + "）。"));
        return false;
    }
    return true;
}

} // namespace hamlog
