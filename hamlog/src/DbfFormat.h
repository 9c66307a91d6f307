#pragma once

// The dBase III layout of a log table (NAME.hdb), as hamlog/HamlogApi.h describes it: where the header keeps
// its values, the marks it uses, and the little-endian byte helpers. Shared by the reader (DbfTable.cpp) and
// the log writer (tool/LogWriter.cpp), so both agree on one description of the format.

#include <cstddef>
#include <cstdint>

namespace hamlog::detail {

/// Size of the fixed part of a header and of one field descriptor.
inline constexpr std::uint32_t kDbfBlockSize = 32;

// The fixed part of the header.
inline constexpr std::size_t kLastUpdateAt = 1;    ///< year - 1900, month, day
inline constexpr std::size_t kRecordCountAt = 4;   ///< 32 bits
inline constexpr std::size_t kHeaderLengthAt = 8;  ///< 16 bits
inline constexpr std::size_t kRecordLengthAt = 10; ///< 16 bits
inline constexpr std::size_t kCodePageAt = 29;     ///< the language driver mark

inline constexpr unsigned char kVersionDbase3 = 0x03;
inline constexpr unsigned char kVersionDbase3Memo = 0x83;

/// Whether a first byte names some version of the dBase family (FoxBASE, dBase III to V, FoxPro, Visual FoxPro):
/// a file that starts with another byte is no dBase table at all.
inline bool IsDbaseVersionByte(unsigned char first) {
    switch (first) {
    case 0x02:
    case 0x03:
    case 0x04:
    case 0x05:
    case 0x30:
    case 0x31:
    case 0x32:
    case 0x83:
    case 0x8B:
    case 0x8E:
    case 0xCB:
    case 0xF5:
    case 0xFB:
        return true;
    default:
        return false;
    }
}
inline constexpr unsigned char kCodePageCp932 = 0x13; ///< language driver mark for Shift_JIS

// A field descriptor: the name (NUL-padded) first, then these.
inline constexpr std::size_t kFieldTypeAt = 11;
inline constexpr std::size_t kFieldLengthAt = 16;
inline constexpr std::size_t kFieldLengthHighAt = 17; ///< high byte of a character field's length
inline constexpr char kCharacterField = 'C';

/// Ends the field descriptors.
inline constexpr unsigned char kDescriptorEnd = 0x0D;
/// May follow the last record.
inline constexpr unsigned char kFileEnd = 0x1A;

inline std::uint32_t Uint16At(const unsigned char* bytes) {
    return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8;
}

inline std::uint32_t Uint32At(const unsigned char* bytes) {
    return Uint16At(bytes) | Uint16At(bytes + 2) << 16;
}

inline void PutUint16(char* at, std::uint32_t value) {
    at[0] = static_cast<char>(value & 0xFF);
    at[1] = static_cast<char>(value >> 8 & 0xFF);
}

inline void PutUint32(char* at, std::uint32_t value) {
    PutUint16(at, value & 0xFFFF);
    PutUint16(at + 2, value >> 16);
}

} // namespace hamlog::detail
