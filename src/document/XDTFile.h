#pragma once
// Character sets that an xDT file declares in field 9106, and the conversion of content bytes
// into Windows-1252. A byte the set does not allow becomes 0, which the view marks as invalid.
#include <cstdint>
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
// Display sets beside the four that 9106 declares; never declared by a file, chosen by the program.
enum : int {
    cdAnsi = 5, // GDT 9206 = 3 "ANSI": Windows-1252, shown as it stands
    cdUTF8 = 6, // UTF-8, decoded into Windows-1252; what it cannot hold is marked invalid
};
constexpr int cdModernLast = cdUTF8;

unsigned char ConvertCodierungChar(int Codierung, unsigned char C);
std::string ConvertCodierungStr(int Codierung, std::string_view S);
// In place, for callers that convert into a buffer they already own.
void ConvertCodierungInPlace(int Codierung, char* S, size_t Len);
// Name of a set 1..4; the empty string for any other number (callers test the range first).
std::string CodierungName(int Codierung);
// The same for every display set, 1..6.
std::string DisplayCodierungName(int Codierung);

// Every display set, also one that changes the content's length (UTF-8), into Out (reused).
// ConvertCodierungStr and the in-place form keep the length and leave UTF-8 as it stands.
void ConvertCodierungTo(int Codierung, std::string_view S, std::string& Out);
// For a window of a long text, without a copy of the whole: the length of S converted by
// ConvertCodierungTo and whether it holds the invalid mark 0 (time in proportion to S, no memory) ...
void MeasureCodierung(int Codierung, std::string_view S, int64_t& Length, bool& Invalid);
// ... and the converted positions From .. From + Count - 1 (zero-based, cut to the converted text)
// into Out, which is reused (memory in proportion to Count; time for UTF-8 also to From).
void ConvertCodierungWindow(int Codierung, std::string_view S, int64_t From, int64_t Count, std::string& Out);
// True when S is valid UTF-8 (no overlong forms, no surrogates) holding at least one multi-byte
// sequence; a sequence cut at the end of S counts as valid, so that a prefix of a file can be tested.
bool LooksLikeUtf8(std::string_view S);
