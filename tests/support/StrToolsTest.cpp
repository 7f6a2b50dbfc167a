#include "support/StrTools.h"
#include "support/IniFile.h"

#include <gtest/gtest.h>

namespace {
const TFormatSettings kGerman{'.', ','};
std::string Size(int64_t S) {
    return FormatFileSize(2, true, S, kGerman);
}
} // namespace

TEST(FileSizeText, EveryUnitBoundary) {
    EXPECT_EQ(Size(0), "0 Byte");
    EXPECT_EQ(Size(999), "999 Byte");
    EXPECT_EQ(Size(1024), "1.024 Byte");
    EXPECT_EQ(Size(1025), "1,00 KB (1.025 Byte)");
    EXPECT_EQ(Size(1536), "1,50 KB (1.536 Byte)");
    EXPECT_EQ(Size(1048576), "1.024,00 KB (1.048.576 Byte)");
    EXPECT_EQ(Size(1048577), "1,00 MB (1.048.577 Byte)");
    EXPECT_EQ(Size(1073741824), "1.024,00 MB (1.073.741.824 Byte)");
    EXPECT_EQ(Size(1073741825), "1,00 GB (1.073.741.825 Byte)");
    // Above 4 GiB the full 64-bit count is shown.
    EXPECT_EQ(Size(5368709120LL), "5,00 GB (5.368.709.120 Byte)");
    EXPECT_EQ(Size(1099511627776LL), "1.024,00 GB (1.099.511.627.776 Byte)");
}

TEST(FileSizeText, OtherForms) {
    EXPECT_EQ(FormatFileSize(-1, true, 1536, kGerman), "1.536 Byte");
    EXPECT_EQ(FormatFileSize(1, false, 1536, kGerman), "1,5 KB");
    EXPECT_EQ(FormatFileSize(0, false, 2048, kGerman), "2 KB");
    EXPECT_EQ(FormatFileSize(2, false, 1024, kGerman), "1.024 Byte");
    EXPECT_EQ(FormatFileSize(2, true, 1048577, TFormatSettings{',', '.'}), "1.00 MB (1,048,577 Byte)");
    // Rounding to the given decimals, not truncation.
    EXPECT_EQ(FormatFileSize(2, false, 1048576 + 1048576 * 999 / 1000, kGerman), "2,00 MB");
}

TEST(FileSizeText, AnExactHalfRoundsAwayFromZero) {
    // 1152 bytes are 1.125 KB exactly; 1179648 bytes 1.125 MB.
    EXPECT_EQ(Size(1152), "1,13 KB (1.152 Byte)");
    EXPECT_EQ(Size(1179648), "1,13 MB (1.179.648 Byte)");
    EXPECT_EQ(Size(1664), "1,63 KB (1.664 Byte)"); // 1.625
    EXPECT_EQ(FormatNumber(2.5, 0, kGerman), "3");
    EXPECT_EQ(FormatNumber(-0.125, 2, kGerman), "-0,13");
    EXPECT_EQ(FormatNumber(1234567.5, 0, kGerman), "1.234.568");
    // Values off the half keep their nearest neighbour; zeros and large values keep their form.
    EXPECT_EQ(FormatNumber(1.1249, 2, kGerman), "1,12");
    EXPECT_EQ(FormatNumber(0.004, 2, kGerman), "0,00");
    EXPECT_EQ(FormatNumber(0.0, 3, kGerman), "0,000");
    EXPECT_EQ(FormatNumber(1e20, 2, kGerman), "100.000.000.000.000.000.000,00");
}

TEST(StringTools, TrimAndPad) {
    const TCharSet Digits = CharSetOf("0123456789");
    EXPECT_EQ(TrimChars("0815", Digits), "");
    EXPECT_EQ(TrimChars("08A5", Digits), "A");
    EXPECT_EQ(TrimChars("", Digits), "");
    EXPECT_EQ(TrimChars("1a b2", Digits), "a b");
    EXPECT_EQ(PadToWidth("abc", 5), "abc  ");
    EXPECT_EQ(PadToWidth("abc", 2), "ab");
    EXPECT_EQ(PadToWidth("abc", 0), "");
    EXPECT_EQ(PadToWidth("abc", -3), "");
}

