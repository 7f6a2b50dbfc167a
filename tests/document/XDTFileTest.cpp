#include "document/XDTFile.h"

#include <gtest/gtest.h>

#include <map>

namespace {

// Expected conversion of every byte, written from the published code page tables independently of the
// program's own tables: -1 stands for "same".
int Expected7Bit(int C) {
    static const std::map<int, int> Moved = {{0x40, 0xA7}, {0x5B, 0xC4}, {0x5C, 0xD6}, {0x5D, 0xDC},
                                             {0x7B, 0xE4}, {0x7C, 0xF6}, {0x7D, 0xFC}, {0x7E, 0xDF}};
    if (auto It = Moved.find(C); It != Moved.end()) return It->second;
    return (C >= 0x20 && C <= 0x7A) ? C : 0;
}

int ExpectedIBM(int C) {
    static const std::map<int, int> Moved = {
        {0x15, 0xA7}, {0x81, 0xFC}, {0x82, 0xE9}, {0x83, 0xE2}, {0x84, 0xE4}, {0x85, 0xE0},
        {0x87, 0xE7}, {0x88, 0xEA}, {0x8A, 0xE8}, {0x8E, 0xC4}, {0x94, 0xF6}, {0x99, 0xD6},
        {0x9A, 0xDC}, {0xA0, 0xE1}, {0xAB, 0xBD}, {0xE1, 0xDF}, {0xE6, 0xB5}, {0xF8, 0xB0}};
    if (auto It = Moved.find(C); It != Moved.end()) return It->second;
    return (C >= 0x20 && C <= 0x7A && C != 0x40 && C != 0x5C) ? C : 0;
}

int ExpectedISO1(int C) {
    const std::string Upper =
        "\xA1\xA7\xB0\xB5\xBA\xBD\xC4\xC5\xC6\xC7\xC9\xD1\xD6\xDC\xDF\xE0\xE1\xE2\xE4\xE5\xE6"
        "\xE7\xE8\xE9\xEA\xEB\xEC\xED\xEE\xEF\xF1\xF2\xF3\xF4\xF6\xF9\xFA\xFB\xFC\xFF";
    if (C >= 0x20 && C <= 0x7A && C != 0x5C) return C;
    return Upper.find(char(C)) != std::string::npos ? C : 0;
}

int ExpectedISO15(int C) {
    static const std::map<int, int> Moved = {{0xA4, 0x80}, {0xA6, 0x8A}, {0xA8, 0x9A}, {0xB4, 0x8E},
                                             {0xB8, 0x9E}, {0xBC, 0x8C}, {0xBD, 0x9C}, {0xBE, 0x9F}};
    if (auto It = Moved.find(C); It != Moved.end()) return It->second;
    return (C >= 0x20 && C <= 0x7F) || C >= 0xA1 ? C : 0;
}

} // namespace

TEST(CharacterSets, EveryByteOfEverySet) {
    for (int C = 0; C < 256; ++C) {
        const auto B = static_cast<unsigned char>(C);
        EXPECT_EQ(ConvertCodierungChar(cd7Bit, B), Expected7Bit(C)) << "set 1, byte " << C;
        EXPECT_EQ(ConvertCodierungChar(cdIBM, B), ExpectedIBM(C)) << "set 2, byte " << C;
        EXPECT_EQ(ConvertCodierungChar(cdISO1, B), ExpectedISO1(C)) << "set 3, byte " << C;
        EXPECT_EQ(ConvertCodierungChar(cdISO15, B), ExpectedISO15(C)) << "set 4, byte " << C;
        EXPECT_EQ(ConvertCodierungChar(cdNone, B), C);
        EXPECT_EQ(ConvertCodierungChar(5, B), C);
        EXPECT_EQ(ConvertCodierungChar(-1, B), C);
    }
}

