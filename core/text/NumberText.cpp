#include "text/NumberText.h"

#include "text/TextHelpers.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <iterator>
#include <limits>
#include <string>

namespace zentu {

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

/// Where a decimal number starting at `pos` ends: an optional sign, digits with an optional fraction
/// (at least one digit in all), an optional exponent (taken only when it has digits). Returns `pos` when
/// no number starts there.
std::size_t scanNumber(std::string_view text, std::size_t pos) {
    const std::size_t start = pos;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        ++pos;
    }
    std::size_t digits = 0;
    while (pos < text.size() && isDigit(text[pos])) {
        ++pos;
        ++digits;
    }
    if (pos < text.size() && text[pos] == '.') {
        std::size_t afterPoint = pos + 1;
        while (afterPoint < text.size() && isDigit(text[afterPoint])) {
            ++afterPoint;
            ++digits;
        }
        pos = afterPoint;
    }
    if (digits == 0) {
        return start;
    }
    if (pos < text.size() && (text[pos] == 'e' || text[pos] == 'E')) {
        std::size_t exponent = pos + 1;
        if (exponent < text.size() && (text[exponent] == '+' || text[exponent] == '-')) {
            ++exponent;
        }
        if (exponent < text.size() && isDigit(text[exponent])) {
            while (exponent < text.size() && isDigit(text[exponent])) {
                ++exponent;
            }
            pos = exponent;
        }
    }
    return pos;
}

/// Whether a well-formed number (as scanNumber accepts it, without sign) that the conversion found out of
/// range is too large (rather than too small) for a double: compares the position of its first significant
/// digit, moved by the exponent, with zero.
bool isTooLarge(std::string_view number) {
    long long magnitude = 0;
    std::size_t pos = 0;
    bool seenSignificant = false;
    bool afterPoint = false;
    for (; pos < number.size() && number[pos] != 'e' && number[pos] != 'E'; ++pos) {
        const char c = number[pos];
        if (c == '.') {
            afterPoint = true;
        } else if (!seenSignificant && c == '0') {
            if (afterPoint) {
                --magnitude;
            }
        } else {
            seenSignificant = true;
            if (!afterPoint) {
                ++magnitude;
            }
        }
    }
    if (!seenSignificant) {
        return false;
    }
    if (pos < number.size()) {
        // The exponent: clamp its reading, any value beyond a few thousand decides alone.
        long long exponent = 0;
        bool negative = false;
        ++pos;
        if (pos < number.size() && (number[pos] == '+' || number[pos] == '-')) {
            negative = number[pos] == '-';
            ++pos;
        }
        for (; pos < number.size(); ++pos) {
            exponent = std::min(exponent * 10 + (number[pos] - '0'), 1000000LL);
        }
        magnitude += negative ? -exponent : exponent;
    }
    return magnitude > 0;
}

/// The value of digits with at most one decimal point and no exponent, when they hold at most 15 significant digits
/// and 22 decimals: the digits as a whole number are then exact in a double, and so is the power of ten, so one
/// division gives the correctly rounded value, as from_chars would. Nothing for any other text. (Frequencies are
/// read this way once per record.)
std::optional<double> plainDecimal(std::string_view number) {
    static constexpr double kPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                              1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    constexpr std::uint64_t kExactBelow = 1000000000000000ULL; // 10^15 < 2^53
    std::uint64_t digits = 0;
    std::size_t decimals = 0;
    bool afterPoint = false;
    for (const char c : number) {
        if (c == '.' && !afterPoint) {
            afterPoint = true;
        } else if (isDigit(c) && digits < kExactBelow) {
            digits = digits * 10 + static_cast<std::uint64_t>(c - '0');
            decimals += afterPoint ? 1 : 0;
        } else {
            return std::nullopt;
        }
    }
    if (digits >= kExactBelow || decimals >= std::size(kPowersOfTen)) {
        return std::nullopt;
    }
    return static_cast<double>(digits) / kPowersOfTen[decimals];
}

/// The value of a text that scanNumber accepted whole. Independent of the C locale (the windows' toolkit
/// sets it from the environment, which may want a decimal comma).
double convertNumber(std::string_view number) {
    bool negative = false;
    if (!number.empty() && (number.front() == '+' || number.front() == '-')) {
        negative = number.front() == '-';
        number.remove_prefix(1);
    }
    double value = 0.0;
    if (const std::optional<double> plain = plainDecimal(number)) {
        return negative ? -*plain : *plain;
    }
    const auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), value);
    (void)end;
    if (ec == std::errc::result_out_of_range) {
        value = isTooLarge(number) ? std::numeric_limits<double>::infinity() : 0.0;
    } else if (ec != std::errc()) {
        value = 0.0;
    }
    return negative ? -value : value;
}

} // namespace

double Val(std::string_view text) {
    std::size_t pos = 0;
    while (pos < text.size() && (IsBlankChar(text[pos]) || text[pos] == '\r' || text[pos] == '\n')) {
        ++pos;
    }
    const std::size_t end = scanNumber(text, pos);
    if (end == pos) {
        return 0.0;
    }
    return convertNumber(text.substr(pos, end - pos));
}

std::optional<double> ParseDecimalNumber(std::string_view text) {
    text = TrimBlanks(text);
    if (text.empty() || scanNumber(text, 0) != text.size()) {
        return std::nullopt;
    }
    const double value = convertNumber(text);
    if (std::isinf(value)) {
        return std::nullopt; // too large for any numeric type the settings use
    }
    return value;
}

double RoundHalfEven(double value) {
    if (!std::isfinite(value)) {
        return value;
    }
    const double below = std::floor(value);
    const double fraction = value - below;
    if (fraction < 0.5) {
        return below;
    }
    if (fraction > 0.5) {
        return below + 1.0;
    }
    return std::fmod(below, 2.0) == 0.0 ? below : below + 1.0;
}

std::int32_t ValToRecordNumber(std::string_view text) {
    const double rounded = RoundHalfEven(Val(text));
    constexpr auto kMin = static_cast<double>(std::numeric_limits<std::int32_t>::min());
    constexpr auto kMax = static_cast<double>(std::numeric_limits<std::int32_t>::max());
    if (rounded <= kMin) {
        return std::numeric_limits<std::int32_t>::min();
    }
    if (rounded >= kMax) {
        return std::numeric_limits<std::int32_t>::max();
    }
    return static_cast<std::int32_t>(rounded);
}

} // namespace zentu
