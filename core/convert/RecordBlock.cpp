#include "convert/RecordBlock.h"

#include "hamlog/RecordLibrary.h"

namespace zentu {

namespace {

constexpr std::size_t kFields = 16;
/// The room one record may need while it is read: every text may take the library's whole text buffer.
constexpr std::size_t kRecordRoom = kFields * RecordLibrary::kTextSize;
/// What a block starts with: a span of records of the usual size (a few dozen bytes of text each). Longer texts make
/// it grow.
constexpr std::size_t kStartBytes = 64 * 1024;

} // namespace

RecordBlock::RecordBlock() : m_bytes(kStartBytes + kRecordRoom) {
    m_ends.reserve(static_cast<std::size_t>(kSpanRecords) * kFields);
    m_numbers.reserve(static_cast<std::size_t>(kSpanRecords));
}

void RecordBlock::start(std::int64_t span, std::int64_t first, std::int64_t last) {
    m_span = span;
    m_first = first;
    m_last = last;
    m_used = 0;
    m_ends.clear();
    m_numbers.clear();
    undecided = LeftOutRecords{};
    unreadable = 0;
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
