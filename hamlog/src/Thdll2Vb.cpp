// libThdll2Vb: the text of one field of the loaded record. Reads only the record area that libHamlog50
// fills (RecordArea.h), so it needs no link to it.

#include "RecordArea.h"

#include "hamlog/HamlogApi.h"

#include <cstring>

namespace {

bool IsCp932LeadByte(unsigned char byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

// The longest prefix of `bytes` of at most `limit` bytes that does not cut a double-byte character in two.
std::size_t Cp932PrefixLength(const char* bytes, std::size_t length, std::size_t limit) {
    std::size_t position = 0;
    while (position < length) {
        const std::size_t step = IsCp932LeadByte(static_cast<unsigned char>(bytes[position])) ? 2 : 1;
        if (position + step > limit) {
            break;
        }
        position += step;
    }
    return position < length ? position : length;
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
    // Fields are padded with blanks. No CP932 trail byte is a blank, so this never splits a character.
    while (length > 0 && bytes[length - 1] == ' ') {
        --length;
    }
    if (length > HAMLOG_TEXT_SIZE - 1) {
        length = Cp932PrefixLength(bytes, length, HAMLOG_TEXT_SIZE - 1);
    }
    std::memcpy(text, bytes, length);
    text[length] = '\0';
}
