#include "RowLayout.h"

#include "catalogue/XDTCodeTbl.h"
#include "support/StrTools.h"

#include <algorithm>

namespace {

std::string_view DropFront(std::string_view S, int64_t N) {
    return N >= int64_t(S.size()) ? std::string_view() : S.substr(size_t(N));
}

// A text shown with one blank in front, of Cells cells in all, less Cut cells scrolled off.
struct TBlankLed {
    int64_t Cells;
    int Indent;
    std::string_view Text;
};
TBlankLed CutBlankLed(std::string_view Text, int64_t Cells, int64_t Cut) {
    if (Cut <= 0) return {Cells, 1, Text};
    return {std::max<int64_t>(0, Cells - Cut), 0, DropFront(Text, Cut - 1)};
}

} // namespace

TRowKind RowKindOf(int32_t FeldArt, bool Odd) {
    if (FeldArt == FeldArtByIndex(FeldArtRowSatzArt)) return rkSatz;
    if (FeldArt == FeldArtByIndex(FeldArtRowTestIdent) || FeldArt == FeldArtByIndex(FeldArtRowAnforderung))
        return rkLab;
    return Odd ? rkOdd : rkEven;
}

void TRowLayout::Add(TCellColumn Column, int64_t First, int64_t Width, int Indent, std::string_view Text,
                     TCellColors Colors) {
    if (Width <= 0 || First >= FP->WindowCols) return;
    const TViewPalette& Pal = *FP->Palette;
    FCells.push_back({Column, First, Width, Indent, Text, Pal.Resolve(Colors.Bk), Pal.Resolve(Colors.Fg)});
}

const std::vector<TRowCell>& TRowLayout::Build(const TRowTexts& Texts, bool Odd, const TRowLayoutParams& P,
                                               int LineMatches) {
    FP = &P;
    FCells.clear();
    const TXDTSearchRec* Sr = P.Search && P.Search->SearchMode != smNone ? P.Search : nullptr;
    const TRowKind Kind = RowKindOf(Texts.FeldArt, Odd);
    const auto& Rule = kColorRule.Cells;

    // The columns before the cut: the content column is as wide as the widest, the comment and the
    // name have a blank in front, the name column one behind as well.
    // The identifier is four cells whatever its text: a negative one ("%4.4d" of -1 is "-0001")
    // would push the content out of the column the marks and the finds count with.
    std::string_view K = std::string_view(Texts.Kennung).substr(0, kKennungCols), T = Texts.Inhalt;
    const TColumnSet& Cs = P.Columns;
    int64_t W = Cs.InhaltCols();
    TBlankLed N{Cs.ShowComments ? 1 + int64_t(Texts.Comment.size()) : 0, 1, Texts.Comment};
    TBlankLed F{Cs.FeldArtNameCols(), 1, Texts.Name};

    // Cut what is scrolled off to the left: the identifier, then the content column, then the name
    // column; inside the content column the content, then the comment.
    int64_t S = P.LeftCol;
    int64_t KRight = 0;
    int64_t L = Texts.InhaltLength(); // the content's cells right of the cut; T may be a window of them
    if (S <= kKennungCols) {
        K = DropFront(K, S);
        KRight = kKennungCols - S;
    } else {
        K = {};
        S -= kKennungCols;
        if (W < S) {
            F = CutBlankLed(F.Text, F.Cells, S - W);
            W = 0;
        } else {
            W -= S;
        }
        if (L < S) {
            S -= L;
            L = 0;
            T = {};
            if (Cs.ShowComments) N = CutBlankLed(N.Text, N.Cells, S);
        } else {
            L -= S;
            T = DropFront(T, std::max<int64_t>(0, S - Texts.InhaltFrom));
        }
    }

    // The identifier takes the found colours when the search marks its line as a whole.
    const bool Marked = Sr && Sr->FeldArt > 0 && Texts.FeldArt == Sr->FeldArt &&
                        (Sr->MatchText.empty() ||
                         (Sr->SearchMode == smSatz && Texts.WholeInhalt() && Texts.Inhalt == Sr->MatchText));
    const int64_t E = KRight + W;
    Add(ccKennung, 0, KRight, 0, K, Marked ? kColorRule.MarkedKennung : Rule[ccKennung][Kind]);
    // The content over the whole column; the comment is drawn over its right part.
    TCellColors C = Rule[ccInhalt][Kind];
    if (Texts.Invalid) C.Bk = kColorRule.InvalidInhaltBk;
    Add(ccInhalt, KRight, W, 0, T, C);
    if (Cs.ShowComments) Add(ccComment, KRight + L, N.Cells, N.Indent, N.Text, Rule[ccComment][Kind]);
    int64_t Rest = E;
    if (Cs.ShowFeldArtName) {
        Add(ccFeldArtName, E, F.Cells, F.Indent, F.Text, Rule[ccFeldArtName][Kind]);
        Rest = E + F.Cells;
    }
    Add(ccRest, Rest, P.WindowCols - Rest, 0, {}, Rule[ccRest][Kind]);

    if (Sr && !Sr->MatchText.empty() && !Texts.Inhalt.empty() &&
        (Sr->FeldArt == 0 || Sr->FeldArt == Texts.FeldArt))
        AddMatches(Texts, Kind, LineMatches);
    return FCells;
}

// The visible pieces of the matches inside the content, in the case the content has them. Only the
// first for "begins with" and "equals".
void TRowLayout::AddMatches(const TRowTexts& Texts, TRowKind Kind, int LineMatches) {
    const TXDTSearchRec& Sr = *FP->Search;
    const std::string_view O = Texts.Inhalt;
    const std::string_view S = FoldForMatch(Sr, O, FFolded);
    if (LineMatches < 0 ? !MatchesFolded(Sr, S) : LineMatches == 0) return;
    // The first content position (one-based) that can be visible; it sits at display column 4. In a
    // window, positions count from its start.
    const int64_t From = Texts.InhaltFrom;
    const int64_t B0 = FP->LeftCol <= kKennungCols ? 1 : int64_t(FP->LeftCol) - (kKennungCols - 1);
    const int B = int(std::max<int64_t>(1, B0 - From));
    int Pos = 1, Len = 0;
    for (;;) {
        const int Q = NextVisibleMatch(Sr.MatchText, S, Pos, B, FP->VisibleCols, Len);
        if (Q == 0) break;
        Add(ccFound, int64_t(Q) + From + (kKennungCols - 1) - FP->LeftCol, Len, 0,
            O.substr(size_t(Q - 1), size_t(Len)), kColorRule.Cells[ccFound][Kind]);
        if (Sr.FeldOption != foContains) break;
    }
}
