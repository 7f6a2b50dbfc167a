#include "XDTFile.h"

#include <array>

namespace {

using Table = std::array<unsigned char, 256>;

// Keeps the bytes in [From, To] unchanged.
constexpr void Same(Table& T, int From, int To) {
    for (int C = From; C <= To; ++C) T[C] = static_cast<unsigned char>(C);
}

constexpr Table Make7Bit() {
    Table T{};
    Same(T, 0x20, 0x3F);
    T[0x40] = 0xA7;
    Same(T, 0x41, 0x5A);
    T[0x5B] = 0xC4;
    T[0x5C] = 0xD6;
    T[0x5D] = 0xDC;
    Same(T, 0x5E, 0x7A);
    T[0x7B] = 0xE4;
    T[0x7C] = 0xF6;
    T[0x7D] = 0xFC;
    T[0x7E] = 0xDF;
    return T;
}

constexpr Table MakeIBM() {
    Table T{};
    Same(T, 0x20, 0x3F);
    Same(T, 0x41, 0x5B);
    Same(T, 0x5D, 0x7A);
    const unsigned char Moves[][2] = {{0x15, 0xA7}, {0x81, 0xFC}, {0x82, 0xE9}, {0x83, 0xE2}, {0x84, 0xE4},
                                      {0x85, 0xE0}, {0x87, 0xE7}, {0x88, 0xEA}, {0x8A, 0xE8}, {0x8E, 0xC4},
                                      {0x94, 0xF6}, {0x99, 0xD6}, {0x9A, 0xDC}, {0xA0, 0xE1}, {0xAB, 0xBD},
                                      {0xE1, 0xDF}, {0xE6, 0xB5}, {0xF8, 0xB0}};
    for (const auto& M : Moves) T[M[0]] = M[1];
    return T;
}

constexpr Table MakeISO1() {
    Table T{};
    Same(T, 0x20, 0x5B);
    Same(T, 0x5D, 0x7A);
    const unsigned char Upper[] = {0xA1, 0xA7, 0xB0, 0xB5, 0xBA, 0xBD, 0xC4, 0xC5, 0xC6, 0xC7,
                                   0xC9, 0xD1, 0xD6, 0xDC, 0xDF, 0xE0, 0xE1, 0xE2, 0xE4, 0xE5,
                                   0xE6, 0xE7, 0xE8, 0xE9, 0xEA, 0xEB, 0xEC, 0xED, 0xEE, 0xEF,
                                   0xF1, 0xF2, 0xF3, 0xF4, 0xF6, 0xF9, 0xFA, 0xFB, 0xFC, 0xFF};
    for (unsigned char C : Upper) T[C] = C;
    return T;
}

constexpr Table MakeISO15() {
    Table T{};
    Same(T, 0x20, 0x7F);
    Same(T, 0xA1, 0xFF);
    const unsigned char Moves[][2] = {{0xA4, 0x80}, {0xA6, 0x8A}, {0xA8, 0x9A}, {0xB4, 0x8E},
                                      {0xB8, 0x9E}, {0xBC, 0x8C}, {0xBD, 0x9C}, {0xBE, 0x9F}};
    for (const auto& M : Moves) T[M[0]] = M[1];
    return T;
}

constexpr Table kTables[4] = {Make7Bit(), MakeIBM(), MakeISO1(), MakeISO15()};

const char* const kNames[4] = {"7-bit-Code", "IBM-Code", "ISO 8859-1 Code", "ISO 8859-15 Code"};

} // namespace

unsigned char ConvertCodierungChar(int Codierung, unsigned char C) {
    if (Codierung < cdFirst || Codierung > cdLast) return C;
    return kTables[Codierung - 1][C];
}

void ConvertCodierungInPlace(int Codierung, char* S, size_t Len) {
    if (Codierung < cdFirst || Codierung > cdLast) return;
    const Table& T = kTables[Codierung - 1];
    for (size_t I = 0; I < Len; ++I) S[I] = char(T[static_cast<unsigned char>(S[I])]);
}

std::string ConvertCodierungStr(int Codierung, std::string_view S) {
    std::string R(S);
    ConvertCodierungInPlace(Codierung, R.data(), R.size());
    return R;
}

std::string CodierungName(int Codierung) {
    if (Codierung < cdFirst || Codierung > cdLast) return {};
    return kNames[Codierung - 1];
}
