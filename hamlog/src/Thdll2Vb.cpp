// libThdll2Vb: the text of one field of the loaded record. Reads only the record area that libHamlog50
// fills (RecordArea.h), so it needs no link to it.

#include "RecordArea.h"

#include "hamlog/HamlogApi.h"

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
    const char* current = AreaCurrent(record);
    if (current == nullptr) {
        return;
    }
    const auto index = static_cast<std::size_t>(field - 1);
    const char* bytes = current + AreaFieldOffset(record, index);
    std::size_t length = AreaFieldLength(record, index);
    // The caller's text ends at the first NUL, so the field's text does too: some tools pad fields with NULs, and
    // the checks below must see the text the caller gets.
    if (const void* nul = std::memchr(bytes, '\0', length)) {
        length = static_cast<std::size_t>(static_cast<const char*>(nul) - bytes);
    }
    // Fields are padded with blanks. No CP932 trail byte is a blank, so this never splits a character.
    while (length > 0 && bytes[length - 1] == ' ') {
        --length;
    }
    // A text cut to fit the buffer, or one that ends in what may be a lead byte, is walked from its start to see
    // where its characters end: another dBase tool may have cut a value inside a double-byte character, and half
    // a character would make the text that follows it unreadable.
    if (length > HAMLOG_TEXT_SIZE - 1 ||
        (length > 0 && IsCp932LeadByte(static_cast<unsigned char>(bytes[length - 1])))) {
        length = Cp932PrefixLength(bytes, length, HAMLOG_TEXT_SIZE - 1);
    }
    std::memcpy(text, bytes, length);
    text[length] = '\0';
}
