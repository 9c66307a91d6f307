// The CP932 codec over Windows' own conversion: code page 932 through MultiByteToWideChar and
// WideCharToMultiByte, with every character that has no exact counterpart refused (MB_ERR_INVALID_CHARS,
// WC_NO_BEST_FIT_CHARS and the default-character check).

#include "codec/Cp932Backend.h"

#include <string>
#include <vector>
#include <windows.h>

namespace zentu::codec::detail {

namespace {

constexpr UINT kCodePage = 932;

bool IsLeadByte(unsigned char byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

/// The single bytes Windows maps but no CP932 text holds (Cp932Backend.h).
bool IsStrayByte(unsigned char byte) {
    return byte == 0x80 || byte == 0xA0 || byte >= 0xFD;
}

/// UTF-8 as UTF-16 for the system's calls, with the byte offset in the UTF-8 text of each unit's character.
struct WideText {
    std::wstring units;
    std::vector<std::size_t> offsets;
    bool ok = true;
    std::size_t failedAt = 0; ///< where the UTF-8 text stopped being valid, when !ok
};

std::size_t Utf8Length(unsigned char lead) {
    if (lead < 0x80) {
        return 1;
    }
    if (lead >= 0xC2 && lead <= 0xDF) {
        return 2;
    }
    if (lead >= 0xE0 && lead <= 0xEF) {
        return 3;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        return 4;
    }
    return 0;
}

WideText WideFromUtf8(std::string_view utf8) {
    WideText wide;
    wide.units.reserve(utf8.size());
    wide.offsets.reserve(utf8.size());
    std::size_t i = 0;
    while (i < utf8.size()) {
        const std::size_t length = Utf8Length(static_cast<unsigned char>(utf8[i]));
        if (length == 0 || utf8.size() - i < length || !IsValidUtf8(utf8.substr(i, length))) {
            wide.ok = false;
            wide.failedAt = i;
            break;
        }
        std::uint32_t value = static_cast<unsigned char>(utf8[i]);
        if (length > 1) {
            value &= 0x7Fu >> length;
            for (std::size_t k = 1; k < length; ++k) {
                value = value << 6 | (static_cast<unsigned char>(utf8[i + k]) & 0x3Fu);
            }
        }
        if (value >= 0x10000) {
            value -= 0x10000;
            wide.units += static_cast<wchar_t>(0xD800 + (value >> 10));
            wide.units += static_cast<wchar_t>(0xDC00 + (value & 0x3FF));
            wide.offsets.push_back(i);
        } else {
            wide.units += static_cast<wchar_t>(value);
        }
        wide.offsets.push_back(i);
        i += length;
    }
    return wide;
}

void AppendUtf8(std::string& out, const std::wstring& units) {
    for (std::size_t i = 0; i < units.size(); ++i) {
        std::uint32_t value = static_cast<std::uint16_t>(units[i]);
        if (value >= 0xD800 && value < 0xDC00 && i + 1 < units.size()) {
            value = 0x10000 + ((value - 0xD800) << 10) + (static_cast<std::uint16_t>(units[++i]) - 0xDC00u);
        }
        if (value < 0x80) {
            out += static_cast<char>(value);
        } else if (value < 0x800) {
            out += static_cast<char>(0xC0 | value >> 6);
            out += static_cast<char>(0x80 | (value & 0x3F));
        } else if (value < 0x10000) {
            out += static_cast<char>(0xE0 | value >> 12);
            out += static_cast<char>(0x80 | (value >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (value & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | value >> 18);
            out += static_cast<char>(0x80 | (value >> 12 & 0x3F));
            out += static_cast<char>(0x80 | (value >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (value & 0x3F));
        }
    }
}

/// Whether CP932 bytes hold a stray byte where a character starts.
bool HasStrayByte(std::string_view cp932) {
    for (std::size_t i = 0; i < cp932.size(); i += IsLeadByte(static_cast<unsigned char>(cp932[i])) ? 2 : 1) {
        if (IsStrayByte(static_cast<unsigned char>(cp932[i]))) {
            return true;
        }
    }
    return false;
}

/// UTF-16 units to CP932. False when a unit has no exact CP932 counterpart (the system put its default
/// character in, or gave one of the stray bytes).
bool EncodeUnits(const wchar_t* units, int count, std::string& out) {
    out.clear();
    if (count == 0) {
        return true;
    }
    BOOL usedDefault = FALSE;
    const int length =
        ::WideCharToMultiByte(kCodePage, WC_NO_BEST_FIT_CHARS, units, count, nullptr, 0, nullptr, &usedDefault);
    if (length <= 0) {
        return false;
    }
    out.resize(static_cast<std::size_t>(length));
    usedDefault = FALSE;
    ::WideCharToMultiByte(kCodePage, WC_NO_BEST_FIT_CHARS, units, count, out.data(), length, nullptr, &usedDefault);
    return usedDefault == FALSE && !HasStrayByte(out);
}

/// CP932 bytes to UTF-16. False when they are not all CP932 characters.
bool DecodeBytes(const char* bytes, int count, std::wstring& out) {
    out.clear();
    if (count == 0) {
        return true;
    }
    const int length = ::MultiByteToWideChar(kCodePage, MB_ERR_INVALID_CHARS, bytes, count, nullptr, 0);
    if (length <= 0) {
        return false;
    }
    out.resize(static_cast<std::size_t>(length));
    return ::MultiByteToWideChar(kCodePage, MB_ERR_INVALID_CHARS, bytes, count, out.data(), length) == length;
}

} // namespace

Converted ConvertToCp932(std::string_view utf8) {
    const WideText wide = WideFromUtf8(utf8);
    Converted result;
    result.ok = wide.ok;
    result.failedAt = wide.failedAt;
    if (EncodeUnits(wide.units.data(), static_cast<int>(wide.units.size()), result.text)) {
        return result;
    }
    // Some character has no CP932 counterpart: find the first, one character at a time.
    result.text.clear();
    std::string part;
    for (std::size_t i = 0; i < wide.units.size();) {
        const std::uint16_t unit = static_cast<std::uint16_t>(wide.units[i]);
        const std::size_t count = (unit >= 0xD800 && unit < 0xDC00) ? 2 : 1;
        if (!EncodeUnits(wide.units.data() + i, static_cast<int>(count), part)) {
            result.ok = false;
            result.failedAt = wide.offsets[i];
            return result;
        }
        result.text += part;
        i += count;
    }
    return result;
}

Converted ConvertToUtf8(std::string_view cp932) {
    // The characters' bounds, and the first byte that cannot start one (a stray byte, or a lead byte at the end).
    std::size_t end = 0;
    while (end < cp932.size()) {
        const auto byte = static_cast<unsigned char>(cp932[end]);
        if (IsStrayByte(byte) || (IsLeadByte(byte) && end + 1 == cp932.size())) {
            break;
        }
        end += IsLeadByte(byte) ? 2 : 1;
    }
    Converted result;
    result.ok = end == cp932.size();
    result.failedAt = end;
    std::wstring units;
    if (DecodeBytes(cp932.data(), static_cast<int>(end), units)) {
        AppendUtf8(result.text, units);
        return result;
    }
    // Some pair is no CP932 character: find the first, one character at a time.
    for (std::size_t i = 0; i < end;) {
        const std::size_t count = IsLeadByte(static_cast<unsigned char>(cp932[i])) ? 2 : 1;
        if (!DecodeBytes(cp932.data() + i, static_cast<int>(count), units)) {
            result.ok = false;
            result.failedAt = i;
            return result;
        }
        AppendUtf8(result.text, units);
        i += count;
    }
    return result;
}

} // namespace zentu::codec::detail
