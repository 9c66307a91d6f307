#include "text/Cp932Codec.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>

namespace zentu {
namespace {

TEST(Cp932Codec, RoundTripsJapaneseTextIncludingTrailBytesThatLookLikeBackslash) {
    // ソ and 表 end in 0x5C; ｱ is a half-width katakana of one byte; 　 is the ideographic space.
    const std::string utf8 = "ソ表 ｱｲｳ アイウ　C:\\Hamlog\\ログ.hdb";
    const CodecResult encoded = Cp932Codec::encode(utf8);
    ASSERT_TRUE(encoded.ok);
    EXPECT_EQ(encoded.text.substr(0, 5), std::string("\x83\x5C\x95\x5C ", 5));
    EXPECT_EQ(encoded.text.substr(5, 3), "\xB1\xB2\xB3");
    EXPECT_EQ(encoded.text.substr(15, 2), "\x81\x40");

    const CodecResult decoded = Cp932Codec::decode(encoded.text);
    ASSERT_TRUE(decoded.ok);
    EXPECT_EQ(decoded.text, utf8);
}

TEST(Cp932Codec, PassesAsciiThroughUnchanged) {
    const std::string ascii = std::string("JA1ABC,\"599\"\r\n") + '\0' + "~\\";
    EXPECT_TRUE(Cp932Codec::isAscii(ascii));
    EXPECT_EQ(Cp932Codec::encode(ascii).text, ascii);
    EXPECT_EQ(Cp932Codec::decode(ascii).text, ascii);
    EXPECT_FALSE(Cp932Codec::isAscii("ア"));
}

TEST(Cp932Codec, ReportsWhereEncodingFailsAndKeepsTheTextBefore) {
    const CodecResult emoji = Cp932Codec::encode("ab\xF0\x9F\x98\x80"
                                                 "cd"); // U+1F600 is not in CP932
    EXPECT_FALSE(emoji.ok);
    EXPECT_EQ(emoji.failedAt, 2u);
    EXPECT_EQ(emoji.text, "ab");

    const CodecResult brokenUtf8 = Cp932Codec::encode("アx\xC3");
    EXPECT_FALSE(brokenUtf8.ok);
    EXPECT_EQ(brokenUtf8.failedAt, 4u);
    EXPECT_EQ(brokenUtf8.text, "\x83\x41x");
}

TEST(Cp932Codec, ReportsWhereDecodingFails) {
    const CodecResult badTrail = Cp932Codec::decode("A\x81\x20Z");
    EXPECT_FALSE(badTrail.ok);
    EXPECT_EQ(badTrail.failedAt, 1u);
    EXPECT_EQ(badTrail.text, "A");

    const CodecResult cutAtEnd = Cp932Codec::decode("\x83\x41\x83");
    EXPECT_FALSE(cutAtEnd.ok);
    EXPECT_EQ(cutAtEnd.failedAt, 2u);
    EXPECT_EQ(cutAtEnd.text, "ア");
}

TEST(Cp932Codec, LossyDecodingReplacesEachBadByteAndGoesOn) {
    EXPECT_EQ(Cp932Codec::decodeLossy("A\x81\x20Z"), "A\xEF\xBF\xBD Z");
    EXPECT_EQ(Cp932Codec::decodeLossy("\x83\x41\x83"), "ア\xEF\xBF\xBD");
    EXPECT_EQ(Cp932Codec::decodeLossy("\x83\x5C"), "ソ");
}

TEST(Cp932Codec, LossyEncodingPutsOneQuestionMarkPerMissingCharacter) {
    EXPECT_EQ(Cp932Codec::encodeLossy("a\xF0\x9F\x98\x80\xF0\x9F\x98\x80"
                                      "ソ"),
              "a??\x83\x5C");
    EXPECT_EQ(Cp932Codec::encodeLossy("x\xC3"), "x?");
    EXPECT_EQ(Cp932Codec::encodeLossy("\x80\x80y"), "??y");
}

TEST(Cp932Codec, ConvertsLongTextAndOnOtherThreads) {
    std::string utf8;
    for (int i = 0; i < 2000; ++i) {
        utf8 += "ｱ表"; // every character grows from one or two bytes to three in UTF-8
    }
    const std::string cp932 = Cp932Codec::encode(utf8).text;
    ASSERT_EQ(cp932.size(), 6000u);
    EXPECT_EQ(Cp932Codec::decode(cp932).text, utf8);

    std::string fromThread;
    std::thread worker([&] { fromThread = Cp932Codec::decode(cp932).text; });
    worker.join();
    EXPECT_EQ(fromThread, utf8);
}

} // namespace
} // namespace zentu
