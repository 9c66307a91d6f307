#pragma once

// Scanning and copying the short texts of log records a word at a time: a run does this for every field of every
// record, and for texts of a few bytes a call into the C library costs more than the work. Every read stays within
// the text.

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace zentu {

namespace short_bytes {

inline std::uint64_t Word(const char* bytes) {
    std::uint64_t word;
    std::memcpy(&word, bytes, sizeof word);
    return word;
}

inline std::uint32_t HalfWord(const char* bytes) {
    std::uint32_t word;
    std::memcpy(&word, bytes, sizeof word);
    return word;
}

/// Whether any byte of the word is 0.
inline bool HasZeroByte(std::uint64_t word) {
    return ((word - 0x0101010101010101u) & ~word & 0x8080808080808080u) != 0;
}

inline bool HasZeroByte(std::uint32_t word) {
    return ((word - 0x01010101u) & ~word & 0x80808080u) != 0;
}

} // namespace short_bytes

/// Whether `text` holds the byte `byte`.
inline bool ContainsByte(std::string_view text, char byte) {
    using namespace short_bytes;
    const std::size_t length = text.size();
    const char* bytes = text.data();
    // Short texts are read in two pieces that may overlap, which covers every byte without a loop.
    if (length < 4) {
        return length > 0 && (bytes[0] == byte || bytes[length / 2] == byte || bytes[length - 1] == byte);
    }
    if (length < 8) {
        const std::uint32_t pattern = 0x01010101u * static_cast<unsigned char>(byte);
        return HasZeroByte(HalfWord(bytes) ^ pattern) || HasZeroByte(HalfWord(bytes + length - 4) ^ pattern);
    }
    const std::uint64_t pattern = 0x0101010101010101u * static_cast<unsigned char>(byte);
    for (std::size_t at = 0; at + 8 < length; at += 8) {
        if (HasZeroByte(Word(text.data() + at) ^ pattern)) {
            return true;
        }
    }
    return HasZeroByte(Word(text.data() + length - 8) ^ pattern);
}

/// Copies `text` to `to` and returns the end of the copy.
inline char* CopyBytes(char* to, std::string_view text) {
    const std::size_t length = text.size();
    const char* from = text.data();
    if (length < 4) {
        if (length > 0) {
            to[0] = from[0];
            to[length / 2] = from[length / 2];
            to[length - 1] = from[length - 1];
        }
        return to + length;
    }
    if (length < 8) {
        std::memcpy(to, from, 4);
        std::memcpy(to + length - 4, from + length - 4, 4);
        return to + length;
    }
    for (std::size_t at = 0; at + 8 < length; at += 8) {
        std::memcpy(to + at, from + at, 8);
    }
    std::memcpy(to + length - 8, from + length - 8, 8);
    return to + length;
}

} // namespace zentu
