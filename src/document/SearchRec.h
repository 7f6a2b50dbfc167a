#pragma once
// The criteria of a search and the one rule by which a line's content matches them. The view marks
// and finds with it; a filter or a tool that lists matches uses the same rule, so that what is marked,
// what is found and what is listed cannot differ.
#include <cstdint>
#include <string>
#include <string_view>

// Search modes and field options of TXDTSearchRec.
enum : uint8_t { smNone = 0, smFeld = 1, smSatz = 2 };
enum : uint8_t { foContains = 0, foBeginsWith = 1, foEquals = 2 };

// The criteria of a search; a value record.
struct TXDTSearchRec {
    uint8_t SearchMode = smNone;
    uint8_t FeldOption = foContains;
    bool CaseSensitive = false;
    int32_t FeldArt = 0;    // 0 = all fields; 8000 for record-type searches
    std::string SearchText; // as entered; for smSatz the record type, empty for all record types
    std::string MatchText;  // SearchText, upper-cased unless CaseSensitive
};

// True when two criteria describe the same search (MatchText is not compared).
bool SameSearchRec(const TXDTSearchRec& A, const TXDTSearchRec& B);

// Criteria as they are installed: a record-type search looks at field 8000 for an equal content; no
// field and no text is no search, which clears everything but the case flag; MatchText is derived.
void NormalizeSearchRec(TXDTSearchRec& R);

// The content as the criteria compare it: itself when case-sensitive, else upper-cased into Buf
// (reused, so a loop over many lines does not allocate). Positions in it are those of the content.
std::string_view FoldForMatch(const TXDTSearchRec& R, std::string_view Content, std::string& Buf);
// The whole-line test of FeldOption on folded content: MatchText occurs in it, starts it, or equals it.
// Any other option matches nothing.
bool MatchesFolded(const TXDTSearchRec& R, std::string_view Folded);
// Both steps: does the content match (the field identifier is not looked at).
bool ContentMatches(const TXDTSearchRec& R, std::string_view Content, std::string& Buf);
