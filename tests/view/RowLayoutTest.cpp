// The cells of a row without drawing: the left cut of each column, the colours of each kind of line,
// the marks of a search; and the match rule that marking and finding share.
#include "view/RowLayout.h"
#include "document/SearchRec.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

namespace {

constexpr TColor kWhite = 0xFFFFFF, kBlack = 0x000000, kRed = 0x0000FF, kOlive = 0x008080, kGrey = 0x808080,
                 kLightF0 = 0xF0F0F0, kLightE6 = 0xE6E6E6, kYellow = 0x00FFFF, kBlue = 0xFF0000;

class RowLayoutTest : public ::testing::Test {
protected:
    // Identifier 3110, content "1", comment "männlich", a twelve-letter name; the content column is
    // 20 cells wide, the name column 14, the row 61.
    void SetUp() override {
        SetRow(3110, "1", "m\xE4nnlich");
        Cs.MaxInhaltLen = 10;
        Cs.MaxInhaltCommentLen = 20;
        Cs.MaxFeldArtNameLen = 12;
        Cs.ShowComments = Cs.ShowFeldArtName = true;
        P.VisibleCols = P.WindowCols = 61;
        P.Palette = &Palette;
        P.Search = &Search;
    }
    void SetRow(int32_t FeldArt, const std::string& Inhalt, const std::string& Comment = "") {
        Texts = TRowTexts();
        Texts.FeldArt = FeldArt;
        Texts.Kennung = std::to_string(FeldArt);
        Texts.Inhalt = Inhalt;
        Texts.Invalid = Inhalt.find('\0') != std::string::npos;
        Texts.Comment = Comment;
        Texts.Name = "Geschlecht X";
    }
    void Build(int LeftCol, bool Odd = false) {
        P.LeftCol = LeftCol;
        Layout.Build(Texts, Odd, P);
    }
    const TRowCell* Cell(TCellColumn Column, int Nth = 0) const {
        for (const TRowCell& C : Layout.Cells())
            if (C.Column == Column && Nth-- == 0) return &C;
        return nullptr;
    }
    // "first+width >indent 'text'" of a cell, or "none".
    std::string Shape(TCellColumn Column, int Nth = 0) const {
        const TRowCell* C = Cell(Column, Nth);
        if (!C) return "none";
        return std::to_string(C->First) + "+" + std::to_string(C->Width) + " >" + std::to_string(C->Indent) +
               " '" + std::string(C->Text) + "'";
    }
    // Background and text of identifier, content, comment and name.
    std::vector<TColor> Colours() const {
        std::vector<TColor> R;
        for (TCellColumn Col : {ccKennung, ccInhalt, ccComment, ccFeldArtName})
            R.insert(R.end(), {Cell(Col)->Bk, Cell(Col)->Fg});
        return R;
    }
    TRowTexts Texts;
    TViewPalette Palette = kDefaultPalette;
    TXDTSearchRec Search;
    TRowLayoutParams P;
    TColumnSet& Cs = P.Columns;
    TRowLayout Layout;
};

TEST_F(RowLayoutTest, LeftColCutsIdentifierContentCommentAndNameInTurn) {
    struct {
        int LeftCol;
        TCellColumn Column;
        const char* Shape;
    } const Cases[] = {
        {0, ccKennung, "0+4 >0 '3110'"},
        {0, ccInhalt, "4+20 >0 '1'"}, // the whole column, however short the content
        {0, ccComment, "5+9 >1 'm\xE4nnlich'"},
        {0, ccFeldArtName, "24+14 >1 'Geschlecht X'"},
        {0, ccRest, "38+23 >0 ''"},
        {2, ccKennung, "0+2 >0 '10'"},
        {2, ccInhalt, "2+20 >0 '1'"},
        {4, ccKennung, "none"},
        {4, ccInhalt, "0+20 >0 '1'"},
        {6, ccInhalt, "0+18 >0 ''"}, // inside the comment: its blank goes first
        {6, ccComment, "0+8 >0 'm\xE4nnlich'"},
        {9, ccComment, "0+5 >0 'nlich'"},
        {9, ccFeldArtName, "15+14 >1 'Geschlecht X'"},
        {14, ccComment, "none"},
        {24, ccInhalt, "none"}, // the name at the left edge
        {24, ccFeldArtName, "0+14 >1 'Geschlecht X'"},
        {25, ccFeldArtName, "0+13 >0 'Geschlecht X'"},
        {27, ccFeldArtName, "0+11 >0 'schlecht X'"},
        {27, ccRest, "11+50 >0 ''"},
    };
    for (const auto& C : Cases) {
        Build(C.LeftCol);
        EXPECT_EQ(Shape(C.Column), C.Shape) << "LeftCol " << C.LeftCol << ", column " << int(C.Column);
    }
    SetRow(3101, "Meier"); // inside the content
    Build(6);
    EXPECT_EQ(Shape(ccInhalt), "0+18 >0 'ier'");
    EXPECT_EQ(Shape(ccComment), "3+1 >1 ''");                        // no comment: the blank alone
    EXPECT_EQ(Cell(ccInhalt)->Text.data(), Texts.Inhalt.data() + 2); // the row's text, not a copy
}

TEST_F(RowLayoutTest, ANegativeIdentifierIsCutToFourCellsAndTheMarksStayOnTheirCharacters) {
    // "010-001x": the integer conversion takes "-001", whose "%4.4d" is five characters.
    Search.SearchMode = smFeld;
    Search.SearchText = "ab";
    NormalizeSearchRec(Search);
    SetRow(-1, "xab");
    Texts.Kennung = KennungText(-1);
    ASSERT_EQ(Texts.Kennung, "-0001");
    Build(0);
    EXPECT_EQ(Shape(ccKennung), "0+4 >0 '-000'");
    EXPECT_EQ(Shape(ccInhalt), "4+20 >0 'xab'");
    EXPECT_EQ(Shape(ccComment), "7+1 >1 ''");
    EXPECT_EQ(Shape(ccFound), "5+2 >0 'ab'"); // over the "ab" of the content
    Build(1);
    EXPECT_EQ(Shape(ccKennung), "0+3 >0 '000'");
    EXPECT_EQ(Shape(ccInhalt), "3+20 >0 'xab'");
    EXPECT_EQ(Shape(ccFound), "4+2 >0 'ab'");
    Build(5);
    EXPECT_EQ(Shape(ccKennung), "none");
    EXPECT_EQ(Shape(ccInhalt), "0+19 >0 'ab'");
    EXPECT_EQ(Shape(ccFound), "0+2 >0 'ab'");
}

TEST_F(RowLayoutTest, WithoutCommentsTheColumnIsTheLongestContentAndNothingIsRightOfTheRow) {
    Cs.ShowComments = Cs.ShowFeldArtName = false;
    Build(0);
    EXPECT_EQ(Layout.Cells().size(), 3u);
    EXPECT_EQ(Shape(ccInhalt), "4+10 >0 '1'");
    EXPECT_EQ(Shape(ccRest), "14+47 >0 ''");

    Cs.ShowComments = Cs.ShowFeldArtName = true;
    Cs.MaxInhaltCommentLen = INT_MAX; // one line of two thousand million characters somewhere
    Build(0);
    EXPECT_EQ(Layout.Cells().size(), 3u); // identifier, content, comment: the name lies far right
    EXPECT_EQ(Cell(ccInhalt)->Width, INT_MAX);
    Build(INT_MAX - 10);
    EXPECT_EQ(Shape(ccInhalt), "0+14 >0 ''");
    EXPECT_EQ(Shape(ccFeldArtName), "14+14 >1 'Geschlecht X'");
}

TEST_F(RowLayoutTest, AWindowOfALongContentGivesTheCellsOfTheWholeContent) {
    std::string Long;
    for (int I = 0; I < 10000; ++I) Long += char('a' + I % 3); // "abcabc…": a match every third position
    Cs.MaxInhaltLen = 10000;
    Cs.MaxInhaltCommentLen = 10004;
    Search.SearchMode = smFeld;
    // Every cell, its text up to the cells a row can show.
    auto Cells = [&] {
        std::vector<std::string> R;
        for (const TRowCell& C : Layout.Cells())
            R.push_back(std::to_string(C.Column) + ":" + std::to_string(C.First) + "+" +
                        std::to_string(C.Width) + ">" + std::to_string(C.Indent) + "'" +
                        std::string(C.Text.substr(0, size_t(P.WindowCols + 1))) + "'" + std::to_string(C.Bk) +
                        "/" + std::to_string(C.Fg));
        return R;
    };
    for (const char* Text : {"ab", "cabca", "abc"})
        for (uint8_t Option : {foContains, foBeginsWith})
            for (int LeftCol : {0, 3, 4, 5, 6, 100, 5000, 9990, 10003, 10004, 10006, 10010, 10030}) {
                Search.SearchText = Text;
                Search.FeldOption = Option;
                NormalizeSearchRec(Search);
                SetRow(3101, Long, "xyz");
                Build(LeftCol);
                const std::vector<std::string> Whole = Cells();
                // The window the view makes: the visible cells, one more, and the reach of a match.
                const int64_t M = int64_t(Search.MatchText.size()), Cut = std::max(0, LeftCol - 4);
                const int64_t From = std::max<int64_t>(0, Cut + 1 - M);
                const int64_t End = Cut + std::max<int64_t>(P.VisibleCols + M, P.WindowCols + 2);
                Texts.Inhalt = Long.substr(size_t(std::min<int64_t>(From, 10000)), size_t(End - From));
                Texts.InhaltFrom = std::min<int64_t>(From, 10000);
                Texts.InhaltSize = 10000;
                P.LeftCol = LeftCol;
                Layout.Build(Texts, false, P, Option == foBeginsWith && Text[0] != 'a' ? 0 : 1);
                EXPECT_EQ(Cells(), Whole) << Text << " option " << int(Option) << " LeftCol " << LeftCol;
            }
}

TEST_F(RowLayoutTest, ColoursFollowTheKindOfLineAndTheCurrentProperties) {
    SetRow(8000, "8220", "L-Datenpaket-Header");
    Build(0, true);
    EXPECT_EQ(Colours(), (std::vector<TColor>{kRed, kWhite, kRed, kBlack, kRed, kWhite, kRed, kBlack}));
    for (int Lab : {8410, 8434}) {
        SetRow(Lab, "GLU", "x");
        Build(0, true);
        EXPECT_EQ(Colours(),
                  (std::vector<TColor>{kOlive, kWhite, kOlive, kBlack, kOlive, kBlack, kOlive, kBlack}));
    }
    SetRow(3110, "1", "m\xE4nnlich");
    Build(0, false);
    EXPECT_EQ(Colours(),
              (std::vector<TColor>{kGrey, kWhite, kWhite, kBlack, kWhite, kBlue, kLightE6, kBlack}));
    Build(0, true);
    EXPECT_EQ(Colours(),
              (std::vector<TColor>{kGrey, kWhite, kLightF0, kBlack, kLightF0, kBlue, kLightF0, kBlack}));
    EXPECT_EQ(Cell(ccRest)->Bk, kWhite);

    Palette.Table[vcFeldArtNameOddBkColor] = 0x445566;
    Palette.Control = 0x00FF00;
    Build(0, true);
    EXPECT_EQ(Cell(ccFeldArtName)->Bk, 0x445566u);
    EXPECT_EQ(Cell(ccRest)->Bk, 0x00FF00u);
}

TEST_F(RowLayoutTest, InvalidContentIsYellowAndAMarkedIdentifierBlue) {
    SetRow(8000, std::string("M\0ller", 6), "x");
    Build(0);
    EXPECT_EQ(Colours(), (std::vector<TColor>{kRed, kWhite, kYellow, kBlack, kRed, kWhite, kRed, kBlack}));

    Search.SearchMode = smSatz; // record type 8220: its record lines are marked
    Search.SearchText = "8220";
    NormalizeSearchRec(Search);
    SetRow(8000, "8220");
    Build(0);
    EXPECT_EQ(Colours(), (std::vector<TColor>{kBlue, kWhite, kRed, kBlack, kRed, kWhite, kRed, kBlack}));
    SetRow(8000, "8221");
    Build(0);
    EXPECT_EQ(Cell(ccKennung)->Bk, kRed);
}

TEST_F(RowLayoutTest, MatchesAreCellsOverTheContentInItsOwnCase) {
    Search.SearchMode = smFeld;
    Search.SearchText = "ab";
    NormalizeSearchRec(Search);
    SetRow(3101, "xABcab");
    Build(0);
    EXPECT_EQ(Shape(ccFound, 0), "5+2 >0 'AB'"); // content position p sits at display column 3 + p
    EXPECT_EQ(Shape(ccFound, 1), "8+2 >0 'ab'");
    EXPECT_EQ((std::vector<TColor>{Cell(ccFound)->Bk, Cell(ccFound)->Fg}),
              (std::vector<TColor>{kBlue, kWhite}));
    EXPECT_EQ(Layout.Cells().back().Column, ccFound); // drawn last
    Build(6);                                         // the first one half scrolled off
    EXPECT_EQ(Shape(ccFound, 0), "0+1 >0 'B'");
    EXPECT_EQ(Shape(ccFound, 1), "2+2 >0 'ab'");

    Search.FeldOption = foBeginsWith; // only the first
    SetRow(3101, "abxab");
    Build(0);
    EXPECT_EQ(Shape(ccFound, 0), "4+2 >0 'ab'");
    EXPECT_EQ(Shape(ccFound, 1), "none");
    Search.FeldArt = 3102; // another field
    Build(0);
    EXPECT_EQ(Shape(ccFound), "none");
}

TEST(MatchRuleTest, ContainsBeginsWithEqualsWithAndWithoutCase) {
    struct {
        const char* Text;
        uint8_t Option;
        bool Case;
        const char* Content;
        bool Match;
    } const Cases[] = {
        {"ab", foContains, false, "xABc", true},
        {"AB", foContains, false, "xabc", true},
        {"ab", foContains, true, "xABc", false},
        {"ab", foContains, true, "xABcab", true},
        {"abc", foContains, false, "ab", false},
        {"ab", foBeginsWith, false, "ABx", true},
        {"ab", foBeginsWith, true, "ABx", false},
        {"ab", foBeginsWith, false, "xab", false},
        {"abc", foBeginsWith, false, "ab", false},
        {"xab", foEquals, false, "XAB", true},
        {"xab", foEquals, true, "XAB", false},
        {"xab", foEquals, false, "xab ", false},
        {"m\xFCller", foEquals, false, "M\xDCLLER", true}, // the locale's upper case
        {"m\xFCller", foEquals, true, "M\xDCLLER", false},
        {"ab", 3, true, "ab", false},
    };
    for (const auto& C : Cases) {
        TXDTSearchRec R;
        R.SearchMode = smFeld;
        R.FeldOption = C.Option;
        R.CaseSensitive = C.Case;
        R.SearchText = C.Text;
        NormalizeSearchRec(R);
        std::string Buf;
        EXPECT_EQ(ContentMatches(R, C.Content, Buf), C.Match)
            << C.Text << " / option " << int(C.Option) << " / case " << C.Case << " / " << C.Content;
    }
}

} // namespace
