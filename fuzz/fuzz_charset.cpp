// Character-set conversion and upper-casing keep every byte in its place. Input: one byte, the
// character-set number as a signed value (1..4 are the sets, anything else must leave the text alone),
// then the text. Checks lengths, the agreement of the string, in-place and per-byte forms, and the
// round trip through the screen's Unicode strings.
#include "FuzzCheck.h"
#include "document/XDTFile.h"
#include "support/Ansi.h"

#include <cstdint>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    if (Size < 1) return 0;
    const int Codierung = int(int8_t(Data[0]));
    const std::string_view S(reinterpret_cast<const char*>(Data) + 1, Size - 1);

    const std::string C = ConvertCodierungStr(Codierung, S);
    FUZZ_CHECK(C.size() == S.size());
    if (Codierung < cdFirst || Codierung > cdLast) FUZZ_CHECK(C == S);
    std::string InPlace(S);
    ConvertCodierungInPlace(Codierung, InPlace.data(), InPlace.size());
    FUZZ_CHECK(InPlace == C);
    for (size_t I = 0; I < S.size(); ++I)
        FUZZ_CHECK(C[I] == char(ConvertCodierungChar(Codierung, static_cast<unsigned char>(S[I]))));

    const std::string U = AnsiUpperCase(S);
    FUZZ_CHECK(U.size() == S.size());
    std::string UpInPlace(S);
    AnsiUpperCaseInPlace(UpInPlace);
    FUZZ_CHECK(UpInPlace == U);
    for (size_t I = 0; I < S.size(); ++I)
        FUZZ_CHECK(U[I] == char(AnsiUpperChar(static_cast<unsigned char>(S[I]))));

    const QString Q = AnsiToQString(S);
    FUZZ_CHECK(size_t(Q.size()) == S.size());
    FUZZ_CHECK(QStringToAnsi(Q) == S);
    return 0;
}
