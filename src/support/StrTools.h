#pragma once
// String tools: the file-size text and the byte-string operations that comments, view and search
// build on. Strings are Windows-1252 bytes; positions are one-based, 0 means not found.
#include <bitset>
#include <cstdint>
#include <string>
#include <string_view>

// Separators for numbers shown to the user (thousands, decimals).
struct TFormatSettings {
    char ThousandSeparator = '.';
    char DecimalSeparator = ',';
};
// From the user's locale; German separators when the locale is the neutral C locale,
// since every other text of the program is German.
TFormatSettings& FormatSettings();

std::string FormatFileSize(int Decimals, bool WithBytes, int64_t Size);
std::string FormatFileSize(int Decimals, bool WithBytes, int64_t Size, const TFormatSettings& Fmt);
std::string FileSizeToStr(int64_t Size);

// A number with thousands separators and exactly Decimals decimals (the "%.*n" format).
std::string FormatNumber(double Value, int Decimals, const TFormatSettings& Fmt);

using TCharSet = std::bitset<256>;
TCharSet CharSetOf(std::string_view Chars);
std::string TrimChars(std::string_view S, const TCharSet& Chars);

std::string PadToWidth(std::string_view S, int Width);
int PosInBuffer(std::string_view Sub, const char* Buffer, int64_t Length);
int PosFrom(std::string_view Sub, std::string_view S, int Offset);
bool StartsWith(std::string_view S, std::string_view Prefix);
int NextVisibleMatch(std::string_view Sub, std::string_view S, int& Position, int FirstColumn,
                     int VisibleColumns, int& Length);

// The standard decimal string-to-integer conversion: optional leading blanks, an optional sign,
// then decimal digits to the end; no overflow. False for anything else.
bool TryStrToInt(std::string_view S, int32_t& Value);
