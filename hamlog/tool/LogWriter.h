#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace hamlog {

/// Number of record fields of a log.
inline constexpr std::size_t kLogFieldCount = 16;

/// One log record: the texts of fields 1 to 16 (index 0 = field 1), CP932 bytes.
struct LogRecord {
    std::array<std::string, 16> fields;
};

/// What is wrong with a file the record library refused as a table (HAMLOG_ERR_HDB_NOT_DBASE, HAMLOG_ERR_HDB_VERSION,
/// HAMLOG_ERR_HDB_INVALID), in Japanese, to follow "ログ X は ".
std::string TableProblem(int code);

/// The width in bytes of each of the sixteen fields of the tables this writer makes.
const std::array<std::size_t, 16>& FieldWidths();

/// The dBase field names of the sixteen fields (CALLS, DATE, TIME, HIS, MY, FREQ, MODE, CODE, GL, QSL, NAME,
/// QTH, RMK1, RMK2, QSLVIA, RCVDATE).
const std::array<const char*, 16>& FieldNames();

/// Creates a log: NAME.hdb (a dBase III table of the sixteen fields) and its companion NAME.mst (an existing master
/// file of any letter case keeps its spelling). Existing files are replaced whole or not at all: both new files are
/// written beside their targets under names of their own, then renamed into place while the log is locked (see
/// hamlog/HamlogApi.h); when the master file cannot be put in place the old log is put back. A text longer than
/// its field, or a log or master file that is not a regular file (a folder, a named pipe), is refused (false, with
/// `error`) and no file is touched. Texts are stored as given (CP932); trailing blanks do not survive, as in any
/// dBase table.
bool CreateLog(const std::filesystem::path& hdb, const std::vector<LogRecord>& records, std::string* error);

/// Appends records to an existing log, as a user adds contacts (updates the record count in the header).
/// Works on any table the record library reads, with that table's own field widths: records go after the
/// records wholly present, then the header's count is updated, all under the log's lock, so appends at the same
/// time follow each other. Texts too long for a field, or texts in fields the table does not have, are refused
/// before anything is written.
bool AppendRecords(const std::filesystem::path& hdb, const std::vector<LogRecord>& records, std::string* error);

/// Creates a log of `count` records, each made by `recordAt(index)` (0-based) when its turn comes and streamed to
/// disk, so memory does not grow with count. Otherwise as CreateLog.
bool CreateLogFrom(const std::filesystem::path& hdb, std::uint64_t count,
                   const std::function<LogRecord(std::uint64_t)>& recordAt, std::string* error);

/// The path of the log's master file: an existing entry of any letter case (as the record library finds it), or
/// the log's own spelling with ".mst" when there is none.
std::string MasterFileOf(const std::filesystem::path& hdb);

/// The call that puts a finished file in place of its target (std::rename when none is set).
using RenameCall = int (*)(const char* from, const char* to);
/// For tests: replaces the rename call of CreateLog and CreateLogFrom (nullptr restores std::rename).
void SetRenameCallForTesting(RenameCall call);

} // namespace hamlog
