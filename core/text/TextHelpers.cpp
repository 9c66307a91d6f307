#include "text/TextHelpers.h"

#include "text/Cp932Codec.h"

#include <algorithm>

namespace zentu {

std::string cut_at_nul(std::string_view text) {
    return std::string(text.substr(0, text.find('\0')));
}

bool IsBlankChar(char c) {
    return c == ' ' || c == '\t';
}

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && IsBlankChar(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlankChar(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

namespace {

char lowerAsciiChar(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

} // namespace

std::string LowerAscii(std::string_view text) {
    std::string result(text);
    std::transform(result.begin(), result.end(), result.begin(), lowerAsciiChar);
    return result;
}

bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char x, char y) { return lowerAsciiChar(x) == lowerAsciiChar(y); });
}

std::string RemoveAll(std::string_view text, std::string_view what) {
    return ReplaceAll(text, what, {});
}

std::string ReplaceAll(std::string_view text, std::string_view what, std::string_view with) {
    if (what.empty()) {
        return std::string(text);
    }
    std::string out;
    out.reserve(text.size());
    std::size_t pos = 0;
    while (true) {
        const std::size_t found = text.find(what, pos);
        if (found == std::string_view::npos) {
            break;
        }
        out.append(text.substr(pos, found - pos));
        out.append(with);
        pos = found + what.size();
    }
    out.append(text.substr(pos));
    return out;
}

std::int32_t AnsiByteLength(std::string_view utf8) {
    const std::size_t length = Cp932Codec::isAscii(utf8) ? utf8.size() : Cp932Codec::encodeLossy(utf8).size();
    return static_cast<std::int32_t>(std::min<std::size_t>(length, INT32_MAX));
}

std::string AnsiByteMid(std::string_view utf8, std::int32_t start, std::int32_t length) {
    const std::string bytes = Cp932Codec::encodeLossy(utf8);
    // A start before the first byte counts from the first byte; a length below 1 gives nothing.
    if (length <= 0) {
        return {};
    }
    const std::size_t first = start > 1 ? static_cast<std::size_t>(start) - 1 : 0;
    if (first >= bytes.size()) {
        return {};
    }
    const std::size_t last = std::min(bytes.size(), first + static_cast<std::size_t>(length)); // one past

    // Walk the characters from the start so lead and trail bytes are told apart by position, not by value.
    std::size_t from = first;
    std::size_t to = last;
    std::size_t pos = 0;
    while (pos < last) {
        const std::size_t width = IsCp932LeadByte(static_cast<unsigned char>(bytes[pos])) ? 2 : 1;
        if (pos < first && pos + width > first) {
            from = pos + width; // the cut at the start falls inside this character: drop its trail byte
        }
        if (pos < last && pos + width > last) {
            to = pos; // the cut at the end falls inside this character: drop its lead byte
        }
        pos += width;
    }
    if (from >= to) {
        return {};
    }
    return Cp932Codec::decodeLossy(std::string_view(bytes).substr(from, to - from));
}

bool IsCp932LeadByte(unsigned char byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

bool Cp932EqualIgnoringAsciiCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && Cp932UpperAscii(a) == Cp932UpperAscii(b);
}

std::string Cp932UpperAscii(std::string_view cp932) {
    std::string out(cp932);
    for (std::size_t i = 0; i < out.size(); ++i) {
        const auto byte = static_cast<unsigned char>(out[i]);
        if (IsCp932LeadByte(byte)) {
            ++i; // the trail byte belongs to the double-byte character and is never folded
        } else if (byte >= 'a' && byte <= 'z') {
            out[i] = static_cast<char>(byte - 'a' + 'A');
        }
    }
    return out;
}

std::string ShortenPathForDisplay(std::string_view path, std::int32_t budget, char separator) {
    if (AnsiByteLength(path) <= budget) {
        return std::string(path);
    }
    const std::size_t lastSeparator = path.rfind(separator);
    const std::string_view last = lastSeparator == std::string_view::npos ? path : path.substr(lastSeparator + 1);
    const std::string tail = std::string("...") + separator + std::string(last);
    // A keep below 1 (the tail alone is longer than the room) gives no head: the tail is shown alone.
    const std::int32_t keep = budget - AnsiByteLength(tail);
    std::string shown = AnsiByteMid(path, 1, keep) + tail;
    shown = ReplaceAll(shown, " ", "_");
    return ReplaceAll(shown, "　", "_");
}

std::string DisplayPath(std::string_view path) {
    constexpr std::int32_t kShortenFrom = 49;
    constexpr std::int32_t kRoom = 48;
    return AnsiByteLength(path) < kShortenFrom ? std::string(path) : ShortenPathForDisplay(path, kRoom);
}

} // namespace zentu
