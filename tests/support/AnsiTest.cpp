#include "support/Ansi.h"

#include <gtest/gtest.h>

TEST(Windows1252, RoundTripOfEveryByte) {
    for (int C = 0; C < 256; ++C) {
        const std::string S(1, char(C));
        const QString Q = AnsiToQString(S);
        ASSERT_EQ(Q.size(), 1);
        EXPECT_EQ(QStringToAnsi(Q), S) << C;
    }
    EXPECT_EQ(AnsiCharToUnicode(0x80), 0x20AC);
    EXPECT_EQ(AnsiCharToUnicode(0x9F), 0x0178);
    EXPECT_EQ(AnsiCharToUnicode(0x81), 0x0081); // undefined in the code page
    EXPECT_EQ(QStringToAnsi(QString::fromUtf8("\xE2\x82\xAC\xE4\xB8\xAD")), "\x80?");
}

TEST(Windows1252, UpperCaseKeepsPositions) {
    EXPECT_EQ(AnsiUpperCase("m\xFCller"), "M\xDCLLER");
    EXPECT_EQ(AnsiUpperCase("stra\xDF"
                            "e"),
              "STRA\xDF"
              "E"); // sharp s stays
    EXPECT_EQ(AnsiUpperCase("\xE4\xF6\xFC\x9A\x9C\xFF"), "\xC4\xD6\xDC\x8A\x8C\x9F");
    for (int C = 0; C < 256; ++C) EXPECT_EQ(AnsiUpperCase(std::string(1, char(C))).size(), 1u);
    const std::string WithNul("a\0b", 3);
    EXPECT_EQ(AnsiUpperCase(WithNul), std::string("A\0B", 3));
}

TEST(Windows1252, CaseInsensitiveComparison) {
    EXPECT_EQ(AnsiCompareText("adt0", "ADT0"), 0);
    EXPECT_EQ(AnsiCompareText("m\xFCller", "M\xDCLLER"), 0);
    EXPECT_LT(AnsiCompareText("3000", "8000"), 0);
    EXPECT_GT(AnsiCompareText("b", "A"), 0);
    EXPECT_NE(AnsiCompareText("0101", "0101 "), 0);
    EXPECT_LT(AnsiCompareText("", "0020"), 0);
}
