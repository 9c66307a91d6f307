#pragma once

#include "convert/ConversionRun.h"
#include "convert/FieldTexts.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zentu {

struct AdifStyle;
class RecordLibrary;

/// One span of a run's range (or a part of it) as it was read: the records taken, kept as the CSV lines the output
/// file gets, with their record numbers, and what else the reading found (records whose date could not be compared, a
/// record that could not be read). What the run's reading hands to its writing. The record library writes each text
/// straight into its place between the line's quotes, so the CSV text is made while the log is read, without a copy
/// of its own; the ADIF record reads the same texts where they stand.
class RecordBlock {
public:
    /// Records of the range a span holds (the last span may hold fewer). A span is larger than the record library's
    /// read window, so two readers taking every other span seldom read the same part of the log.
    static constexpr std::int64_t kSpanRecords = 2048;

    RecordBlock();

    /// Starts block number `part` of span number `span`, whose last record is `last`, and forgets what the block
    /// held. A span whose texts are too long for one block goes in several, the last of which ends the span.
    void start(std::int64_t span, std::int64_t last, int part = 0);
    std::int64_t span() const { return m_span; }
    int part() const { return m_part; }
    std::int64_t last() const { return m_last; }
    /// The block has as many bytes of text as a block should hold: the span goes on in another block.
    bool full() const;
    /// Whether this block is the span's last.
    bool endsSpan = true;
    /// The reader that fills this block (0 or 1); a block always goes back to its reader once it is written.
    int reader = 0;

    /// Adds the record the library has loaded as record `number` as its CSV line: fields 1 to 14 and 16 as ThwString
    /// gives them, each in quotes, quotes inside doubled. Field 15 is not read: no output of the run uses it, and it
    /// stays empty here.
    void addLoaded(RecordLibrary& library, std::int64_t number);
    /// Records taken.
    std::size_t size() const { return m_numbers.size(); }
    std::int64_t number(std::size_t record) const { return m_numbers[record]; }
    FieldTexts fields(std::size_t record) const;

    /// Date range mode: records whose date or time could not be compared (in neither file).
    LeftOutRecords undecided;
    /// The first record of the span that could not be read (0 when all could): the span ends there.
    std::int64_t unreadable = 0;

    /// The CSV lines of the records taken, one after another.
    std::string_view csvText() const { return {m_bytes.data(), m_used}; }
    /// Formats the records taken as ADIF records in the style `adif` (none: no ADIF file) into adifText, noting the
    /// records left out of the ADIF file with their reasons.
    void format(const AdifStyle* adif);
    bool formatted = false;
    std::string adifText;
    LeftOutRecords adifLeftOut;

private:
    std::int64_t m_span = 0;
    std::int64_t m_last = 0;
    int m_part = 0;
    /// Where a field's text is: its first byte in m_bytes, or (with kAside set) in m_aside, and its length.
    struct TextPlace {
        std::uint32_t start;
        std::uint32_t length;
    };
    static constexpr std::uint32_t kAside = 0x80000000u;

    std::vector<char> m_bytes; ///< the CSV lines
    std::size_t m_used = 0;
    std::vector<TextPlace> m_places; ///< sixteen for each record
    std::string m_aside;             ///< texts that hold quotes, as they were read (their CSV form doubles them)
    std::vector<std::int64_t> m_numbers;
};

} // namespace zentu
