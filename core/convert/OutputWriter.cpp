#include "convert/OutputWriter.h"

#include "convert/RecordBlock.h"
#include "platform/AtomicFile.h"

namespace zentu {

namespace {

/// Small blocks' text is gathered in memory and handed to the file in pieces of about this size.
constexpr std::size_t kWriteSize = 1 << 20;

} // namespace

bool OutputWriter::Output::writeIfFull(bool always) {
    if (file == nullptr || text.empty() || (!always && text.size() < kWriteSize)) {
        return true;
    }
    const bool written = file->write(text);
    text.clear();
    return written;
}

OutputWriter::OutputWriter(AtomicFile& csv, AtomicFile* adif, const AdifStyle* style, int readers)
    : m_style(adif != nullptr ? style : nullptr), m_ownThread(readers < 2) {
    m_csv.file = &csv;
    m_adif.file = adif;
    // Besides the block each reader fills: with one reader, one being written and one waiting for it; with two, one
    // each that may wait for its turn while its reader reads on.
    for (int i = 0; i < 2; ++i) {
        const int reader = m_ownThread ? 0 : i;
        m_spare[static_cast<std::size_t>(reader)].push_back(std::make_unique<RecordBlock>());
        m_spare[static_cast<std::size_t>(reader)].back()->reader = reader;
    }
    if (m_ownThread) {
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

std::unique_ptr<RecordBlock> OutputWriter::firstBlock(int reader) {
    auto block = std::make_unique<RecordBlock>();
    block->reader = reader;
    return block;
}

bool OutputWriter::handOver(std::unique_ptr<RecordBlock>& block) {
    std::unique_lock lock(m_mutex);
    const auto reader = static_cast<std::size_t>(block->reader);
    if (m_ownThread) {
        // One reader: its blocks come in order and go to the writer's thread.
        if (m_failed) {
            return false;
        }
        if (block->endsSpan) {
            m_inOrderThrough = block->last();
        }
        m_filled.push_back(std::move(block));
    } else {
        // Two readers: a block waits among the parked ones until every block before it is written. Whichever reader
        // hands over the block that is due writes it and the parked blocks that follow it, one thread at a time, so
        // a reader whose block is not due yet goes on reading.
        m_parked.emplace(Order{block->span(), block->part()}, std::move(block));
        while (!m_failed && !m_writing) {
            const auto due = m_parked.find(Order{m_nextSpan, m_nextPart});
            if (due == m_parked.end()) {
                break;
            }
            std::unique_ptr<RecordBlock> next = std::move(due->second);
            m_parked.erase(due);
            m_writing = true;
            lock.unlock();
            const bool written = write(*next);
            lock.lock();
            m_writing = false;
            m_failed = !written;
            if (next->endsSpan) {
                ++m_nextSpan;
                m_nextPart = 0;
                m_inOrderThrough = next->last();
            } else {
                ++m_nextPart;
            }
            m_spare[static_cast<std::size_t>(next->reader)].push_back(std::move(next));
        }
    }
    m_changed.notify_all();
    m_changed.wait(lock, [&] { return !m_spare[reader].empty() || m_failed; });
    if (m_failed) {
        return false;
    }
    block = std::move(m_spare[reader].back());
    m_spare[reader].pop_back();
    return true;
}

std::int64_t OutputWriter::inOrderThrough() {
    const std::lock_guard lock(m_mutex);
    return m_inOrderThrough;
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
    if (m_thrown) {
        std::rethrow_exception(m_thrown);
    }
    if (m_failed) {
        return false;
    }
    return writeOut(m_csv, true) && writeOut(m_adif, true);
}

void OutputWriter::abort() {
    {
        const std::lock_guard lock(m_mutex);
        m_failed = true;
    }
    m_changed.notify_all();
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
        bool written = false;
        try {
            written = write(*block);
        } catch (...) {
            m_thrown = std::current_exception(); // finish() throws it again on the run's thread
        }
        {
            const std::lock_guard lock(m_mutex);
            m_spare[static_cast<std::size_t>(block->reader)].push_back(std::move(block));
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
        block.format(m_style);
    }
    m_outputCount += static_cast<std::int64_t>(block.size());
    m_undecided.merge(block.undecided);
    m_adifLeftOut.merge(block.adifLeftOut);
    return add(m_csv, block.csvText()) && add(m_adif, block.adifText);
}

bool OutputWriter::add(Output& output, std::string_view text) {
    if (output.file == nullptr) {
        return true;
    }
    // A block of the usual size is written as it stands, without first being copied into the gathered text; only
    // small blocks (a date range that takes few records of a span) are gathered, so the file is not written in
    // many small pieces.
    if (text.size() < kWriteSize / 16) {
        output.text += text;
        return writeOut(output, false);
    }
    if (!writeOut(output, true)) {
        return false;
    }
    if (!output.file->write(text)) {
        m_error = output.file->errorString();
        return false;
    }
    return true;
}

bool OutputWriter::writeOut(Output& output, bool always) {
    if (!output.writeIfFull(always)) {
        m_error = output.file->errorString();
        return false;
    }
    return true;
}

} // namespace zentu
