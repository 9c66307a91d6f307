#pragma once

#include "convert/FieldTexts.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace zentu {

class RecordLibrary;

/// The field texts of the records a run takes, a block of them at a time, one text after another in one buffer,
/// with their record numbers: what the run's reading hands to its writing. The record library writes each text
/// straight into the buffer, so a text is copied once on its way from the log to the output.
class RecordBlock {
public:
    /// Records a block holds at most (fewer when their texts are long).
    static constexpr std::size_t kCapacity = 1024;

    RecordBlock();

    /// Adds the record the library has loaded as record `number`: its field texts as ThwString gives them. Field
    /// 15 is not read: no output of the run uses it, and it stays empty here.
    void addLoaded(RecordLibrary& library, std::int64_t number);

    std::size_t size() const { return m_numbers.size(); }
    bool empty() const { return m_numbers.empty(); }
    /// No room for another record.
    bool full() const;
    void clear();

    std::int64_t number(std::size_t record) const { return m_numbers[record]; }
    FieldTexts fields(std::size_t record) const;

private:
    std::unique_ptr<char[]> m_bytes;
    std::size_t m_used = 0;
    std::vector<std::uint32_t> m_ends; ///< for each record, where each of its sixteen texts ends in m_bytes
    std::vector<std::int64_t> m_numbers;
};

} // namespace zentu
