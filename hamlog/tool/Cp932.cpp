#include "Cp932.h"

#include <cerrno>
#include <cstdint>
#include <iconv.h>

namespace hamlog {

namespace {

// One iconv conversion descriptor per direction and thread, opened on first use (opening one costs far
// more than converting a field).
class Converter {
public:
    Converter(const char* to, const char* from) : m_descriptor(::iconv_open(to, from)) {}
    ~Converter() {
        if (valid()) {
            ::iconv_close(m_descriptor);
        }
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool valid() const { return m_descriptor != reinterpret_cast<iconv_t>(-1); }

    // Converts `in`; on an invalid or unconvertible sequence either stops (returns false) or, with
    // `replacement`, writes it and skips one input byte.
    bool convert(std::string_view in, std::string& out, const char* replacement) {
        out.clear();
        if (!valid()) {
            return false;
        }
        ::iconv(m_descriptor, nullptr, nullptr, nullptr, nullptr);
        char* input = const_cast<char*>(in.data()); // iconv's interface is not const-correct; it only reads
        std::size_t inputLeft = in.size();
        char buffer[1024];
        while (inputLeft > 0) {
            char* output = buffer;
            std::size_t outputLeft = sizeof buffer;
            const std::size_t result = ::iconv(m_descriptor, &input, &inputLeft, &output, &outputLeft);
            out.append(buffer, static_cast<std::size_t>(output - buffer));
            if (result != static_cast<std::size_t>(-1)) {
                continue;
            }
            if (errno == E2BIG) {
                continue;
            }
            if (replacement == nullptr) {
                return false;
            }
            out += replacement;
            ++input;
            --inputLeft;
            ::iconv(m_descriptor, nullptr, nullptr, nullptr, nullptr);
        }
        char* output = buffer;
        std::size_t outputLeft = sizeof buffer;
        ::iconv(m_descriptor, nullptr, nullptr, &output, &outputLeft);
        out.append(buffer, static_cast<std::size_t>(output - buffer));
        return true;
    }

private:
    iconv_t m_descriptor;
};

Converter& ToCp932() {
    thread_local Converter converter("CP932", "UTF-8");
    return converter;
}

Converter& FromCp932() {
    thread_local Converter converter("UTF-8", "CP932");
    return converter;
}

} // namespace

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

bool Utf8ToCp932(std::string_view utf8, std::string& out) {
    // glibc's iconv accepts some ill-formed UTF-8 (for example encoded surrogates); check first.
    return IsValidUtf8(utf8) && ToCp932().convert(utf8, out, nullptr);
}

bool Cp932ToUtf8(std::string_view cp932, std::string& out) {
    return FromCp932().convert(cp932, out, nullptr);
}

std::string Cp932ToUtf8Lossy(std::string_view cp932) {
    std::string out;
    FromCp932().convert(cp932, out, "\xEF\xBF\xBD");
    return out;
}

} // namespace hamlog
