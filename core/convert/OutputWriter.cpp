#include "convert/OutputWriter.h"

#include "convert/RecordBlock.h"
#include "platform/AtomicFile.h"

namespace zentu {

namespace {

/// Output is gathered in memory and handed to the file in pieces of about this size.
constexpr std::size_t kWriteSize = 1 << 20;

} // namespace

bool OutputWriter::Output::writeIfFull(bool always) {
    if (file == nullptr || (!always && text.size() < kWriteSize)) {
        return true;
    }
    const bool written = file->write(text);
    text.clear();
    return written;
}

OutputWriter::OutputWriter(AtomicFile& csv, AtomicFile* adif, const ModeTable* modeTable, int readers)
    : m_modeTable(modeTable), m_ownThread(readers < 2) {
    m_csv.file = &csv;
    m_adif.file = adif;
    if (m_ownThread) {
        // Besides the block the reader fills: one being written and one waiting for it.
        for (int i = 0; i < 2; ++i) {
            m_spare.push_back(std::make_unique<RecordBlock>());
        }
        m_thread = std::thread([this] { work(); });
    }
}

OutputWriter::~OutputWriter() {
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_changed.notify_all();
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

std::unique_ptr<RecordBlock> OutputWriter::firstBlock() {
    return std::make_unique<RecordBlock>();
}

bool OutputWriter::handOver(std::unique_ptr<RecordBlock>& block) {
    std::unique_lock lock(m_mutex);
    const std::int64_t span = block->span();
    m_changed.wait(lock, [&] { return m_nextSpan == span || m_failed; });
    if (m_failed) {
        return false;
    }
    const bool endsSpan = block->endsSpan;
    if (!m_ownThread) {
        // This reader's turn: the other waits for the next span, so the files and the counts are this thread's.
        lock.unlock();
        const bool written = write(*block);
        lock.lock();
        m_failed = !written;
        if (endsSpan && written) {
            ++m_nextSpan;
        }
        m_changed.notify_all();
        return written;
    }
    if (endsSpan) {
        ++m_nextSpan;
    }
    m_filled.push_back(std::move(block));
    m_changed.notify_all();
    m_changed.wait(lock, [this] { return !m_spare.empty() || m_failed; });
    if (m_failed) {
        return false;
    }
    block = std::move(m_spare.back());
    m_spare.pop_back();
    return true;
}

bool OutputWriter::finish() {
    {
        const std::lock_guard lock(m_mutex);
        m_finishing = true;
    }
    m_changed.notify_all();
    if (m_thread.joinable()) {
        m_thread.join();
    }
    // The thread has ended: what it left is this thread's now.
    if (m_failed) {
        return false;
    }
    return writeOut(m_csv, true) && writeOut(m_adif, true);
}

void OutputWriter::work() {
    for (;;) {
        std::unique_ptr<RecordBlock> block;
        {
            std::unique_lock lock(m_mutex);
            m_changed.wait(lock, [this] { return !m_filled.empty() || m_finishing || m_stopping; });
            if (m_stopping || m_filled.empty()) {
                return;
            }
            block = std::move(m_filled.front());
            m_filled.pop_front();
        }
        const bool written = write(*block);
        {
            const std::lock_guard lock(m_mutex);
            m_spare.push_back(std::move(block));
            m_failed = !written;
        }
        m_changed.notify_all();
        if (!written) {
            return;
        }
    }
}

bool OutputWriter::write(RecordBlock& block) {
    // A record that could not be read fails the run; the records before it are not worth writing.
    if (block.unreadable != 0) {
        m_unreadable = block.unreadable;
        return false;
    }
    if (!block.formatted) {
        block.format(m_adif.file != nullptr, m_modeTable);
    }
    m_outputCount += static_cast<std::int64_t>(block.size());
    m_undecided.merge(block.undecided);
    m_adifLeftOut.merge(block.adifLeftOut);
    m_csv.text += block.csvText;
    m_adif.text += block.adifText;
    return writeOut(m_csv, false) && writeOut(m_adif, false);
}

bool OutputWriter::writeOut(Output& output, bool always) {
    if (!output.writeIfFull(always)) {
        m_error = output.file->errorString();
        return false;
    }
    return true;
}

} // namespace zentu
