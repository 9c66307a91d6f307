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
/// written beside their targets under names of their own ("TARGET.PID-NUMBER.tmp"), then renamed into place while the
/// log is locked (see hamlog/HamlogApi.h); when the master file cannot be put in place the old log is put back. The
/// new files go when the run fails or the program is asked to end (Ctrl+C, SIGTERM); those of a run that was killed
/// outright are removed by the next run on the same log. A text longer than its field, a log or master file that is
/// not a regular file (a folder, a named pipe), or a log named like its own master file (NAME.mst) is refused (false,
/// with `error`) and no file is touched. Texts are stored as given (CP932); trailing blanks do not survive, as in
/// any dBase table.
bool CreateLog(const std::filesystem::path& hdb, const std::vector<LogRecord>& records, std::string* error);

/// Appends records to an existing log, as a user adds contacts (updates the record count in the header).
/// Works on any table the record library reads, with that table's own field widths: records go after the records
/// the header counts, then the header's count is updated, all under the log's lock, so appends at the same time
/// follow each other. A log whose size disagrees with its header's count (records stored beyond the count by a
/// writer that stopped before it updated the count, or fewer records than the count) is refused, so no record is
/// ever overwritten or cut off. Texts too long for a field, or texts in fields the table does not have, are refused
/// before anything is written. An append that fails part way (a full disk) puts the log back as it was: its length,
/// its end mark and its header; a request to end the program waits until the log is whole again.
bool AppendRecords(const std::filesystem::path& hdb, const std::vector<LogRecord>& records, std::string* error);

/// Creates a log of `count` records, each made by `recordAt(index)` (0-based) when its turn comes and streamed to
/// disk, so memory does not grow with count. Otherwise as CreateLog.
bool CreateLogFrom(const std::filesystem::path& hdb, std::uint64_t count,
                   const std::function<LogRecord(std::uint64_t)>& recordAt, std::string* error);

/// The path of the log's master file: an existing entry of any letter case (as the record library finds it), or
/// the log's own spelling with ".mst" when there is none.
std::string MasterFileOf(const std::filesystem::path& hdb);

/// The call that puts a finished file in place of its target (the system's rename when none is set).
using RenameCall = int (*)(const char* from, const char* to);
/// For tests: replaces the rename call of CreateLog and CreateLogFrom (nullptr restores the system's).
void SetRenameCallForTesting(RenameCall call);

/// The call that writes bytes at an offset of the open log (hamlog/src/SystemCalls.h's WriteAt when none is set):
/// all of them, or false with errno set.
using WriteCall = bool (*)(std::intptr_t file, const void* bytes, std::size_t size, std::uint64_t offset);
/// For tests: replaces the write call of AppendRecords (nullptr restores WriteAt).
void SetWriteCallForTesting(WriteCall call);

} // namespace hamlog
