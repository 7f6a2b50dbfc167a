#pragma once
// The check report of a loaded document: which mechanical rules of its xDT family the file breaks,
// line by line (lengths, line ends, headers, characters, record frames, objects, checksum, package
// length, version). One pass over the file's bytes with bounded memory; problems of one kind are
// listed up to a limit and counted beyond it.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class TEvent;
class TXDTPtrList;
class TFileXDTPtrList;

// The xDT family a file is checked against.
enum TCheckFamily : uint8_t {
    cfUnbekannt, // only the rules of every xDT line
    cfLDT3,
    cfLDT2,
    cfGDT2,  // GDT 2.x
    cfGDT30, // GDT 3.0 / 3.01
    cfGDT35,
    cfBDT,
    cfKVDT,
};

enum TCheckSeverity : uint8_t { csFehler, csWarnung, csHinweis };

struct TCheckProblem {
    long long Line = 0;    // one-based physical line
    uint64_t Offset = 0;   // byte offset in the file: of the line, or of the byte at fault
    const char* Code = ""; // "laenge", "zeilenende", ...; a text that lives as long as the program
    TCheckSeverity Severity = csFehler;
    std::string Message; // German, Windows-1252: what is wrong and what was expected
    int Entry = -1;      // the index entry of that line, else the next one, else the last; -1: none
};

struct TCheckOptions {
    TEvent* Cancel = nullptr; // polled every few thousand lines; may be null
    // The family to check against; empty: DetectCheckFamily decides.
    std::optional<TCheckFamily> Family = std::nullopt;
    int MaxPerCode = 50; // problems of one code listed one by one; the rest are only counted
    // The checksum of a file from this size on is summed on a second thread while the lines are
    // checked, with its state kept every SumMarkEvery bytes. Tests lower both.
    uint64_t SumThreadFrom = uint64_t(4) << 20;
    uint64_t SumMarkEvery = uint64_t(1) << 20;
};

struct TCheckResult {
    TCheckFamily Family = cfUnbekannt;
    std::vector<TCheckProblem> Problems;           // in line order; a last one per code sums up the unlisted
    long long Errors = 0, Warnings = 0, Hints = 0; // every problem found, listed or only counted
    long long Lines = 0;                           // physical lines read
    bool Cancelled = false;                        // the cancel event stopped it midway
};

// The family of a loaded document, from its record types and version fields. Looks at the first
// few hundred entries only. Kept in this one function so that a fuller detector can take its place.
TCheckFamily DetectCheckFamily(const TXDTPtrList& List);

// Whether a table of the family knows the identifier (the classic catalogue, and the fields whose
// meaning the family's rules fix). The one lookup of the checker, replaceable by fuller tables.
bool CheckFieldKnown(TCheckFamily Family, int32_t FeldArt);
// Whether Obj_NNNN is an object of the family (LDT 3: the 50 object IDs; GDT 3.5: those known).
bool CheckObjectKnown(TCheckFamily Family, int Number);

// "LDT 3", "GDT 2", ... and "unbekannt".
const char* CheckFamilyName(TCheckFamily Family);
// "Fehler", "Warnung", "Hinweis".
const char* CheckSeverityName(TCheckSeverity Severity);

// Checks the mapped file of List; the entries only give the family and each line's entry.
TCheckResult CheckXDTFile(const TFileXDTPtrList& List, const TCheckOptions& Options = {});
// The same for any image, with the index (may be null) whose entries point into it.
TCheckResult CheckXDTImage(std::string_view Image, const TXDTPtrList* List,
                           const TCheckOptions& Options = {});
