#pragma once
// The supplement to the classic catalogue: names of the field identifiers and record types that the
// newer families (LDT 3, GDT 2/3, BDT 02/94 and 3.0, today's KVDT) brought, the LDT 3 and GDT 3
// object IDs and the value texts of the most used coded LDT 3 fields. The tables are generated at
// build time from the TSV files in src/catalogue/data (see the README there).
//
// Every lookup returns a view into a constant table, valid for the life of the program, and never
// allocates; "none" is the empty view. All text is Windows-1252.
#include "XDTFamily.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

// The families a supplement line belongs to; a line may carry several.
enum : uint16_t {
    fmLdt3 = 1 << 0,  // LDT 3.2.x
    fmLdt30 = 1 << 1, // only in LDT 3.0/3.1, or a meaning that differed there
    fmLdt2 = 1 << 2,
    fmGdt2 = 1 << 3,
    fmGdt3 = 1 << 4,
    fmGdt30 = 1 << 5, // objects of GDT 3.0/3.01 (named in field 8200)
    fmGdt35 = 1 << 6, // objects of GDT 3.5
    fmBdt = 1 << 7,   // BDT 02/94 and 3.0 alike
    fmBdt2 = 1 << 8,  // BDT 02/94 where 3.0 means something else
    fmBdt3 = 1 << 9,  // BDT 3.0 where 02/94 means something else
    fmKvdt = 1 << 10,
};

// How the lines of one identifier relate when there are several.
enum class TSupplementConflict : uint8_t {
    None,    // a single line
    Name,    // the same thing in other words
    Meaning, // the families use the identifier for different things
};

struct TSupplementLine {
    uint16_t Families;
    std::string_view Name;
};

// ---------------------------------------------------------------- field identifiers

// The name that the family gives the identifier. LDT 3 falls back to an LDT 3.0 line, GDT 2 and
// GDT 3 to each other, BDT 02/94 and 3.0 to a line of both; a BDT file of no known version takes a
// line of either version only when just one of them has the identifier. Empty when the family gives
// no name (or Family is Unknown).
std::string_view SupplementFeldName(int32_t FeldArt, TXdtFamily Family);
// The name when all families agree: the only line, or the most-used wording where the lines differ
// in words only. Empty when the meanings differ or the identifier is not in the supplement.
std::string_view SupplementFeldNameAgreed(int32_t FeldArt);
// Where the meanings differ: all of them, in the order of the lines, joined by " / ". Empty otherwise.
std::string_view SupplementFeldNameJoined(int32_t FeldArt);
TSupplementConflict SupplementFeldConflict(int32_t FeldArt);
// The identifier's lines; empty when it is not in the supplement.
std::span<const TSupplementLine> SupplementFeldLines(int32_t FeldArt);

// The name of a field in modern mode, in this order: the detected family's name from the supplement;
// the classic name; the supplement's agreed name; the conflicting meanings joined; the classic error
// text "Fehler: Unbekanntes Feld".
std::string_view ModernFeldArtName(int32_t FeldArt, TXdtFamily Family);

// ---------------------------------------------------------------- record types

// The supplement's name of a record type (content of field 8000, case ignored): the family's line
// when the code has several, else the agreed one. Empty when the code is not in the supplement.
std::string_view SupplementSatzArtName(std::string_view Code, TXdtFamily Family);
// The classic name first, then the supplement's, then the classic error text
// "Fehler: Unbekannter XDT-Satz".
std::string_view ModernSatzArtName(std::string_view Code, TXdtFamily Family);

// ---------------------------------------------------------------- objects and values

// The name of an object ID (content of 8002/8003 in LDT 3 and GDT 3.5, of 8200 in GDT 3.0) without
// the "Obj_" that the ID already shows: "Obj_0032" -> "Kopfdaten". For an ID that LDT 3.0 named
// otherwise, the LDT 3.2 name. Empty when the ID is unknown. The ID is compared exactly.
std::string_view Ldt3ObjectName(std::string_view ObjectId);

// The meaning of a value of a coded LDT 3 field ("07" in 7420 -> "Laborarzt/Befundersteller"); empty
// when the field has no value table or the value is not in it. The value is compared exactly.
std::string_view Ldt3ValueComment(int32_t FeldArt, std::string_view Value);
// Whether the field has a value table at all: a bit test, for the loop over every line.
bool HasLdt3ValueComments(int32_t FeldArt);

// ---------------------------------------------------------------- table sizes

size_t SupplementFeldCount();     // distinct identifiers
size_t SupplementFeldLineCount(); // lines, several for an identifier with a conflict
size_t SupplementSatzArtCount();
size_t SupplementSatzArtLineCount();
size_t Ldt3ObjectCount(); // distinct object IDs
size_t Ldt3ValueFieldCount();
size_t Ldt3ValueCount();
