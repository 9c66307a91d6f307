#include "convert/RecordBlock.h"

#include "convert/AdifWriter.h"
#include "hamlog/RecordLibrary.h"
#include "text/ShortBytes.h"

namespace zentu {

namespace {

constexpr std::size_t kFields = 16;
/// The room one record may need while it is read: every text may take the library's whole text buffer, and twice
/// its length once its quotes are doubled, with its quotes and comma, and the line's end.
constexpr std::size_t kRecordRoom = (kFields - 1) * (2 * RecordLibrary::kTextSize + 3) + 2;
/// What a block starts with: room for a span of records of the usual size (a hundred bytes or so of CSV each).
/// Longer texts make it grow, up to about kMostBytes.
constexpr std::size_t kStartBytes = 256 * 1024;
constexpr std::size_t kMostBytes = 2 * 1024 * 1024;

} // namespace

RecordBlock::RecordBlock() : m_bytes(kStartBytes + kRecordRoom) {
    m_places.reserve(static_cast<std::size_t>(kSpanRecords) * kFields);
    m_numbers.reserve(static_cast<std::size_t>(kSpanRecords));
}

void RecordBlock::start(std::int64_t span, std::int64_t last, int part) {
    m_span = span;
    m_last = last;
    m_part = part;
    endsSpan = true;
    m_used = 0;
    m_places.clear();
    m_aside.clear();
    m_numbers.clear();
    undecided = LeftOutRecords{};
    unreadable = 0;
    formatted = false;
    adifText.clear();
    adifLeftOut = LeftOutRecords{};
}

void RecordBlock::format(const AdifStyle* adif) {
    if (adif != nullptr) {
        for (std::size_t record = 0; record < size(); ++record) {
            if (const LeftOutReasons reasons = AppendAdifRecord(adifText, fields(record), *adif); reasons != 0) {
                adifLeftOut.add(number(record), reasons);
            }
        }
    }
    formatted = true;
}

void RecordBlock::addLoaded(RecordLibrary& library, std::int64_t number) {
    if (m_bytes.size() - m_used < kRecordRoom) {
        m_bytes.resize(m_bytes.size() * 2);
    }
    // The same line as AppendCsvLine writes: fields 1 to 14 and 16, quoted, quotes doubled, CR LF at the end.
    char* const bytes = m_bytes.data();
    std::size_t at = m_used;
    for (int field = 1; field <= static_cast<int>(kFields); ++field) {
        if (field == 15) {
            m_places.push_back({0, 0});
            continue;
        }
        if (field > 1) {
            bytes[at++] = ',';
        }
        bytes[at++] = '"';
        const std::size_t length = library.fieldInto(field, bytes + at);
        const std::string_view text(bytes + at, length);
        if (!ContainsByte(text, '"')) {
            m_places.push_back({static_cast<std::uint32_t>(at), static_cast<std::uint32_t>(length)});
            at += length;
        } else {
            // The text as read goes aside for the ADIF record; the line gets it again with its quotes doubled.
            const std::size_t aside = m_aside.size();
            m_places.push_back({static_cast<std::uint32_t>(aside) | kAside, static_cast<std::uint32_t>(length)});
            m_aside.append(text);
            for (const char c : std::string_view(m_aside).substr(aside)) {
                if (c == '"') {
                    bytes[at++] = '"';
                }
                bytes[at++] = c;
            }
        }
        bytes[at++] = '"';
    }
    bytes[at++] = '\r';
    bytes[at++] = '\n';
    m_used = at;
    m_numbers.push_back(number);
}

bool RecordBlock::full() const {
    return m_used >= kMostBytes;
}

FieldTexts RecordBlock::fields(std::size_t record) const {
    FieldTexts texts;
    const TextPlace* places = m_places.data() + record * kFields;
    for (std::size_t k = 0; k < kFields; ++k) {
        const TextPlace place = places[k];
        texts[k] = (place.start & kAside) != 0
                       ? std::string_view(m_aside.data() + (place.start & ~kAside), place.length)
                       : std::string_view(m_bytes.data() + place.start, place.length);
    }
    return texts;
}

} // namespace zentu
