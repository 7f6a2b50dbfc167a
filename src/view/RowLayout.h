#pragma once
// One row of the line view as cells, laid out without drawing: what is scrolled off to the left, where
// each column starts and ends, its colours, and the marks of the active search. Painting walks the
// cells; nothing here depends on the longest line of the document beyond a number.
#include "ViewColors.h"
#include "document/RowModel.h"
#include "document/SearchRec.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Display columns of the identifier; the content starts right of it.
constexpr int kKennungCols = 4;

// A run of character cells filled with Bk, with Text drawn in Fg from Indent cells right of the run's
// left edge and clipped to the run.
struct TRowCell {
    TCellColumn Column;
    int64_t First;         // display column of the left edge, 0 at the window's left edge
    int64_t Width;         // in character cells, above 0
    int Indent;            // cells before the text: the blank in front of a comment or a field name
    std::string_view Text; // into the row's texts
    TColor Bk, Fg;
};

// The columns the rows of a document have: which are shown, and their widths from the document's
// statistics.
struct TColumnSet {
    int MaxInhaltLen = 0;
    int MaxInhaltCommentLen = 0; // the longest content, a blank and its comment
    int MaxFeldArtNameLen = 0;
    bool ShowComments = false;
    bool ShowFeldArtName = false;
    // The content column (with the comments when shown) and the name column (with a blank either
    // side; 0 when not shown).
    int64_t InhaltCols() const { return std::max(0, ShowComments ? MaxInhaltCommentLen : MaxInhaltLen); }
    int64_t FeldArtNameCols() const {
        return ShowFeldArtName ? std::max<int64_t>(0, int64_t(MaxFeldArtNameLen) + 2) : 0;
    }
    // Display columns of the widest line.
    int64_t ColCount() const { return kKennungCols + InhaltCols() + FeldArtNameCols(); }
};

// What is the same for every row of one paint.
struct TRowLayoutParams {
    TColumnSet Columns;
    int LeftCol = 0;
    int VisibleCols = 0;    // the window the search marks are looked for in
    int64_t WindowCols = 0; // cells that cover the window's width, the last one maybe in part
    const TViewPalette* Palette = &kDefaultPalette;
    const TXDTSearchRec* Search = nullptr; // nullptr: no search
};

TRowKind RowKindOf(int32_t FeldArt, bool Odd);

class TRowLayout {
public:
    // The cells of the row with these texts (made with the same column switches, in the character set
    // shown); Odd is the parity of the line in the document. Cells that would start at or right of
    // WindowCols are left out; the list is reused, so laying out row after row does not allocate.
    // Texts may hold a window of a long content that covers the visible cells and the matches that
    // reach into them; LineMatches then says whether the whole content matches the search (-1: the
    // texts are tested, as for a whole content).
    const std::vector<TRowCell>& Build(const TRowTexts& Texts, bool Odd, const TRowLayoutParams& P,
                                       int LineMatches = -1);
    const std::vector<TRowCell>& Cells() const { return FCells; }

private:
    void Add(TCellColumn Column, int64_t First, int64_t Width, int Indent, std::string_view Text,
             TCellColors Colors);
    void AddMatches(const TRowTexts& Texts, TRowKind Kind, int LineMatches);

    const TRowLayoutParams* FP = nullptr;
    std::vector<TRowCell> FCells;
    std::string FFolded;
};
