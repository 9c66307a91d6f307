#include "convert/RecordBlock.h"

#include "convert/AdifWriter.h"
#include "hamlog/RecordLibrary.h"

namespace zentu {

namespace {

constexpr std::size_t kFields = 16;
/// The room one record may need while it is read: every text may take the library's whole text buffer.
constexpr std::size_t kRecordRoom = kFields * RecordLibrary::kTextSize;
/// What a block starts with: room for a span of records of the usual size (a few dozen bytes of text each). Longer
/// texts make it grow, up to about kMostBytes.
constexpr std::size_t kStartBytes = 256 * 1024;
constexpr std::size_t kMostBytes = 2 * 1024 * 1024;

} // namespace

RecordBlock::RecordBlock() : m_bytes(kStartBytes + kRecordRoom) {
    m_ends.reserve(static_cast<std::size_t>(kSpanRecords) * kFields);
    m_numbers.reserve(static_cast<std::size_t>(kSpanRecords));
}

void RecordBlock::start(std::int64_t span, std::int64_t last, int part) {
    m_span = span;
    m_last = last;
    m_part = part;
    endsSpan = true;
    m_used = 0;
    m_ends.clear();
    m_numbers.clear();
    undecided = LeftOutRecords{};
    unreadable = 0;
    formatted = false;
    csvText.clear();
    adifText.clear();
    adifLeftOut = LeftOutRecords{};
}

void RecordBlock::format(bool withAdif, const ModeTable* modeTable) {
    for (std::size_t record = 0; record < size(); ++record) {
        const FieldTexts texts = fields(record);
        AppendCsvLine(csvText, texts);
        if (withAdif && !write_adif(adifText, texts, modeTable)) {
            adifLeftOut.add(number(record));
        }
    }
    formatted = true;
}

void RecordBlock::addLoaded(RecordLibrary& library, std::int64_t number) {
    if (m_bytes.size() - m_used < kRecordRoom) {
        m_bytes.resize(m_bytes.size() * 2);
    }
    for (int field = 1; field <= static_cast<int>(kFields); ++field) {
        if (field != 15) {
            m_used += library.fieldInto(field, m_bytes.data() + m_used);
        }
        m_ends.push_back(static_cast<std::uint32_t>(m_used));
    }
    m_numbers.push_back(number);
}

bool RecordBlock::full() const {
    return m_used >= kMostBytes;
}

FieldTexts RecordBlock::fields(std::size_t record) const {
    FieldTexts texts;
    const std::uint32_t* ends = m_ends.data() + record * kFields;
    std::size_t start = record == 0 ? 0 : ends[-1];
    for (std::size_t k = 0; k < kFields; ++k) {
        texts[k] = std::string_view(m_bytes.data() + start, ends[k] - start);
        start = ends[k];
    }
    return texts;
}

} // namespace zentu