TEST(StringTools, PositionsAndPrefixes) {
    EXPECT_EQ(PosFrom("b", "abcb", 1), 2);
    EXPECT_EQ(PosFrom("b", "abcb", 3), 4);
    EXPECT_EQ(PosFrom("b", "abcb", 4), 4);
    EXPECT_EQ(PosFrom("b", "abcb", 5), 0);
    EXPECT_EQ(PosFrom("b", "abcb", 0), 0);
    EXPECT_EQ(PosFrom("", "abcb", 1), 0);
    EXPECT_EQ(PosFrom("cbx", "abcb", 1), 0); // a match may not run past the end
    EXPECT_EQ(PosFrom("B", "abcb", 1), 0);   // case matters
    const std::string Bin("a\0b\0b", 5);
    EXPECT_EQ(PosFrom(std::string_view("\0b", 2), Bin, 3), 4);

    const char Buf[] = "xxabyy";
    EXPECT_EQ(PosInBuffer("ab", Buf, 4), 3);
    EXPECT_EQ(PosInBuffer("ab", Buf, 3), 0); // only the first Length bytes are read
    EXPECT_EQ(PosInBuffer("ab", nullptr, 4), 0);

    EXPECT_TRUE(StartsWith("0102", "010"));
    EXPECT_FALSE(StartsWith("0102", ""));
    EXPECT_FALSE(StartsWith("01", "010"));
    EXPECT_FALSE(StartsWith("0102", "0101"));
}

TEST(StringTools, NextVisibleMatch) {
    int Pos = 1, Len = -1;
    EXPECT_EQ(NextVisibleMatch("ab", "xxabxxab", Pos, 1, 5, Len), 3);
    EXPECT_EQ(Len, 2);
    EXPECT_EQ(Pos, 5);
    EXPECT_EQ(NextVisibleMatch("ab", "xxabxxab", Pos, 1, 5, Len), 0); // starts beyond the window
    EXPECT_EQ(Len, 0);

    // Cut on the left.
    Pos = 1;
    EXPECT_EQ(NextVisibleMatch("abcd", "xabcd", Pos, 3, 10, Len), 3);
    EXPECT_EQ(Len, 3);
    // Cut on the right.
    Pos = 1;
    EXPECT_EQ(NextVisibleMatch("abcd", "xxxabcd", Pos, 1, 5, Len), 4);
    EXPECT_EQ(Len, 2);
    // Occurrences do not overlap.
    Pos = 1;
    EXPECT_EQ(NextVisibleMatch("aa", "aaa", Pos, 1, 10, Len), 1);
    EXPECT_EQ(NextVisibleMatch("aa", "aaa", Pos, 1, 10, Len), 0);
    // An occurrence that ends left of the window is skipped.
    Pos = 1;
    EXPECT_EQ(NextVisibleMatch("ab", "abxxxab", Pos, 4, 10, Len), 6);
    EXPECT_EQ(Len, 2);

    // Degenerate arguments.
    for (auto [Sub, S, P, First, Vis] :
         {std::tuple{"", "abc", 1, 1, 5}, std::tuple{"a", "", 1, 1, 5}, std::tuple{"a", "abc", 1, 0, 5},
          std::tuple{"a", "abc", 1, 1, 0}, std::tuple{"a", "abc", 4, 1, 5},
          std::tuple{"a", "abc", 1, 1, -2147483647},
          std::tuple{"a", "abc", 2147483647, 2147483647, 2147483647}}) {
        int Position = P;
        EXPECT_EQ(NextVisibleMatch(Sub, S, Position, First, Vis, Len), 0);
        EXPECT_EQ(Len, 0);
    }
}

TEST(StringTools, StandardIntegerConversion) {
    int32_t V = 0;
    EXPECT_TRUE(TryStrToInt("8000", V));
    EXPECT_EQ(V, 8000);
    EXPECT_TRUE(TryStrToInt("  -12", V));
    EXPECT_EQ(V, -12);
    EXPECT_TRUE(TryStrToInt("+7", V));
    EXPECT_EQ(V, 7);
    EXPECT_TRUE(TryStrToInt("-2147483648", V));
    EXPECT_EQ(V, INT32_MIN);
    for (const char* Bad :
         {"", " ", "-", "+", "2 ", "8a00", "2147483648", "99999999999999999999", "1.5", "\t1"})
        EXPECT_FALSE(TryStrToInt(Bad, V)) << Bad;
}

TEST(IniPath, ExtensionIsReplaced) {
    EXPECT_EQ(IniFileNameFor("C:\\Tools\\VIEWER.EXE"), "C:\\Tools\\VIEWER.INI");
    EXPECT_EQ(IniFileNameFor("/usr/bin/ostrel"), "/usr/bin/ostrel.INI");
    EXPECT_EQ(IniFileNameFor("/opt/my.tools/ostrel"), "/opt/my.tools/ostrel.INI");
    EXPECT_EQ(IniFileNameFor("/opt/ostrel.bin.exe"), "/opt/ostrel.bin.INI");
    EXPECT_NE(IniFileName().find(".INI"), std::string::npos);
}
