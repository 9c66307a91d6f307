#include "convert/RecordBlock.h"

#include "hamlog/RecordLibrary.h"

namespace zentu {

namespace {

constexpr std::size_t kFields = 16;
/// The room one record may need while it is read: every text may take the library's whole text buffer.
constexpr std::size_t kRecordRoom = kFields * RecordLibrary::kTextSize;
/// Room for a block of records of the usual size (a few dozen bytes of text each), and for one more at its end.
constexpr std::size_t kBlockBytes = 128 * 1024 + kRecordRoom;

} // namespace

RecordBlock::RecordBlock() : m_bytes(new char[kBlockBytes]) {
    m_ends.reserve(kCapacity * kFields);
    m_numbers.reserve(kCapacity);
}

void RecordBlock::addLoaded(RecordLibrary& library, std::int64_t number) {
    for (int field = 1; field <= static_cast<int>(kFields); ++field) {
        if (field != 15) {
            m_used += library.fieldInto(field, m_bytes.get() + m_used);
        }
        m_ends.push_back(static_cast<std::uint32_t>(m_used));
    }
    m_numbers.push_back(number);
}

bool RecordBlock::full() const {
    return m_numbers.size() >= kCapacity || kBlockBytes - m_used < kRecordRoom;
}

void RecordBlock::clear() {
    m_used = 0;
    m_ends.clear();
    m_numbers.clear();
}

FieldTexts RecordBlock::fields(std::size_t record) const {
    FieldTexts texts;
    const std::uint32_t* ends = m_ends.data() + record * kFields;
    std::size_t start = record == 0 ? 0 : ends[-1];
    for (std::size_t k = 0; k < kFields; ++k) {
        texts[k] = std::string_view(m_bytes.get() + start, ends[k] - start);
        start = ends[k];
    }
    return texts;
}

} // namespace zentu
