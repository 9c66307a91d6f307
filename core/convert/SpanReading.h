#pragma once

#include "convert/DateTime.h"
#include "convert/JobPlan.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string_view>

namespace zentu {

struct AdifStyle;
class OutputWriter;
class RecordLibrary;
class RunObserver;

/// What reading and formatting the spans of a run's range needs to know of the run.
struct SpanReading {
    RecordRange range;
    bool byDate = false;
    RangeKeys keys;
    std::string_view dateTimeUJ;
    const AdifStyle* adif = nullptr; ///< how ADIF records are written; none when no ADIF file is
};

/// A second reader of the log for a second thread, when the library allows two and the range is long enough to share.
/// It must read the same log as `library`: when the range's first or last record reads differently through the two
/// (the log was replaced between the two opens), one reader reads it all (null).
std::unique_ptr<RecordLibrary> SecondReader(RecordLibrary& library, const std::filesystem::path& log,
                                            const RecordRange& range);

/// Reads the range a span at a time and hands the spans to `writer`: by this thread alone while the writer formats and
/// writes on a thread of its own, or, with `second`, by this thread and a second one taking every other span, each
/// formatting and writing its own spans in their turn. Reports progress to `observer` (this thread's calls only;
/// `progress` counts the records reported). Returns once every thread it started has ended. An exception of either
/// reader (no memory, no thread to be had, an observer that throws) fails the writer, so nothing more is written, and
/// is thrown again here once both readers have stopped.
void ReadRange(RecordLibrary& library, RecordLibrary* second, const SpanReading& reading, OutputWriter& writer,
               RunObserver* observer, std::int64_t& progress);

} // namespace zentu