TEST(CharacterSets, WhereTheSetsDiffer) {
    EXPECT_EQ(ConvertCodierungStr(cd7Bit, "[\\]{|}~@"), "\xC4\xD6\xDC\xE4\xF6\xFC\xDF\xA7");
    EXPECT_EQ(ConvertCodierungStr(cdIBM, "\x81@"), std::string("\xFC\0", 2));
    EXPECT_EQ(ConvertCodierungStr(cdISO1, "\xE9\xE3"), std::string("\xE9\0", 2));
    EXPECT_EQ(ConvertCodierungStr(cdISO15, "\xA4\xE3"), "\x80\xE3");
    // The at sign, the backslash and DEL.
    EXPECT_EQ(ConvertCodierungStr(cdISO1, "@\\\x7F"), std::string("@\0\0", 3));
    EXPECT_EQ(ConvertCodierungStr(cdISO15, "@\\\x7F"), "@\\\x7F");
    for (int Set = cd7Bit; Set <= cdISO15; ++Set)
        EXPECT_EQ(ConvertCodierungStr(Set, "a\tb"), std::string("a\0b", 3));
    EXPECT_EQ(ConvertCodierungStr(cdNone, "a\tb"), "a\tb");
}

TEST(CharacterSets, StringsKeepTheirLength) {
    EXPECT_EQ(ConvertCodierungStr(7, "\x01\xFF[x"), "\x01\xFF[x");
    EXPECT_EQ(ConvertCodierungStr(cdIBM, ""), "");
    const std::string WithNul("a\0b", 3);
    EXPECT_EQ(ConvertCodierungStr(cdISO1, WithNul).size(), 3u);
}

TEST(CharacterSets, Names) {
    EXPECT_EQ(CodierungName(1), "7-bit-Code");
    EXPECT_EQ(CodierungName(2), "IBM-Code");
    EXPECT_EQ(CodierungName(3), "ISO 8859-1 Code");
    EXPECT_EQ(CodierungName(4), "ISO 8859-15 Code");
    EXPECT_EQ(CodierungName(0), "");
    EXPECT_EQ(CodierungName(5), "");
}

namespace {
std::string Utf8(std::string_view S) {
    std::string R;
    ConvertCodierungTo(cdUTF8, S, R);
    return R;
}
} // namespace

TEST(CharacterSets, Utf8IsDecodedIntoWindows1252) {
    // The length-keeping conversion leaves UTF-8 alone.
    EXPECT_EQ(ConvertCodierungStr(cdUTF8, "\xC3\xBC"), "\xC3\xBC");
    // Umlauts, the euro sign (a Windows-1252 extra), a character the set lacks (U+0100), a control.
    EXPECT_EQ(Utf8("M\xC3\xBCller \xE2\x82\xAC \xC4\x80\t"), std::string("M\xFCller \x80 \0\0", 11));
    // Overlong forms, a surrogate, a stray continuation byte, a cut sequence: one mark per byte that
    // starts no sequence, the rest kept.
    EXPECT_EQ(Utf8("a\xC0\xAF"
                   "b"),
              std::string("a\0\0b", 4));
    EXPECT_EQ(Utf8("\xE0\x80\xAF"), std::string(3, '\0'));
    EXPECT_EQ(Utf8("\xED\xA0\x80x"), std::string("\0\0\0x", 4));
    EXPECT_EQ(Utf8("\x80z\xC3"), std::string("\0z\0", 3));
    // ANSI shows the bytes as they stand.
    EXPECT_EQ(ConvertCodierungStr(cdAnsi, "\x80\xE4\t"), "\x80\xE4\t");
    EXPECT_EQ(DisplayCodierungName(cdUTF8), "UTF-8");
    EXPECT_EQ(DisplayCodierungName(cdISO15), "ISO 8859-15 Code");

    EXPECT_TRUE(LooksLikeUtf8("Gr\xC3\xB6\xC3\x9F"
                              "e"));
    EXPECT_FALSE(LooksLikeUtf8("plain ASCII")); // nothing multi-byte: no reason to choose it
    EXPECT_FALSE(LooksLikeUtf8("Gr\xF6\xDF"
                               "e"));                 // ISO 8859 umlauts
    EXPECT_FALSE(LooksLikeUtf8("\xC3\xA4 \xC0\x80")); // an overlong NUL
    EXPECT_TRUE(LooksLikeUtf8("\xC3\xA4 \xE2\x82"));  // cut at the end of a prefix
}
