// One table of cases for the CP932 codec, run against iconv on Linux and against Windows' code page 932 on Windows
// (under Wine in the cross build), so both conversions give the same bytes and the same refusals.

#include "text/Cp932Codec.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace zentu {
namespace {

enum class Way {
    Both,          ///< UTF-8 and CP932 convert into each other
    DecodeOnly,    ///< the bytes read as this character, which is written with other bytes (a duplicate code)
    EncodeRefused, ///< the character is refused when written
    DecodeRefused, ///< the bytes are refused when read
};

struct Case {
    const char* what;
    std::string_view utf8;
    std::string_view cp932;
    Way way;
    /// Where glibc's iconv and Windows' code page 932 would differ on their own, and which way is kept.
    const char* note = "";
};

using namespace std::string_view_literals;

const Case kCases[] = {
    {"ASCII, backslash and tilde", "JA1ABC ~\\", "JA1ABC ~\\", Way::Both},
    {"half-width katakana", "ｱｲｳﾞ", "\xB1\xB2\xB3\xDE", Way::Both},
    {"hiragana and katakana", "ぁアヴ", "\x82\x9F\x83\x41\x83\x94", Way::Both},
    {"ideographic space", "\u3000", "\x81\x40", Way::Both},
    {"kanji with a trail byte like a backslash", "表ソ", "\x95\x5C\x83\x5C", Way::Both},
    {"kanji of both JIS levels", "亜熙", "\x88\x9F\xEA\xA4", Way::Both},
    {"NEC special characters", "①Ⅰ№㈱", "\x87\x40\x87\x54\x87\x82\x87\x8A", Way::Both},
    {"IBM extensions", "ⅰ￤髙﨑黑", "\xFA\x40\xFA\x55\xFB\xFC\xFA\xB1\xFC\x4B", Way::Both},
    {"full-width tilde U+FF5E", "\uFF5E", "\x81\x60", Way::Both},
    {"Microsoft's full-width forms", "\u2225\uFF0D\uFFE0\uFFE1\uFFE2\u2015\uFF3C",
     "\x81\x61\x81\x7C\x81\x91\x81\x92\x81\xCA\x81\x5C\x81\x5F", Way::Both},
    {"user-defined area", "\uE000\uE757", "\xF0\x40\xF9\xFC", Way::Both},

    {"NEC-selected IBM extension", "\u7E8A", "\xED\x40", Way::DecodeOnly, "written as the IBM extension FA 5C"},
    {"NEC-selected small roman numeral", "\u2170", "\xEE\xEF", Way::DecodeOnly, "written as FA 40"},
    {"NEC-selected not sign", "\uFFE2", "\xEE\xF9", Way::DecodeOnly, "written as 81 CA"},
    {"NEC row 13 duplicates of row 2", "\u2252\u2235", "\x87\x90\x87\x9A", Way::DecodeOnly,
     "written as 81 E0 and 81 E6"},
    {"IBM duplicates", "\u2160\uFFE2\u2235", "\xFA\x4A\xFA\x54\xFA\x5B", Way::DecodeOnly,
     "written as 87 54, 81 CA and 81 E6"},

    {"wave dash U+301C", "\u301C", "", Way::EncodeRefused, "glibc: 81 60 (reads back as U+FF5E); Windows: refused"},
    {"double vertical line U+2016", "\u2016", "", Way::EncodeRefused, "glibc: 81 61 (U+2225); Windows: refused"},
    {"minus sign U+2212", "\u2212", "", Way::EncodeRefused, "glibc: 81 7C (U+FF0D); Windows: refused"},
    {"cent sign", "\u00A2", "", Way::EncodeRefused, "glibc: 81 91 (U+FFE0); Windows: refused"},
    {"pound sign", "\u00A3", "", Way::EncodeRefused, "glibc: 81 92 (U+FFE1); Windows: refused"},
    {"not sign U+00AC", "\u00AC", "", Way::EncodeRefused, "glibc: 81 CA (U+FFE2); Windows: refused"},
    {"em dash U+2014", "\u2014", "", Way::EncodeRefused, "glibc: 81 5C (U+2015); Windows: refused"},
    {"yen sign", "\u00A5", "", Way::EncodeRefused, "glibc: 5C, the path separator; Windows: refused"},
    {"overline", "\u203E", "", Way::EncodeRefused, "glibc: 7E; Windows: refused"},
    {"U+0080", "\u0080", "", Way::EncodeRefused, "glibc: refused; Windows: 80"},
    {"private characters Windows keeps for single bytes", "\uF8F0\uF8F3", "", Way::EncodeRefused,
     "glibc: refused; Windows: A0 and FF"},
    {"Latin letter with accent", "é", "", Way::EncodeRefused, "Windows' best fit would give \"e\""},
    {"euro sign", "€", "", Way::EncodeRefused},
    {"kanji CP932 lacks", "鷗", "", Way::EncodeRefused},
    {"hangul", "가", "", Way::EncodeRefused},
    {"parenthesized digit", "⑴", "", Way::EncodeRefused},
    {"character beyond U+FFFF", "\U0001F600", "", Way::EncodeRefused},
    {"broken UTF-8: overlong", "\xC0\x80", "", Way::EncodeRefused},
    {"broken UTF-8: surrogate", "\xED\xA0\x80", "", Way::EncodeRefused},

    {"single byte 80", "", "\x80", Way::DecodeRefused, "glibc: refused; Windows: U+0080"},
    {"single byte A0", "", "\xA0", Way::DecodeRefused, "glibc: refused; Windows: U+F8F0"},
    {"single bytes FD to FF", "", "\xFD\xFE\xFF", Way::DecodeRefused, "glibc: refused; Windows: U+F8F1 to U+F8F3"},
    {"unassigned row", "", "\x85\x40", Way::DecodeRefused},
    {"unassigned cell of row 2", "", "\x81\xAD", Way::DecodeRefused},
    {"lead byte before a byte that cannot follow it", "", "\x82\x20", Way::DecodeRefused},
};

std::string Described(const Case& c) {
    return std::string(c.what) + (*c.note != '\0' ? std::string(" (") + c.note + ")" : std::string());
}

TEST(Cp932TableTest, ConvertsAndRefusesTheSameWayOnEveryPlatform) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(Described(c));
        switch (c.way) {
        case Way::Both: {
            const CodecResult encoded = Cp932Codec::encode(c.utf8);
            EXPECT_TRUE(encoded.ok);
            EXPECT_EQ(encoded.text, c.cp932);
            [[fallthrough]];
        }
        case Way::DecodeOnly: {
            const CodecResult decoded = Cp932Codec::decode(c.cp932);
            EXPECT_TRUE(decoded.ok);
            EXPECT_EQ(decoded.text, c.utf8);
            break;
        }
        case Way::EncodeRefused: {
            // Behind a character that converts, so the place of the refusal and the text before it are checked.
            const CodecResult encoded = Cp932Codec::encode("ア" + std::string(c.utf8) + "b");
            EXPECT_FALSE(encoded.ok);
            EXPECT_EQ(encoded.failedAt, 3u);
            EXPECT_EQ(encoded.text, "\x83\x41");
            break;
        }
        case Way::DecodeRefused: {
            const CodecResult decoded = Cp932Codec::decode("\x83\x41" + std::string(c.cp932) + "b");
            EXPECT_FALSE(decoded.ok);
            EXPECT_EQ(decoded.failedAt, 2u);
            EXPECT_EQ(decoded.text, "ア");
            break;
        }
        }
    }
}

TEST(Cp932TableTest, ALeadByteOrAUtf8CharacterCutAtTheEndIsRefusedWhereItStarts) {
    const CodecResult decoded = Cp932Codec::decode("ab\x82");
    EXPECT_FALSE(decoded.ok);
    EXPECT_EQ(decoded.failedAt, 2u);
    EXPECT_EQ(decoded.text, "ab");

    const CodecResult encoded = Cp932Codec::encode("表\xE3\x81");
    EXPECT_FALSE(encoded.ok);
    EXPECT_EQ(encoded.failedAt, 3u);
    EXPECT_EQ(encoded.text, "\x95\x5C");
}

} // namespace
} // namespace zentu
