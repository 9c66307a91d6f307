// The CP932 codec over iconv (glibc's "CP932").

#include "codec/Cp932Backend.h"

#include <array>
#include <cerrno>
#include <iconv.h>
#include <string>

namespace zentu::codec::detail {

namespace {

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

/// The UTF-8 of the characters glibc maps to CP932 one way only (Cp932Backend.h).
constexpr std::array<std::string_view, 9> kOneWayCharacters = {
    "\u00A2", "\u00A3", "\u00A5", "\u00AC", "\u2014", "\u2016", "\u203E", "\u2212", "\u301C",
};

/// The offset of the first character that glibc maps one way only, or the text's size when there is none.
/// Their lead bytes never stand inside another character, so a byte match is a character match.
std::size_t FirstOneWayCharacter(std::string_view utf8) {
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        if (lead != 0xC2 && lead != 0xE2 && lead != 0xE3) {
            continue;
        }
        for (const std::string_view character : kOneWayCharacters) {
            if (utf8.substr(i, character.size()) == character) {
                return i;
            }
        }
    }
    return utf8.size();
}

} // namespace

Converted ConvertToCp932(std::string_view utf8) {
    const std::size_t oneWay = FirstOneWayCharacter(utf8);
    Converted converted = toCp932().convert(utf8.substr(0, oneWay));
    if (converted.ok && oneWay < utf8.size()) {
        converted.ok = false;
        converted.failedAt = oneWay;
    }
    return converted;
}

Converted ConvertToUtf8(std::string_view cp932) {
    return toUtf8().convert(cp932);
}

} // namespace zentu::codec::detail
