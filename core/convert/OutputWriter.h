#pragma once

#include "convert/ConversionRun.h"

#include <array>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

namespace zentu {

class AtomicFile;
struct AdifStyle;
class RecordBlock;

/// Writes the CSV lines and ADIF records of the spans of records a run reads to the run's output files, in the order
/// of the range whatever the order they were read in: the files are the same as one thread would write them, and the
/// first span that could not be read is the one the run fails on. It works in one of two ways:
/// - one reader: the spans are formatted and written on a thread of this writer's own, while the reader reads on;
/// - two readers (each taking every other span): each formats its own spans, where their texts are still in the
///   cache, and the reader that hands over the span that is due writes it and the spans already waiting after it;
///   the two cores are busy with reading and formatting, and no third thread takes turns with them.
/// Either way a few blocks of records are in use at a time, so memory stays the same whatever the size of the log.
class OutputWriter {
public:
    /// `adif` is null when no ADIF file is written; `style` says how its records are written. The files and the style
    /// stay the caller's and must outlive this writer. `readers` is 1 or 2.
    OutputWriter(AtomicFile& csv, AtomicFile* adif, const AdifStyle* style, int readers);
    /// Stops the thread; what was not written yet is dropped.
    ~OutputWriter();
    OutputWriter(const OutputWriter&) = delete;
    OutputWriter& operator=(const OutputWriter&) = delete;

    /// An empty block for the first span of reader `reader` (0, or 1 for the second of two).
    std::unique_ptr<RecordBlock> firstBlock(int reader);
    /// Hands over a filled block and leaves an empty one in its place, waiting while every other block is still to be
    /// written (the blocks of one span come from one reader, in order). With two readers the caller formats the block
    /// first. False once the run has failed (a span that could not be read, a write that failed): then nothing more
    /// is written, and the reader stops.
    bool handOver(std::unique_ptr<RecordBlock>& block);
    /// The last record of the spans handed over in order so far (0 before the first): progress to show.
    std::int64_t inOrderThrough();
    /// Writes the spans handed over and the text still held, and ends the thread. False when the run failed. An
    /// exception of the writer's thread (no memory) is thrown again here.
    bool finish();
    /// Fails the run from outside (a reader that cannot go on): nothing more is written, and every reader waiting in
    /// handOver() returns false.
    void abort();

    // What the spans written held (after finish()).
    std::int64_t outputCount() const { return m_outputCount; }
    const LeftOutRecords& undecided() const { return m_undecided; }
    const LeftOutRecords& adifLeftOut() const { return m_adifLeftOut; }
    /// The record the run failed on for want of reading it, or 0.
    std::int64_t unreadable() const { return m_unreadable; }
    /// Why writing failed, naming the file (empty when the run failed on a record that could not be read).
    const std::string& errorString() const { return m_error; }

private:
    /// The text of one file, gathered until it is worth a write.
    struct Output {
        AtomicFile* file = nullptr;
        std::string text;
        bool writeIfFull(bool always);
    };

    void work();
    /// Formats the block when it is not yet, and writes it; false (with the reason kept) when the run fails there.
    bool write(RecordBlock& block);
    /// Writes the output's text when it has gathered enough (or `always`); false with m_error set when it failed.
    bool writeOut(Output& output, bool always);
    /// Adds a block's text to an output, after the text gathered before it; false with m_error set when it failed.
    bool add(Output& output, std::string_view text);

    Output m_csv;
    Output m_adif;
    const AdifStyle* m_style;
    bool m_ownThread;
    std::int64_t m_outputCount = 0;
    LeftOutRecords m_undecided;
    LeftOutRecords m_adifLeftOut;
    std::int64_t m_unreadable = 0;
    std::string m_error;

    std::mutex m_mutex;
    std::condition_variable m_changed;
    using Order = std::pair<std::int64_t, int>;             ///< span, part
    std::int64_t m_nextSpan = 0;                            ///< two readers: the span to be written next
    int m_nextPart = 0;                                     ///< and its part
    std::map<Order, std::unique_ptr<RecordBlock>> m_parked; ///< two readers: handed over, waiting for their turn
    bool m_writing = false;                                 ///< two readers: one of them is writing
    std::int64_t m_inOrderThrough = 0;
    std::deque<std::unique_ptr<RecordBlock>> m_filled; ///< one reader: handed over, still to be written
    /// Written blocks of each reader, to be filled again. Each reader has blocks of its own, so a reader that runs
    /// ahead never takes the block the other needs for the span that is due.
    std::array<std::vector<std::unique_ptr<RecordBlock>>, 2> m_spare;
    bool m_finishing = false;
    bool m_stopping = false;
    bool m_failed = false;
    std::exception_ptr m_thrown; ///< what the writer's thread threw
    std::thread m_thread;
};

} // namespace zentu
