// The string tools that search and draw matches. Input: one byte with the length of the search text
// (modulo 64), three 32-bit little-endian numbers (first column, visible columns, start offset), then
// the search text and the string searched. Checks PosFrom against std::string_view::find, and every
// piece NextVisibleMatch returns: inside the string, inside the window, part of the occurrence, and
// the walk over a row always advances and ends. Also the smaller tools around them.
#include "FuzzCheck.h"
#include "support/StrTools.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace {

int32_t Int32At(const uint8_t* P) {
    uint32_t V;
    std::memcpy(&V, P, 4);
    return int32_t(V);
}

// Leading blanks, an optional sign, then decimal digits to the end, within 32 bits.
bool ReferenceStrToInt(std::string_view S, int32_t& Value) {
    size_t I = S.find_first_not_of(' ');
    if (I == std::string_view::npos) return false;
    const bool Neg = S[I] == '-';
    if (S[I] == '+' || S[I] == '-') ++I;
    if (I == S.size()) return false;
    int64_t V = 0;
    for (; I < S.size(); ++I) {
        if (S[I] < '0' || S[I] > '9') return false;
        V = std::min<int64_t>(V * 10 + (S[I] - '0'), int64_t(1) << 40);
    }
    V = Neg ? -V : V;
    if (V < INT32_MIN || V > INT32_MAX) return false;
    Value = int32_t(V);
    return true;
}

int ReferencePosFrom(std::string_view Sub, std::string_view S, int Offset) {
    if (Offset < 1 || size_t(Offset) > S.size() || Sub.empty()) return 0;
    const size_t F = S.find(Sub, size_t(Offset - 1));
    return F == std::string_view::npos ? 0 : int(F + 1);
}

void CheckPiece(std::string_view Sub, std::string_view S, int FirstColumn, int VisibleColumns, int Result,
                int Length, int64_t Occurrence) {
    const int64_t WinEnd = int64_t(FirstColumn) + VisibleColumns;
    FUZZ_CHECK(Length >= 1);
    FUZZ_CHECK(Result >= FirstColumn && Result < WinEnd); // starts in the window
    // An occurrence that starts in the window is cut at its right edge. One that starts left of it is
    // cut at the left edge only: when it also reaches past the right edge, the piece does too, and the
    // view's clipping takes the rest (the view's drawing relies on exactly these lengths).
    if (Occurrence >= FirstColumn)
        FUZZ_CHECK(int64_t(Result) + Length <= WinEnd);
    else
        FUZZ_CHECK(Result == FirstColumn && Length == Occurrence + int64_t(Sub.size()) - FirstColumn);
    FUZZ_CHECK(int64_t(Result) + Length - 1 <= int64_t(S.size())); // lies inside the string
    FUZZ_CHECK(Occurrence >= 1 && Occurrence <= Result);
    FUZZ_CHECK(int64_t(Result) + Length <= Occurrence + int64_t(Sub.size())); // inside the occurrence
    FUZZ_CHECK(S.substr(size_t(Result - 1), size_t(Length)) ==
               Sub.substr(size_t(Result - Occurrence), size_t(Length)));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    if (Size < 13) return 0;
    const size_t SubLen = std::min<size_t>(Data[0] % 64, Size - 13);
    const int32_t FirstColumn = Int32At(Data + 1);
    const int32_t VisibleColumns = Int32At(Data + 5);
    const int32_t Offset = Int32At(Data + 9);
    const std::string_view Sub(reinterpret_cast<const char*>(Data) + 13, SubLen);
    const std::string_view S(reinterpret_cast<const char*>(Data) + 13 + SubLen, Size - 13 - SubLen);

    // PosFrom from the given offset, from the start and from the end.
    for (int O : {int(Offset), 1, int(S.size()), int(S.size()) + 1, 0})
        FUZZ_CHECK(PosFrom(Sub, S, O) == ReferencePosFrom(Sub, S, O));

    // One call with an arbitrary search position.
    int Position = Offset, Length = -1;
    const int R = NextVisibleMatch(Sub, S, Position, FirstColumn, VisibleColumns, Length);
    if (R == 0) {
        FUZZ_CHECK(Length == 0);
    } else {
        const int64_t H = int64_t(Position) - int64_t(Sub.size()); // the occurrence the piece belongs to
        CheckPiece(Sub, S, FirstColumn, VisibleColumns, R, Length, H);
        FUZZ_CHECK(ReferencePosFrom(Sub, S, int(H)) == H);
    }

    // The walk over a row as the view draws it: from position 1 until no piece is left.
    Position = 1;
    int Calls = 0, LastEnd = 0;
    for (;;) {
        const int Before = Position;
        const int P = NextVisibleMatch(Sub, S, Position, FirstColumn, VisibleColumns, Length);
        FUZZ_CHECK(++Calls <= int(S.size()) + 2);
        if (P == 0) break;
        FUZZ_CHECK(Position > Before);
        CheckPiece(Sub, S, FirstColumn, VisibleColumns, P, Length, int64_t(Position) - int64_t(Sub.size()));
        FUZZ_CHECK(P >= LastEnd); // pieces do not overlap
        LastEnd = P + Length;
    }

    // The smaller tools.
    FUZZ_CHECK(StartsWith(S, Sub) == (!Sub.empty() && S.substr(0, Sub.size()) == Sub));
    const std::string Padded = PadToWidth(S, FirstColumn % 4096);
    FUZZ_CHECK(Padded.size() == size_t(std::max(0, FirstColumn % 4096)));
    FUZZ_CHECK(std::string_view(Padded).substr(0, std::min(S.size(), Padded.size())) ==
               S.substr(0, std::min(S.size(), Padded.size())));
    const TCharSet Set = CharSetOf(Sub);
    const std::string T = TrimChars(S, Set);
    if (!T.empty()) {
        FUZZ_CHECK(S.find(T) != std::string_view::npos);
        FUZZ_CHECK(!Set.test(static_cast<unsigned char>(T.front())));
        FUZZ_CHECK(!Set.test(static_cast<unsigned char>(T.back())));
    }
    int32_t V = 0, W = 0;
    const bool Ok = TryStrToInt(S.substr(0, 16), V);
    FUZZ_CHECK(Ok == ReferenceStrToInt(S.substr(0, 16), W));
    FUZZ_CHECK(!Ok || V == W);
    return 0;
}
