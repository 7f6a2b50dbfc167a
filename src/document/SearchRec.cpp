#include "SearchRec.h"

#include "support/Ansi.h"
#include "support/StrTools.h"

bool SameSearchRec(const TXDTSearchRec& A, const TXDTSearchRec& B) {
    if (A.SearchMode != B.SearchMode) return false;
    switch (A.SearchMode) {
    case smNone:
        return true;
    case smSatz:
        return A.SearchText == B.SearchText;
    case smFeld:
        return A.FeldOption == B.FeldOption && A.CaseSensitive == B.CaseSensitive && A.FeldArt == B.FeldArt &&
               A.SearchText == B.SearchText;
    default:
        return false;
    }
}

void NormalizeSearchRec(TXDTSearchRec& R) {
    if (R.SearchMode == smSatz) {
        R.FeldArt = 8000;
        // The record lines whose content is that type: equality, as the identifier mark compares.
        R.FeldOption = foEquals;
    }
    if (R.FeldArt == 0 && R.SearchText.empty()) R.SearchMode = smNone;
    if (R.SearchMode == smNone) {
        R.FeldOption = foContains;
        R.FeldArt = 0;
        R.SearchText.clear();
        R.MatchText.clear();
    } else {
        R.MatchText = R.CaseSensitive ? R.SearchText : AnsiUpperCase(R.SearchText);
    }
}

std::string_view FoldForMatch(const TXDTSearchRec& R, std::string_view Content, std::string& Buf) {
    if (R.CaseSensitive) return Content;
    Buf.assign(Content);
    AnsiUpperCaseInPlace(Buf);
    return Buf;
}

bool MatchesFolded(const TXDTSearchRec& R, std::string_view Folded) {
    const std::string_view M = R.MatchText;
    switch (R.FeldOption) {
    case foContains:
        return Folded.find(M) != std::string_view::npos;
    case foBeginsWith:
        return StartsWith(Folded, M);
    case foEquals:
        return Folded == M;
    default:
        return false;
    }
}

bool ContentMatches(const TXDTSearchRec& R, std::string_view Content, std::string& Buf) {
    return MatchesFolded(R, FoldForMatch(R, Content, Buf));
}
