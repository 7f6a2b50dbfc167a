#pragma once
// The texts of a row as the program shows them: identifier, content in a character set, value
// comment and field name. The one place these are made, for the view, ostrel-dump and every other
// output, so that they cannot drift apart.
#include <cstdint>
#include <string>
#include <string_view>

class TXDTPtrList;
struct TFormatSettings;

// The identifier as four digits with leading zeros ("%4.4d"); other values as that format gives them;
// "????" for an entry that holds an invalid line.
std::string KennungText(int32_t FeldArt);
// The same into a buffer the caller keeps; returns the text written there.
std::string_view KennungTextTo(int32_t FeldArt, char (&Buf)[16]);

// What a row shows.
struct TRowOptions {
    int Codierung = 0;   // character set of the content; 0 shows the bytes unconverted
    bool Comment = true; // make the value comment
    bool Name = true;    // look up the field name
};

// The texts of one row. The strings are reused from row to row, so a loop over many rows does not
// allocate once they have grown.
struct TRowTexts {
    int32_t FeldArt = 0;
    std::string Kennung;
    std::string_view Raw;     // the content's bytes in the file
    std::string Inhalt;       // converted; a byte the character set does not allow is 0
    bool Invalid = false;     // Inhalt holds such a byte (or the file did)
    bool LineInvalid = false; // the entry holds an invalid line whole: no comment, no name
    std::string Comment;      // empty when the value has none
    std::string_view Name;    // the catalogue's name (a text that lives as long as the program)
};

// The texts of entry Index (0-based, checked as the index checks it).
void MakeRowTexts(const TXDTPtrList& List, int Index, const TRowOptions& Options, TRowTexts& Out);

// The status-bar texts of a loaded document, as the main window and ostrel-dump show them.
std::string LineCountText(int Count);                                // "Zeilen: N"
std::string FileSizeText(uint64_t Size, const TFormatSettings& Fmt); // "Dateigröße: …"
// "Zeichensatz: …" for the set the file declares; empty for a number outside the sets.
std::string DeclaredCodierungText(int FileCodierung);
// "Aktuell verwendeter Zeichensatz: N - …" for the set in use; empty for none.
std::string CodierungInUseText(int Codierung);
// "Prüfung: N Fehler, M Warnungen" for the counts of a check report; "Prüfung: keine Fehler oder
// Warnungen" for none.
std::string CheckCountText(long long Errors, long long Warnings);
