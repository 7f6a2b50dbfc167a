#pragma once
// The texts of a row as the program shows them: identifier, content in a character set, value
// comment and field name. The one place these are made, for the view, ostrel-dump and every other
// output, so that they cannot drift apart.
#include "XDTPtrList.h"

#include <cstdint>
#include <string>
#include <string_view>

struct TFormatSettings;

// The identifier as four digits with leading zeros ("%4.4d"); other values as that format gives them;
// "????" for an entry that holds an invalid line.
std::string KennungText(int32_t FeldArt);
// The same into a buffer the caller keeps; returns the text written there.
std::string_view KennungTextTo(int32_t FeldArt, char (&Buf)[16]);

// What a row shows.
struct TRowOptions {
    int Codierung = 0;    // character set of the content; 0 shows the bytes unconverted
    bool Comment = true;  // make the value comment
    bool Name = true;     // look up the field name
    bool Classic = false; // the classic names and comments only; else those of the file's family
};

// The comment kind a row of List shows.
TCommentKind CommentKindOf(const TXDTPtrList& List, bool Classic);
// The value comment of a line in a kind, into Out (reused). Family names the record types.
void CommentTo(int32_t FeldArt, std::string_view Raw, TCommentKind Kind, TXdtFamily Family, std::string& Out);
// True for the few identifiers whose comment is not the same in every kind, record types apart
// (their widths are measured over the distinct record types once the family is known).
bool CommentDiffersByKind(int32_t FeldArt);
// The field name a row shows.
std::string_view RowFeldArtName(int32_t FeldArt, bool Classic, TXdtFamily Family);

// The texts of one row. The strings are reused from row to row, so a loop over many rows does not
// allocate once they have grown.
struct TRowTexts {
    int32_t FeldArt = 0;
    std::string Kennung;
    std::string_view Raw;     // the content's bytes in the file
    std::string Inhalt;       // converted; a byte the character set does not allow is 0
    bool Invalid = false;     // the content holds such a byte (or the file did)
    bool LineInvalid = false; // the entry holds an invalid line whole: no comment, no name
    // A window of a long content (MakeRowTextsWindow): Inhalt holds the content positions from
    // InhaltFrom (zero-based) of InhaltSize in all. InhaltSize -1: Inhalt is the whole content.
    int64_t InhaltFrom = 0;
    int64_t InhaltSize = -1;
    std::string Comment;   // empty when the value has none
    std::string_view Name; // the catalogue's name (a text that lives as long as the program)

    bool WholeInhalt() const { return InhaltSize < 0; }
    int64_t InhaltLength() const { return InhaltSize < 0 ? int64_t(Inhalt.size()) : InhaltSize; }
};

// The texts of entry Index (0-based, checked as the index checks it).
void MakeRowTexts(const TXDTPtrList& List, int Index, const TRowOptions& Options, TRowTexts& Out);

// What a window of a content cannot tell of the whole: its converted length and whether it is invalid.
struct TInhaltFacts {
    int64_t Size = 0;
    bool Invalid = false;
};
// Measured without a copy (time in proportion to the content, no memory).
TInhaltFacts MeasureInhalt(std::string_view Raw, const TRowOptions& Options);
// MakeRowTexts with the converted content positions From .. From + Count - 1 only (zero-based, cut to
// the content), so that a long line costs what is shown of it; Facts are MeasureInhalt's of its content.
void MakeRowTextsWindow(const TXDTPtrList& List, int Index, const TRowOptions& Options, int64_t From,
                        int64_t Count, const TInhaltFacts& Facts, TRowTexts& Out);

// The status-bar texts of a loaded document, as the main window and ostrel-dump show them.
std::string LineCountText(int Count);                                // "Zeilen: N"
std::string FileSizeText(uint64_t Size, const TFormatSettings& Fmt); // "Dateigröße: …"
// "Zeichensatz: …" for the set the file declares; empty for a number outside the sets.
std::string DeclaredCodierungText(int FileCodierung);
// "Aktuell verwendeter Zeichensatz: N - …" for the set in use; empty for none. Why (may be empty)
// says why the program chose it: "LDT 3", "9206", "erkannt".
std::string CodierungInUseText(int Codierung, std::string_view Why = {});
// "Format: …", the detected family and version.
std::string FormatText(const TXdtFormat& Format);

// The character set to show a document in when it was just loaded, and why.
struct TCodierungChoice {
    int Codierung = 0;
    std::string Why; // empty when the file declares the set or the choice is the classic fallback
};
// Classic: the declared set, else 7-bit code. Otherwise the declared 9106 still wins; without it
// GDT's 9206 (1, 2, 3 = ANSI), then UTF-8 when the bytes are UTF-8 with multi-byte sequences, then
// ISO 8859-15 for the families that prescribe it, then 7-bit code.
TCodierungChoice ChooseCodierung(const TFileXDTPtrList& List, bool Classic);
// "Prüfung: N Fehler, M Warnungen" for the counts of a check report; "Prüfung: keine Fehler oder
// Warnungen" for none.
std::string CheckCountText(long long Errors, long long Warnings);
