#include "text/TextHelpers.h"

#include <gtest/gtest.h>

#include <string>

namespace zentu {
namespace {

TEST(TextHelpers, CutAtNulKeepsTheTextBeforeTheFirstNul) {
    EXPECT_EQ(cut_at_nul(std::string("JA1ABC\0\0garbage", 15)), "JA1ABC");
    EXPECT_EQ(cut_at_nul(std::string("\0x", 2)), "");
    EXPECT_EQ(cut_at_nul(" 10/05/01 "), " 10/05/01 ");
}

TEST(TextHelpers, TrimBlanksRemovesSpacesAndTabsAtBothEndsOnly) {
    EXPECT_EQ(TrimBlanks(" \t a b \t "), "a b");
    EXPECT_EQ(TrimBlanks("   "), "");
    EXPECT_EQ(TrimBlanks("\x81\x40x\x81\x40"), "\x81\x40x\x81\x40"); // the ideographic space is not a blank
}

TEST(TextHelpers, RemoveAndReplaceWorkLeftToRightWithoutRescanning) {
    EXPECT_EQ(RemoveAll("JOB_name :JOB_name : Contest", "JOB_name :"), " Contest");
    EXPECT_EQ(RemoveAll("aabb", "ab"), "ab");
    EXPECT_EQ(RemoveAll("job_name : x", "JOB_name :"), "job_name : x");
    EXPECT_EQ(RemoveAll("abc", ""), "abc");
    EXPECT_EQ(ReplaceAll("a b　c", " ", "_"), "a_b　c");
    EXPECT_EQ(ReplaceAll("aaa", "a", "aa"), "aaaaaa");
}

TEST(TextHelpers, AnsiByteLengthCountsCp932Bytes) {
    EXPECT_EQ(AnsiByteLength(""), 0);
    EXPECT_EQ(AnsiByteLength("A"), 1);
    EXPECT_EQ(AnsiByteLength("ア"), 2);
    EXPECT_EQ(AnsiByteLength("ｱ"), 1);
    EXPECT_EQ(AnsiByteLength("C:\\ログ\\a b.hdb"), 15);
    EXPECT_EQ(AnsiByteLength("x\xF0\x9F\x98\x80"), 2); // a character CP932 lacks counts as "?"
}

TEST(TextHelpers, AnsiByteMidCutsCp932Bytes) {
    const std::string path = "C:\\Documents and Settings\\user\\My Documents\\Hamlog\\Hamlog.hdb";
    EXPECT_EQ(AnsiByteMid(path, 1, 34), "C:\\Documents and Settings\\user\\My ");
    EXPECT_EQ(AnsiByteMid("aｱbソc", 2, 3), "ｱb");
    EXPECT_EQ(AnsiByteMid("aｱbソc", 4, 2), "ソ");
    EXPECT_EQ(AnsiByteMid("abc", 2, 100), "bc");
}

TEST(TextHelpers, AnsiByteMidDropsHalvesOfDoubleByteCharacters) {
    // "ア表イ" is 83 41 | 95 5C | 83 43 in CP932.
    EXPECT_EQ(AnsiByteMid("ア表イ", 1, 3), "ア"); // ends inside 表
    EXPECT_EQ(AnsiByteMid("ア表イ", 2, 4), "表"); // starts on the trail byte of ア, ends inside イ
    EXPECT_EQ(AnsiByteMid("ア表イ", 4, 3), "イ"); // starts on the trail 0x5C of 表
    EXPECT_EQ(AnsiByteMid("ア表イ", 2, 1), "");
}

TEST(TextHelpers, AnsiByteMidOutOfRangeArgumentsGiveEmptyOrClampedText) {
    EXPECT_EQ(AnsiByteMid("abc", 1, 0), "");
    EXPECT_EQ(AnsiByteMid("abc", 1, -5), "");
    EXPECT_EQ(AnsiByteMid("abc", 4, 1), "");
    EXPECT_EQ(AnsiByteMid("abc", 0, 2), "ab");
    EXPECT_EQ(AnsiByteMid("abc", -3, 2), "ab");
}

TEST(TextHelpers, Cp932UpperAsciiLeavesDoubleByteCharactersAlone) {
    // ヂ is 83 61: its trail byte looks like "a" and must stay; ソ is 83 5C.
    const std::string text = std::string("rtty") + "\x83\x61" + "ssb" + "\x83\x5C" + "cw";
    EXPECT_EQ(Cp932UpperAscii(text), std::string("RTTY") + "\x83\x61" + "SSB" + "\x83\x5C" + "CW");
    EXPECT_EQ(Cp932UpperAscii("\xB1x"), "\xB1X"); // a half-width katakana takes no byte with it
    EXPECT_TRUE(IsCp932LeadByte(0x81));
    EXPECT_TRUE(IsCp932LeadByte(0xFC));
    EXPECT_FALSE(IsCp932LeadByte(0xA0));
    EXPECT_FALSE(IsCp932LeadByte(0xDF));
    EXPECT_FALSE(IsCp932LeadByte('a'));
}

TEST(TextHelpers, LetterCaseIsIgnoredOnlyForAsciiLetters) {
    EXPECT_TRUE(EqualIgnoringAsciiCase("Position_Main", "position_MAIN"));
    EXPECT_TRUE(EqualIgnoringAsciiCase("位置a", "位置A"));
    EXPECT_FALSE(EqualIgnoringAsciiCase("ab", "abc"));
    EXPECT_EQ(LowerAscii("Set_HDB位置"), "set_hdb位置");
    // ヂ (83 61) and ア (83 41) differ only in a trail byte that looks like a letter: different names in CP932.
    EXPECT_TRUE(Cp932EqualIgnoringAsciiCase("key\x83\x61", "KEY\x83\x61"));
    EXPECT_FALSE(Cp932EqualIgnoringAsciiCase("\x83\x61", "\x83\x41"));
}

} // namespace
} // namespace zentu
