#include "text/Cp932Codec.h"

#include <cerrno>
#include <iconv.h>

namespace zentu {

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
    CodecResult convert(std::string_view input) {
        CodecResult result;
        if (!valid()) {
            result.ok = false;
            return result;
        }
        iconv(m_cd, nullptr, nullptr, nullptr, nullptr); // back to the initial state
        // CP932 to UTF-8 grows a byte to at most three; UTF-8 to CP932 never grows. Start with room for
        // the common case and grow when iconv asks for more.
        std::string out(input.size() * 2 + 16, '\0');
        char* in = const_cast<char*>(input.data());
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

bool Cp932Codec::isAscii(std::string_view bytes) {
    for (const char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            return false;
        }
    }
    return true;
}

CodecResult Cp932Codec::encode(std::string_view utf8) {
    if (isAscii(utf8)) {
        return CodecResult{std::string(utf8), true, 0};
    }
    return toCp932().convert(utf8);
}

CodecResult Cp932Codec::decode(std::string_view cp932) {
    if (isAscii(cp932)) {
        return CodecResult{std::string(cp932), true, 0};
    }
    return toUtf8().convert(cp932);
}

std::string Cp932Codec::decodeLossy(std::string_view cp932) {
    std::string out;
    while (true) {
        CodecResult part = decode(cp932);
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

std::string Cp932Codec::encodeLossy(std::string_view utf8) {
    std::string out;
    while (true) {
        CodecResult part = encode(utf8);
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

} // namespace zentu
