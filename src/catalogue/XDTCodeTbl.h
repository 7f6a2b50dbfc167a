#pragma once
// The catalogue: German names of record types (content of field 8000) and field identifiers.
// Two constant tables with an error entry in row 0; lookups never fail.
#include <cstdint>
#include <string>
#include <string_view>

constexpr int SatzArtRowCount = 54;
constexpr int FeldArtRowCount = 380;

// Rows that other parts of the program rely on.
constexpr uint16_t FeldArtRowSatzArt = 227;     // 8000 "Satzart"
constexpr uint16_t FeldArtRowTestIdent = 249;   // 8410 "Test-Ident"
constexpr uint16_t FeldArtRowAnforderung = 267; // 8434 "Anforderungen"

struct TSatzArtRow {
    const char* Code;
    const char* Name;
};
struct TFeldArtRow {
    int32_t FeldArt;
    const char* Name;
};
extern const TSatzArtRow SatzArtTable[SatzArtRowCount];
extern const TFeldArtRow FeldArtTable[FeldArtRowCount];

// Row of the record type whose code equals Code, case ignored (locale-aware); 0 when none.
uint8_t SatzArtIndex(std::string_view Code);
std::string SatzArtNameByIndex(uint8_t Row);
std::string SatzArtName(std::string_view Code);
// The same name without a copy; the text lives as long as the program.
std::string_view SatzArtNameView(std::string_view Code);

// Row holding the identifier (binary search over the sorted table); 0 when none.
uint16_t FeldArtIndex(int32_t FeldArt);
std::string FeldArtNameByIndex(uint16_t Row);
std::string FeldArtName(int32_t FeldArt);
std::string_view FeldArtNameView(int32_t FeldArt);
// Identifier stored at a row (-1 for row 0).
int32_t FeldArtByIndex(uint16_t Row);
