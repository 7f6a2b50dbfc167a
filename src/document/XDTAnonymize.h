#pragma once
// An anonymised copy of a document, for passing a file on (a support case, a test file): the fields
// that identify a person are replaced by placeholders of the same form, embedded documents by a
// one-page placeholder PDF. The same value gets the same placeholder throughout the file, so that
// the records of one person still belong together. The length prefixes, record lengths (8100),
// package lengths (9202), line counts of GDT 3.0 objects (8201, 8202) and the LDT 3 checksum (9300)
// are those of the copy; every line ends with CR LF. Everything else stays byte for byte.
#include "XDTExport.h"
#include "catalogue/XDTFamily.h"

#include <cstdint>
#include <span>
#include <string>

class TEvent;
class TFileXDTPtrList;
class TXDTPtrList;
struct TLoadOutcome;

// The form of a placeholder.
enum class TPseudonymKind : uint8_t {
    Keep,         // not replaced
    Surname,      // a family name from a list; double names when the list runs out
    FirstName,    // a first name that fits either sex
    FullName,     // first name and family name in one field
    Organisation, // "Praxis" and a family name: practices, laboratories, institutions
    Date,         // the year kept, day and month 01 (00 stays 00), in the date's own order
    Street,       // a street name, with a house number when the original has digits
    HouseNumber,  // digits and letters of the same pattern
    Postcode,     // the first two characters kept, the further digits 0
    City,         // a place name; a leading postcode treated as one
    Phone,        // other digits in the same pattern; "+", leading zeros and separators kept
    EMail,        // personN@example.org
    Web,          // www.example.org
    Id,           // other letters and digits in the same pattern
    InsuranceId,  // the Versicherten-ID: a letter, eight digits and their check digit
    Text,         // "anonymisiert"
    FileRef,      // a file name Anhang_N with the original's extension
};

// Families a table row applies to.
enum : uint8_t {
    afLdt2 = 1,
    afLdt3 = 2,
    afGdt = 4,
    afBdt = 8,
    afKvdt = 16,
    afAll = afLdt2 | afLdt3 | afGdt | afBdt | afKvdt,
};

struct TIdentifyingField {
    int32_t FeldArt;
    TPseudonymKind Kind;
    uint8_t Families; // afLdt2 | ...; a file of unknown family uses every row
};
// The fields that the copy replaces: the one table of them.
std::span<const TIdentifyingField> IdentifyingFields();
// What a field gets in a file of that family.
TPseudonymKind PseudonymKindOf(int32_t FeldArt, TXdtFamily Family);

struct TAnonymizeOptions {
    TEvent* Cancel = nullptr; // polled now and then; may be null
};

enum class TAnonymizeEnd : uint8_t {
    Complete,
    Cancelled,
    WriteFailed,   // the sink or the file refused the bytes; Message says why
    BadInput,      // the document cannot be written as xDT lines (an identifier of other than 4 characters)
    SameFile,      // the target is the original file
    Exists,        // the target exists: never replaced
    CannotCreate,  // the target's folder does not take a new file
    SourceChanged, // the original was cut short meanwhile: no copy
    Incomplete,    // the document was not read whole (an invalid line, cancelled): a copy would lack the rest
};

struct TAnonymizeOutcome {
    TAnonymizeEnd End = TAnonymizeEnd::Complete;
    std::string Message;     // Windows-1252; empty when complete
    int64_t Lines = 0;       // lines of the copy
    int64_t Replaced = 0;    // lines whose content got a placeholder
    int64_t Values = 0;      // distinct original values replaced
    int64_t Attachments = 0; // embedded documents replaced
    int64_t Recomputed = 0;  // lengths, line counts and checksums written anew
    int64_t Overlong = 0;    // lines too long for a three-digit length: their length says 999
    bool Ok() const { return End == TAnonymizeEnd::Complete; }
};

// Streams the copy of List to Out. The list is read twice; it must not change meanwhile.
TAnonymizeOutcome WriteAnonymized(const TXDTPtrList& List, const TExportSink& Out,
                                  const TAnonymizeOptions& Options = {});
// Writes the copy of a document loaded as Loaded tells into the new file Path (see WriteNewFile):
// never over the original, through whatever path or link, never over any other existing file, and
// only of a document that was read whole.
TAnonymizeOutcome AnonymizeToFile(const TFileXDTPtrList& List, const TLoadOutcome& Loaded,
                                  const std::string& Path, const TAnonymizeOptions& Options = {});

// The document that takes the place of every embedded one: a one-page PDF saying "Anhang entfernt".
const std::string& PlaceholderPdf();
