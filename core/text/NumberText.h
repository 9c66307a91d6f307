#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace zentu {

/// The leading decimal number of a text, as every numeric setting is read: leading blanks are skipped,
/// then an optional sign, digits, an optional fraction and an optional exponent are taken; the rest is
/// ignored. Blank or non-numeric text gives 0. A number too large for a double gives plus or minus infinity.
double Val(std::string_view text);

/// Strict reading of a whole text as a decimal number: optional blanks around it, an optional sign,
/// digits with an optional fraction, an optional exponent. Anything else (including the empty text)
/// gives no value, and so does a number too large for a double (a number too small becomes 0).
std::optional<double> ParseDecimalNumber(std::string_view text);

/// Rounds to the nearest whole number, a half going to the even neighbour (2.5 gives 2, 3.5 gives 4).
double RoundHalfEven(double value);

/// Val of a text rounded (half to even) to a 32-bit record number; out-of-range values are clamped.
std::int32_t ValToRecordNumber(std::string_view text);

} // namespace zentu
