#pragma once

// The layout both record libraries agree on inside the caller's record area (HAMLOG_RECORD_SIZE bytes).
//
// libHamlog50 writes it when a log is opened and on every THW_read; libThdll2Vb only reads it, so ThwString
// needs no link to libHamlog50. The caller's area may have any alignment, so every member is moved with
// memcpy at its offset, never through a cast pointer.

#include "hamlog/HamlogApi.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace hamlog::detail {

/// Marks a record area that holds an open log ("HLG1"). Any other value means "not open".
constexpr std::uint32_t kRecordAreaMagic = 0x31474C48u;

/// Logs that may be open at once: the slots of libHamlog50's table of reading states. An area's ticket is its
/// slot's number of the moment times kSlotCount, plus the slot's index.
constexpr std::uint64_t kSlotCount = 1024;

/// What the record area holds while a log is open.
struct RecordArea {
    std::uint32_t magic;
    /// Fields of the table that ThwString delivers: the table's field count, at most HAMLOG_FIELD_COUNT.
    std::uint32_t fieldCount;
    /// The loaded record's bytes (deletion flag first), or null for the empty record.
    const char* current;
    /// Which of libHamlog50's reading states (file, window buffer) the area reads with: its slot and that slot's
    /// number of the moment (Hamlog50.cpp); opaque to libThdll2Vb.
    std::uint64_t ticket;
    /// The number of the ticket's slot as it stands now, in libHamlog50's table (which lasts as long as the library
    /// is loaded). The close moves it on, so a copy of an area made before the close sees that its log is closed and
    /// that `current` points into a freed window.
    const std::atomic<std::uint64_t>* slotNumber;
    /// Offset of field k+1 from the start of a record, and its stored length.
    std::uint32_t fieldOffset[HAMLOG_FIELD_COUNT];
    std::uint32_t fieldLength[HAMLOG_FIELD_COUNT];
};

static_assert(sizeof(RecordArea) <= HAMLOG_RECORD_SIZE, "the record area must fit the caller's area");

template <typename T> T LoadMember(const void* area, std::size_t offset) {
    T value;
    std::memcpy(&value, static_cast<const char*>(area) + offset, sizeof value);
    return value;
}

template <typename T> void StoreMember(void* area, std::size_t offset, const T& value) {
    std::memcpy(static_cast<char*>(area) + offset, &value, sizeof value);
}

inline std::uint32_t AreaMagic(const void* area) {
    return LoadMember<std::uint32_t>(area, offsetof(RecordArea, magic));
}

inline std::uint64_t AreaTicket(const void* area) {
    return LoadMember<std::uint64_t>(area, offsetof(RecordArea, ticket));
}

/// Whether the log the area was opened on is still open, also when the area is a copy of the one it was opened in.
inline bool AreaStillOpen(const void* area) {
    const auto* number = LoadMember<const std::atomic<std::uint64_t>*>(area, offsetof(RecordArea, slotNumber));
    return number != nullptr && number->load(std::memory_order_acquire) == AreaTicket(area) / kSlotCount;
}

inline std::uint32_t AreaFieldCount(const void* area) {
    return LoadMember<std::uint32_t>(area, offsetof(RecordArea, fieldCount));
}

inline const char* AreaCurrent(const void* area) {
    return LoadMember<const char*>(area, offsetof(RecordArea, current));
}

inline void SetAreaCurrent(void* area, const char* current) {
    StoreMember(area, offsetof(RecordArea, current), current);
}

inline std::uint32_t AreaFieldOffset(const void* area, std::size_t index) {
    return LoadMember<std::uint32_t>(area, offsetof(RecordArea, fieldOffset) + index * sizeof(std::uint32_t));
}

inline std::uint32_t AreaFieldLength(const void* area, std::size_t index) {
    return LoadMember<std::uint32_t>(area, offsetof(RecordArea, fieldLength) + index * sizeof(std::uint32_t));
}

} // namespace hamlog::detail
