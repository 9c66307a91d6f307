#include "codec/Cp932.h"

#include <cerrno>
#include <cstdint>
#include <iconv.h>

namespace zentu::codec {

namespace {

constexpr std::string_view kReplacementCharacter = "\xEF\xBF\xBD"; // U+FFFD in UTF-8

/// One iconv descriptor, opened on first use and kept for the life of the thread: the conversion engine
/// converts every record, and opening a descriptor costs far more than one conversion.
class Converter {
public:
    Converter(const char* to, const char* from) : m_cd(iconv_open(to, from)) {}
    ~Converter() {
        if (valid()) {
            iconv_close(m_cd);
        }
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    /// Converts `input`. Stops at the first input that cannot be converted (an invalid or incomplete
    /// sequence, or a character the target lacks) and reports its offset.
    Converted convert(std::string_view input) {
        Converted result;
        if (!valid()) {
            result.ok = false;
            return result;
        }
        iconv(m_cd, nullptr, nullptr, nullptr, nullptr); // back to the initial state
        // CP932 to UTF-8 grows a byte to at most three; UTF-8 to CP932 never grows. Start with room for
        // the common case and grow when iconv asks for more.
        std::string out(input.size() * 2 + 16, '\0');
        char* in = const_cast<char*>(input.data()); // iconv's interface is not const-correct; it only reads
        std::size_t inLeft = input.size();
        std::size_t used = 0;
        while (inLeft > 0) {
            char* outPtr = out.data() + used;
            std::size_t outLeft = out.size() - used;
            const std::size_t rc = iconv(m_cd, &in, &inLeft, &outPtr, &outLeft);
            used = out.size() - outLeft;
            if (rc != static_cast<std::size_t>(-1)) {
                break;
            }
            if (errno == E2BIG) {
                out.resize(out.size() * 2);
                continue;
            }
            // EILSEQ (not convertible) or EINVAL (incomplete sequence at the end): report where.
            result.ok = false;
            result.failedAt = input.size() - inLeft;
            break;
        }
        out.resize(used);
        result.text = std::move(out);
        return result;
    }

private:
    bool valid() const { return m_cd != reinterpret_cast<iconv_t>(-1); }
    iconv_t m_cd;
};

Converter& toCp932() {
    thread_local Converter converter("CP932", "UTF-8");
    return converter;
}

Converter& toUtf8() {
    thread_local Converter converter("UTF-8", "CP932");
    return converter;
}

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
    return toCp932().convert(utf8);
}

Converted Cp932ToUtf8(std::string_view cp932) {
    if (IsAscii(cp932)) {
        return Converted{std::string(cp932), true, 0};
    }
    return toUtf8().convert(cp932);
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
