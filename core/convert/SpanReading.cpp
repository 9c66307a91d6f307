#include "convert/SpanReading.h"

#include "convert/ConversionRun.h"
#include "convert/OutputWriter.h"
#include "convert/RecordBlock.h"
#include "hamlog/RecordLibrary.h"

#include <algorithm>
#include <array>
#include <exception>
#include <string>
#include <thread>

namespace zentu {

namespace {

std::int64_t SpanCount(const RecordRange& range) {
    return range.last < range.first ? 0 : (range.last - range.first) / RecordBlock::kSpanRecords + 1;
}

/// Reads spans `firstSpan`, `firstSpan + step`, ... of the range through `library` and hands each over to the writer
/// in its turn. With an observer, reports after each span every record of the range handed over by then (`progress`
/// counts them). Stops at a record that cannot be read, and when the run has failed.
void ReadSpans(RecordLibrary& library, const SpanReading& reading, std::int64_t firstSpan, std::int64_t step,
               OutputWriter& writer, RunObserver* observer, std::int64_t& progress) {
    // With two readers each formats its own spans; one reader leaves that to the writer's thread.
    const bool formatHere = step > 1;
    std::unique_ptr<RecordBlock> block = writer.firstBlock(static_cast<int>(firstSpan));
    char date[RecordLibrary::kTextSize];
    char time[RecordLibrary::kTextSize];
    const std::int64_t spans = SpanCount(reading.range);
    for (std::int64_t span = firstSpan; span < spans; span += step) {
        const std::int64_t first = reading.range.first + span * RecordBlock::kSpanRecords;
        const std::int64_t last = std::min(reading.range.last, first + RecordBlock::kSpanRecords - 1);
        block->start(span, last);
        for (std::int64_t i = first; i <= last; ++i) {
            if (!library.read(static_cast<std::int32_t>(i))) {
                block->unreadable = i;
                break;
            }
            bool take = true;
            if (reading.byDate) {
                const std::string_view dateText(date, library.fieldInto(2, date));
                const std::string_view timeText(time, library.fieldInto(3, time));
                const DateDecision decision = reading.keys.valid
                                                  ? Date_sub(dateText, timeText, reading.keys, reading.dateTimeUJ)
                                                  : DateDecision::Skip;
                if (decision == DateDecision::Invalid) {
                    block->undecided.add(i);
                }
                take = decision == DateDecision::Take;
            }
            if (take) {
                block->addLoaded(library, i);
                if (block->full() && i < last) {
                    // Long texts: this span goes on in another block.
                    block->endsSpan = false;
                    if (formatHere) {
                        block->format(reading.adif);
                    }
                    const int part = block->part();
                    if (!writer.handOver(block)) {
                        return;
                    }
                    block->start(span, last, part + 1);
                }
            }
        }
        const bool unreadable = block->unreadable != 0;
        if (formatHere && !unreadable) {
            block->format(reading.adif);
        }
        if (!writer.handOver(block) || unreadable) {
            return;
        }
        if (observer != nullptr) {
            for (const std::int64_t looked = writer.inOrderThrough() - reading.range.first + 1; progress < looked;
                 ++progress) {
                observer->progressed(progress);
            }
        }
    }
}

} // namespace

std::unique_ptr<RecordLibrary> SecondReader(RecordLibrary& library, const std::filesystem::path& log,
                                            const RecordRange& range) {
    if (!library.readsAreasConcurrently() || SpanCount(range) < 2) {
        return nullptr;
    }
    std::unique_ptr<RecordLibrary> second = library.sibling();
    if (second->open(log) != 0) {
        second->close();
        return nullptr;
    }
    std::array<std::string, 16> mine;
    std::array<std::string, 16> theirs;
    for (const std::int64_t number : {range.first, range.last}) {
        if (!library.read(static_cast<std::int32_t>(number)) || !second->read(static_cast<std::int32_t>(number))) {
            second->close();
            return nullptr;
        }
        library.fields(mine);
        second->fields(theirs);
        if (mine != theirs) {
            second->close();
            return nullptr;
        }
    }
    return second;
}

void ReadRange(RecordLibrary& library, RecordLibrary* second, const SpanReading& reading, OutputWriter& writer,
               RunObserver* observer, std::int64_t& progress) {
    std::exception_ptr thrown;
    std::exception_ptr thrownByOther;
    std::thread other;
    try {
        if (second != nullptr) {
            other = std::thread([&] {
                try {
                    std::int64_t unused = 0;
                    ReadSpans(*second, reading, 1, 2, writer, nullptr, unused);
                } catch (...) {
                    thrownByOther = std::current_exception();
                    writer.abort();
                }
            });
        }
        ReadSpans(library, reading, 0, second != nullptr ? 2 : 1, writer, observer, progress);
    } catch (...) {
        // The other reader may wait for a span of this one: failing the writer lets it stop.
        thrown = std::current_exception();
        writer.abort();
    }
    if (other.joinable()) {
        other.join();
    }
    if (thrown || thrownByOther) {
        std::rethrow_exception(thrown ? thrown : thrownByOther);
    }
}

} // namespace zentu
