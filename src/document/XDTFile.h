#pragma once
// Character sets that an xDT file declares in field 9106, and the conversion of content bytes
// into Windows-1252. A byte the set does not allow becomes 0, which the view marks as invalid.
#include <string>
#include <string_view>

enum : int {
    cdNone = 0,
    cd7Bit = 1,  // "7-bit-Code", DIN 66003
    cdIBM = 2,   // "IBM-Code", code page 437
    cdISO1 = 3,  // "ISO 8859-1 Code"
    cdISO15 = 4, // "ISO 8859-15 Code"
};
constexpr int cdFirst = 1, cdLast = 4;

unsigned char ConvertCodierungChar(int Codierung, unsigned char C);
std::string ConvertCodierungStr(int Codierung, std::string_view S);
// In place, for callers that convert into a buffer they already own.
void ConvertCodierungInPlace(int Codierung, char* S, size_t Len);
// Name of a set 1..4; the empty string for any other number (callers test the range first).
std::string CodierungName(int Codierung);
