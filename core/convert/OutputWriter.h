#pragma once

#include "convert/ConversionRun.h"

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace zentu {

class AtomicFile;
class ModeTable;
class RecordBlock;

/// Turns the records a run takes into CSV lines and ADIF records and writes them to the run's output files, on a
/// thread of its own: while it formats and writes one block of records, the run reads the next. Blocks are written
/// in the order they are handed over, so the files are the same as one thread would write them.
///
/// A few blocks go round between the two threads (a filled one is handed over, an empty one comes back), so memory
/// stays the same whatever the size of the log.
class OutputWriter {
public:
    /// `adif` is null when no ADIF file is written. The files stay the caller's and must outlive this writer.
    OutputWriter(AtomicFile& csv, AtomicFile* adif, const ModeTable* modeTable);
    /// Stops the thread; what was not written yet is dropped.
    ~OutputWriter();
    OutputWriter(const OutputWriter&) = delete;
    OutputWriter& operator=(const OutputWriter&) = delete;

    /// An empty block for the first records.
    std::unique_ptr<RecordBlock> firstBlock();
    /// Hands over a filled block and puts an empty one in its place, waiting while every other block is still to be
    /// written. False once writing has failed (errorString()): then nothing more is written.
    bool handOver(std::unique_ptr<RecordBlock>& block);
    /// Writes the blocks handed over and the text still held, and ends the thread. False when writing failed.
    bool finish();

    /// Records written to the CSV file and left out of the ADIF file for want of a valid date-time (after finish()).
    const LeftOutRecords& adifLeftOut() const { return m_adifLeftOut; }
    /// Why writing failed, naming the file.
    const std::string& errorString() const { return m_error; }

private:
    /// The text of one file, gathered until it is worth a write.
    struct Output {
        AtomicFile* file = nullptr;
        std::string text;
        bool writeIfFull(bool always);
    };

    void work();
    bool write(const RecordBlock& block);
    /// Writes the output's text when it has gathered enough (or `always`); false with m_error set when it failed.
    bool writeOut(Output& output, bool always);

    Output m_csv;
    Output m_adif;
    const ModeTable* m_modeTable;
    LeftOutRecords m_adifLeftOut;
    std::string m_error;

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<std::unique_ptr<RecordBlock>> m_filled; ///< handed over, still to be written
    std::vector<std::unique_ptr<RecordBlock>> m_spare; ///< written, to be filled again
    bool m_finishing = false;
    bool m_stopping = false;
    bool m_failed = false;
    std::thread m_thread;
};

} // namespace zentu
