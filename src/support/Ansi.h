#pragma once
// Windows-1252 text: all strings inside the program are 8-bit Windows-1252 bytes. These helpers
// convert at the screen and dialog boundary and give the locale-aware upper-casing and comparison.
// The locale work is done by Qt Core (QLocale for upper-casing, QCollator for comparison, both backed
// by ICU on Debian); the code page tables are our own, so no codec is needed.
#include <QString>
#include <string>
#include <string_view>

// Unicode code point of a Windows-1252 byte. The five bytes the code page leaves undefined
// (81, 8D, 8F, 90, 9D) map to the C1 controls of the same value.
char16_t AnsiCharToUnicode(unsigned char C);

// The Windows-1252 byte of a code point, or -1 when the code page has none.
int UnicodeToAnsiChar(char32_t U);

QString AnsiToQString(std::string_view S);
// Characters that Windows-1252 cannot hold become '?'.
std::string QStringToAnsi(const QString& S);

// Upper-casing by the user's locale that keeps every byte's position: a character whose upper case
// is not a single Windows-1252 byte stays as it is (so sharp s stays sharp s).
unsigned char AnsiUpperChar(unsigned char C);
std::string AnsiUpperCase(std::string_view S);
void AnsiUpperCaseInPlace(std::string& S);

// Case-insensitive comparison by the collation of the user's locale: <0, 0 or >0.
int AnsiCompareText(std::string_view A, std::string_view B);
// The same comparison of texts already converted by AnsiToQString: for sorting many texts, each
// converted once.
int AnsiCompareConverted(const QString& A, const QString& B);
inline bool AnsiSameText(std::string_view A, std::string_view B) {
    return AnsiCompareText(A, B) == 0;
}
