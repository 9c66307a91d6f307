// libThdll2Vb: the text of one field of the loaded record. Reads only the record area that libHamlog50
// fills (RecordArea.h), so it needs no link to it.

#include "RecordArea.h"

#include "hamlog/HamlogApi.h"

#include <bit>
#include <cstdint>
#include <cstring>

namespace {

bool IsCp932LeadByte(unsigned char byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

// The longest prefix of `bytes` of at most `limit` bytes made of whole CP932 characters: it never cuts a
// double-byte character in two, and it leaves out a lead byte that has no byte after it.
std::size_t Cp932PrefixLength(const char* bytes, std::size_t length, std::size_t limit) {
    const std::size_t end = length < limit ? length : limit;
    std::size_t position = 0;
    while (position < end) {
        const std::size_t step = IsCp932LeadByte(static_cast<unsigned char>(bytes[position])) ? 2 : 1;
        if (position + step > end) {
            break;
        }
        position += step;
    }
    return position;
}

// A record is read field after field many times over, so the scans and the copy below work a word at a time on the
// usual short fields; every read stays within the field's stored bytes.

std::uint64_t Word(const char* bytes) {
    std::uint64_t word;
    std::memcpy(&word, bytes, sizeof word);
    return word;
}

// The bytes of a word that are 0 have their top bit set in the result; below the first 0 byte no bit is set, so
// the lowest set bit tells where the first 0 byte is (the machine is little-endian).
std::uint64_t ZeroBytes(std::uint64_t word) {
    return (word - 0x0101010101010101u) & ~word & 0x8080808080808080u;
}

constexpr bool kLittleEndian = std::endian::native == std::endian::little;

// Where the first NUL byte of `bytes` is, or `length` when it holds none.
std::size_t FirstNul(const char* bytes, std::size_t length) {
    if (!kLittleEndian || length < 8) {
        std::size_t at = 0;
        while (at < length && bytes[at] != '\0') {
            ++at;
        }
        return at;
    }
    for (std::size_t at = 0;; at += 8) {
        // The last word may overlap the one before it; a 0 there was already found, so none is found twice.
        const std::size_t from = at + 8 <= length ? at : length - 8;
        if (const std::uint64_t zeros = ZeroBytes(Word(bytes + from))) {
            return from + static_cast<std::size_t>(std::countr_zero(zeros)) / 8;
        }
        if (from + 8 == length) {
            return length;
        }
    }
}

// The length of `bytes` without the blanks at its end. No CP932 trail byte is a blank, so this never splits a
// character.
std::size_t WithoutTrailingBlanks(const char* bytes, std::size_t length) {
    constexpr std::uint64_t kEightBlanks = 0x2020202020202020u;
    if (kLittleEndian) {
        while (length >= 8) {
            // Blanks become 0 bytes; those at the word's top are the last bytes of the text.
            if (const std::uint64_t notBlank = Word(bytes + length - 8) ^ kEightBlanks) {
                return length - static_cast<std::size_t>(std::countl_zero(notBlank)) / 8;
            }
            length -= 8;
        }
    }
    while (length > 0 && bytes[length - 1] == ' ') {
        --length;
    }
    return length;
}

// Copies `length` bytes in words; two words that may overlap cover anything up to 16 bytes.
void CopyText(char* to, const char* from, std::size_t length) {
    if (length < 8) {
        for (std::size_t i = 0; i < length; ++i) {
            to[i] = from[i];
        }
        return;
    }
    std::size_t at = 0;
    for (; at + 8 < length; at += 8) {
        std::memcpy(to + at, from + at, 8);
    }
    std::memcpy(to + length - 8, from + length - 8, 8);
}

} // namespace

using namespace hamlog::detail;

extern "C" void HAMLOG_CALL ThwString(char* text, void* record, int16_t field) {
    if (text == nullptr) {
        return;
    }
    text[0] = '\0';
    if (record == nullptr || AreaMagic(record) != kRecordAreaMagic || field < 1 ||
        static_cast<std::uint32_t>(field) > AreaFieldCount(record)) {
        return;
    }
    // A copy of an area whose log has since been closed still points into the freed window: it reads nothing.
    const char* current = AreaCurrent(record);
    if (current == nullptr || !AreaStillOpen(record)) {
        return;
    }
    const auto index = static_cast<std::size_t>(field - 1);
    const char* bytes = current + AreaFieldOffset(record, index);
    // Fields are padded with blanks, and the caller's text ends at the first NUL, so the field's text does too (some
    // tools pad fields with NULs, and the checks below must see the text the caller gets): the text is what comes
    // before the first NUL, without its trailing blanks. The blanks at the field's end are left out first, so the
    // search for a NUL does not walk through the padding; a NUL can only lie before the blanks found there.
    std::size_t length = WithoutTrailingBlanks(bytes, AreaFieldLength(record, index));
    if (const std::size_t nul = FirstNul(bytes, length); nul < length) {
        length = WithoutTrailingBlanks(bytes, nul);
    }
    // A text cut to fit the buffer, or one that ends in what may be a lead byte, is walked from its start to see
    // where its characters end: another dBase tool may have cut a value inside a double-byte character, and half
    // a character would make the text that follows it unreadable.
    if (length > HAMLOG_TEXT_SIZE - 1 ||
        (length > 0 && IsCp932LeadByte(static_cast<unsigned char>(bytes[length - 1])))) {
        length = Cp932PrefixLength(bytes, length, HAMLOG_TEXT_SIZE - 1);
    }
    CopyText(text, bytes, length);
    text[length] = '\0';
}
