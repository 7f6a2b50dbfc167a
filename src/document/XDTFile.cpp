#include "XDTFile.h"

#include <algorithm>
#include <array>
#include <cstring>

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

namespace {

// Length of the UTF-8 sequence at S[I] and its code point; 0 when the bytes there are not one
// (a stray or missing continuation byte, an overlong form, a surrogate, beyond U+10FFFF).
size_t Utf8Sequence(std::string_view S, size_t I, char32_t& Cp) {
    const unsigned char C = static_cast<unsigned char>(S[I]);
    if (C < 0x80) {
        Cp = C;
        return 1;
    }
    size_t N;
    char32_t Min;
    if (C >= 0xC2 && C <= 0xDF)
        N = 2, Min = 0x80, Cp = C & 0x1F;
    else if (C >= 0xE0 && C <= 0xEF)
        N = 3, Min = 0x800, Cp = C & 0x0F;
    else if (C >= 0xF0 && C <= 0xF4)
        N = 4, Min = 0x10000, Cp = C & 0x07;
    else
        return 0;
    if (S.size() - I < N) return 0;
    for (size_t K = 1; K < N; ++K) {
        const unsigned char D = static_cast<unsigned char>(S[I + K]);
        if ((D & 0xC0) != 0x80) return 0;
        Cp = (Cp << 6) | (D & 0x3F);
    }
    if (Cp < Min || Cp > 0x10FFFF || (Cp >= 0xD800 && Cp <= 0xDFFF)) return 0;
    return N;
}

// Windows-1252 byte of a code point; 0 when the set has none.
unsigned char AnsiOf(char32_t Cp) {
    static constexpr char16_t kHigh[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                           0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                           0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                           0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
    if (Cp < 0x80 || (Cp >= 0xA0 && Cp <= 0xFF)) return static_cast<unsigned char>(Cp);
    for (int K = 0; K < 32; ++K)
        if (kHigh[K] != 0 && kHigh[K] == Cp) return static_cast<unsigned char>(0x80 + K);
    return 0;
}

} // namespace

std::string ConvertCodierungStr(int Codierung, std::string_view S) {
    // The classic conversion keeps every byte in its place; UTF-8 goes through ConvertCodierungTo.
    std::string R(S);
    ConvertCodierungInPlace(Codierung, R.data(), R.size());
    return R;
}

void ConvertCodierungTo(int Codierung, std::string_view S, std::string& Out) {
    if (Codierung != cdUTF8) {
        Out.assign(S);
        ConvertCodierungInPlace(Codierung, Out.data(), Out.size());
        return;
    }
    Out.resize(S.size());
    size_t O = 0;
    for (size_t I = 0; I < S.size();) {
        char32_t Cp;
        const size_t N = Utf8Sequence(S, I, Cp);
        if (N == 0) {
            Out[O++] = 0; // one invalid mark per byte that starts no sequence
            ++I;
        } else {
            Out[O++] = char(Cp < 0x20 ? 0 : AnsiOf(Cp));
            I += N;
        }
    }
    Out.resize(O);
}

namespace {
// The UTF-8 text as ConvertCodierungTo converts it, one character at a time: Visit(Char) for each,
// until it returns false.
template <class TVisit> void EachUtf8Char(std::string_view S, TVisit&& Visit) {
    for (size_t I = 0; I < S.size();) {
        char32_t Cp;
        const size_t N = Utf8Sequence(S, I, Cp);
        const char C = N == 0 ? char(0) : char(Cp < 0x20 ? 0 : AnsiOf(Cp));
        I += N == 0 ? 1 : N;
        if (!Visit(C)) return;
    }
}
} // namespace

void MeasureCodierung(int Codierung, std::string_view S, int64_t& Length, bool& Invalid) {
    Invalid = false;
    if (Codierung != cdUTF8) {
        Length = int64_t(S.size());
        if (Codierung < cdFirst || Codierung > cdLast) {
            Invalid = std::memchr(S.data(), 0, S.size()) != nullptr;
            return;
        }
        const Table& T = kTables[Codierung - 1];
        for (unsigned char C : S)
            if (T[C] == 0) {
                Invalid = true;
                return;
            }
        return;
    }
    int64_t N = 0;
    EachUtf8Char(S, [&](char C) {
        ++N;
        Invalid |= C == 0;
        return true;
    });
    Length = N;
}

void ConvertCodierungWindow(int Codierung, std::string_view S, int64_t From, int64_t Count,
                            std::string& Out) {
    Out.clear();
    if (From < 0) Count += From, From = 0;
    if (Count <= 0) return;
    if (Codierung != cdUTF8) {
        if (From >= int64_t(S.size())) return;
        Out.assign(S.substr(size_t(From), size_t(std::min<int64_t>(Count, int64_t(S.size()) - From))));
        ConvertCodierungInPlace(Codierung, Out.data(), Out.size());
        return;
    }
    int64_t Pos = 0;
    EachUtf8Char(S, [&](char C) {
        if (Pos++ >= From) Out.push_back(C);
        return int64_t(Out.size()) < Count;
    });
}

bool LooksLikeUtf8(std::string_view S) {
    bool Multi = false;
    for (size_t I = 0; I < S.size();) {
        if (static_cast<unsigned char>(S[I]) < 0x80) {
            ++I;
            continue;
        }
        char32_t Cp;
        const size_t N = Utf8Sequence(S, I, Cp);
        if (N == 0) {
            // A sequence cut by the end of a prefix is not a fault of the file.
            const unsigned char C = static_cast<unsigned char>(S[I]);
            const size_t Want = C >= 0xF0 ? 4 : C >= 0xE0 ? 3 : 2;
            if (C >= 0xC2 && C <= 0xF4 && S.size() - I < Want) break;
            return false;
        }
        Multi = true;
        I += N;
    }
    return Multi;
}

std::string DisplayCodierungName(int Codierung) {
    if (Codierung == cdAnsi) return "ANSI (Windows-1252)";
    if (Codierung == cdUTF8) return "UTF-8";
    return CodierungName(Codierung);
}

std::string CodierungName(int Codierung) {
    if (Codierung < cdFirst || Codierung > cdLast) return {};
    return kNames[Codierung - 1];
}
