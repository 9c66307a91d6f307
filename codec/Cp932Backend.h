#pragma once

// The platform's part of the CP932 codec: the raw conversions of whole texts. One file per platform
// (Cp932_iconv.cpp, Cp932_windows.cpp); Cp932.cpp builds the public calls on them.
//
// Both give the same bytes and the same refusals. A CP932 character here is one that converts both ways to
// itself: characters that a converter maps one way only are refused.
//   - UTF-8 to CP932: glibc's iconv also maps U+00A2, U+00A3, U+00A5, U+00AC, U+2014, U+2016, U+203E, U+2212
//     and U+301C (the wave dash) to the bytes of other characters (U+FFE0, U+FFE1, "\", U+FFE2, U+2015, U+2225,
//     "~", U+FF0D, U+FF5E), which Windows refuses. They are refused: text read back would not be the text
//     written, and a yen sign would turn into the path separator.
//   - Windows also maps the single bytes 0x80, 0xA0, 0xFD, 0xFE and 0xFF both ways (to and from U+0080 and the
//     private characters U+F8F0 to U+F8F3), which glibc refuses. They are refused: CP932 defines no character
//     there, and no CP932 text holds them.
// Every other character and every double-byte pair converts the same way on both.

#include "codec/Cp932.h"

#include <string_view>

namespace zentu::codec::detail {

/// UTF-8 (not all ASCII) to CP932. Stops at invalid UTF-8 and at a character CP932 lacks.
Converted ConvertToCp932(std::string_view utf8);

/// CP932 (not all ASCII) to UTF-8. Stops at a byte sequence that is not a CP932 character.
Converted ConvertToUtf8(std::string_view cp932);

} // namespace zentu::codec::detail
