#include "codec/Cp932.h"

#include "codec/Cp932Backend.h"

#include <cstdint>

namespace zentu::codec {

namespace {

constexpr std::string_view kReplacementCharacter = "\xEF\xBF\xBD"; // U+FFFD in UTF-8

/// The length of the UTF-8 character starting with `lead`, or 1 for a byte that cannot start one,
/// so that a lossy conversion always moves on.
std::size_t utf8CharLength(unsigned char lead) {
    if (lead >= 0xF0 && lead <= 0xF4) {
        return 4;
    }
    if (lead >= 0xE0 && lead <= 0xEF) {
        return 3;
    }
    if (lead >= 0xC2 && lead <= 0xDF) {
        return 2;
    }
    return 1;
}

bool isUtf8Continuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

} // namespace

bool IsAscii(std::string_view bytes) {
    for (const char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            return false;
        }
    }
    return true;
}

bool IsValidUtf8(std::string_view text) {
    std::size_t i = 0;
    const std::size_t size = text.size();
    while (i < size) {
        const auto lead = static_cast<unsigned char>(text[i]);
        if (lead < 0x80) {
            ++i;
            continue;
        }
        std::size_t length;
        std::uint32_t lowest;
        std::uint32_t value;
        if ((lead & 0xE0) == 0xC0) {
            length = 2;
            lowest = 0x80;
            value = lead & 0x1Fu;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3;
            lowest = 0x800;
            value = lead & 0x0Fu;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4;
            lowest = 0x10000;
            value = lead & 0x07u;
        } else {
            return false;
        }
        if (size - i < length) {
            return false;
        }
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) {
                return false;
            }
            value = value << 6 | (next & 0x3Fu);
        }
        if (value < lowest || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
            return false;
        }
        i += length;
    }
    return true;
}

Converted Utf8ToCp932(std::string_view utf8) {
    if (IsAscii(utf8)) {
        return Converted{std::string(utf8), true, 0};
    }
    return detail::ConvertToCp932(utf8);
}

Converted Cp932ToUtf8(std::string_view cp932) {
    if (IsAscii(cp932)) {
        return Converted{std::string(cp932), true, 0};
    }
    return detail::ConvertToUtf8(cp932);
}

std::string Cp932ToUtf8Lossy(std::string_view cp932) {
    std::string out;
    while (true) {
        Converted part = Cp932ToUtf8(cp932);
        out += part.text;
        if (part.ok) {
            return out;
        }
        // The byte at the failure cannot start a CP932 character: replace that one byte and go on with
        // the next, which may well start a good character again.
        out += kReplacementCharacter;
        cp932.remove_prefix(part.failedAt + 1);
    }
}

std::string Utf8ToCp932Lossy(std::string_view utf8) {
    std::string out;
    while (true) {
        Converted part = Utf8ToCp932(utf8);
        out += part.text;
        if (part.ok) {
            return out;
        }
        // Replace the whole character (or the one stray byte of broken UTF-8) by a single "?", so the
        // result has the length CP932 would have had with a one-byte stand-in.
        out += '?';
        const auto lead = static_cast<unsigned char>(utf8[part.failedAt]);
        std::size_t skip = utf8CharLength(lead);
        std::size_t taken = 1;
        while (taken < skip && part.failedAt + taken < utf8.size() &&
               isUtf8Continuation(static_cast<unsigned char>(utf8[part.failedAt + taken]))) {
            ++taken;
        }
        utf8.remove_prefix(part.failedAt + taken);
    }
}

} // namespace zentu::codec
