// What the line view paints: colours of cells by kind of line, the cut of columns scrolled off to
// the left, invalid characters, and the marks of the active search.
#include "ViewTestUtil.h"

#include "catalogue/XDTComments.h"

#include <gtest/gtest.h>

namespace {

constexpr TColor kWhite = 0xFFFFFF, kBlack = 0x000000, kRed = 0x0000FF, kOlive = 0x008080, kGrey = 0x808080,
                 kLightF0 = 0xF0F0F0, kLightE6 = 0xE6E6E6, kYellow = 0x00FFFF, kBlue = 0xFF0000;

class PaintTest : public ::testing::Test {
protected:
    TViewFixture F{12, 70};
    TTestDoc Doc;
    int WCols() const {
        return F.View->ShowComments() ? Doc.List.MaxInhaltCommentLen() : Doc.List.MaxInhaltLen();
    }
};

TEST_F(PaintTest, LineKindsAndRowParityGetTheirColours) {
    Doc.Add(8000, "8220");  // record line, even
    Doc.Add(3101, "Meier"); // odd
    Doc.Add(3102, "Hans");  // even
    Doc.Add(8410, "GLU");   // laboratory, odd
    Doc.Add(8434, "HBA1C"); // laboratory, even
    F.View->SetShowComments(true);
    F.View->SetShowFeldArtName(true);
    F.Attach(Doc);
    const QImage Img = F.Shot();
    const int NameCol = 4 + WCols(), NameCols = Doc.List.MaxFeldArtNameLen() + 2;

    // Record line: red across all columns, white identifier, black content and name.
    EXPECT_EQ(F.Bg(Img, 0, 0, 4), kRed);
    EXPECT_TRUE(F.HasInk(Img, 0, 0, 4, kWhite));
    EXPECT_EQ(F.Bg(Img, 0, 4, WCols()), kRed);
    EXPECT_TRUE(F.HasInk(Img, 0, 4, 4, kBlack));
    EXPECT_EQ(F.Bg(Img, 0, 8), kRed); // the comment's leading blank
    EXPECT_EQ(F.Bg(Img, 0, NameCol, NameCols), kRed);
    EXPECT_TRUE(F.HasInk(Img, 0, NameCol, NameCols, kBlack));
    EXPECT_EQ(F.Bg(Img, 0, NameCol + NameCols, 3), kWhite); // the rest of the row in Color
    if (!InhaltComment(8000, "8220").empty()) {
        EXPECT_TRUE(F.HasInk(Img, 0, 9, WCols() - 5, kWhite));
    }

    // Plain lines: grey identifier with white text; content and name backgrounds by parity.
    for (int Row : {1, 2}) {
        EXPECT_EQ(F.Bg(Img, Row, 0, 4), kGrey);
        EXPECT_TRUE(F.HasInk(Img, Row, 0, 4, kWhite));
        EXPECT_TRUE(F.HasInk(Img, Row, 4, 4, kBlack));
        EXPECT_TRUE(F.HasInk(Img, Row, NameCol, NameCols, kBlack));
    }
    EXPECT_EQ(F.Bg(Img, 1, 4, WCols()), kLightF0);
    EXPECT_EQ(F.Bg(Img, 1, NameCol, NameCols), kLightF0);
    EXPECT_EQ(F.Bg(Img, 2, 4, WCols()), kWhite);
    EXPECT_EQ(F.Bg(Img, 2, NameCol, NameCols), kLightE6);

    // Laboratory lines 8410 and 8434: olive, white identifier text, black content.
    for (int Row : {3, 4}) {
        EXPECT_EQ(F.Bg(Img, Row, 0, 4), kOlive);
        EXPECT_TRUE(F.HasInk(Img, Row, 0, 4, kWhite));
        EXPECT_EQ(F.Bg(Img, Row, 4, WCols()), kOlive);
        EXPECT_TRUE(F.HasInk(Img, Row, 4, 3, kBlack));
        EXPECT_EQ(F.Bg(Img, Row, NameCol, NameCols), kOlive);
    }

    // The colour properties are the ones painted: both odd backgrounds apart.
    F.View->SetInhaltOddBkColor(0x112233);
    F.View->SetFeldArtNameOddBkColor(0x445566);
    F.View->SetKennungBkColor(0x778899);
    const QImage Img2 = F.Shot();
    EXPECT_EQ(F.Bg(Img2, 1, 4, WCols()), 0x112233u);
    EXPECT_EQ(F.Bg(Img2, 1, NameCol, NameCols), 0x445566u);
    EXPECT_EQ(F.Bg(Img2, 1, 0, 4), 0x778899u);
    EXPECT_EQ(F.Bg(Img2, 2, 4, WCols()), kWhite);
}

TEST_F(PaintTest, InvalidCharacterMakesContentYellowButNotTheComment) {
    Doc.Add(9106, "1"); // 7-bit code
    Doc.Add(3101, "M\xFC"
                  "ller"); // ü is not a 7-bit character
    Doc.Add(3102, "Hans");
    F.View->SetShowComments(true);
    F.Attach(Doc);
    ASSERT_EQ(F.View->Codierung(), 1);
    const QImage Img = F.Shot();
    const int TLen = 6;
    const int NLen = 1 + int(InhaltComment(3101, "M\xFC"
                                                 "ller")
                                 .size());
    EXPECT_EQ(F.Bg(Img, 1, 4, TLen), kYellow);
    EXPECT_TRUE(F.HasInk(Img, 1, 4, TLen, kBlack));    // text colour unchanged
    EXPECT_EQ(F.Bg(Img, 1, 4 + TLen, NLen), kLightF0); // the comment keeps the odd background
    if (4 + TLen + NLen < 4 + WCols()) {
        EXPECT_EQ(F.Bg(Img, 1, 4 + TLen + NLen), kYellow);
    }
    EXPECT_EQ(F.Bg(Img, 0, 4, 1), kWhite); // valid lines stay as they are
    EXPECT_EQ(F.Bg(Img, 2, 4, 4), kWhite);

    // Without conversion the byte is valid.
    F.View->SetCodierung(0);
    EXPECT_EQ(F.Bg(F.Shot(), 1, 4, TLen), kLightF0);
}

TEST_F(PaintTest, RowsBelowTheLastLineAndRightOfTheColumnsAreColor) {
    Doc.Add(3101, "Meier");
    Doc.Add(3102, "Hans");
    F.Attach(Doc);
    F.View->SetColor(0x00FF00);
    const QImage Img = F.Shot();
    for (int Row = 2; Row <= F.View->VisibleLines() - 1; ++Row)
        EXPECT_EQ(F.Bg(Img, Row, 0, 70), 0x00FF00u) << Row;
    EXPECT_EQ(F.Bg(Img, 0, 9, 60), 0x00FF00u);
    EXPECT_EQ(F.Bg(Img, 0, 4, 5), kWhite);
    // The partly visible last row and the strip below the rows are painted as well.
    const QRgb Corner = Img.pixel(Img.width() - 1, Img.height() - 1);
    EXPECT_EQ(ToTColor(Corner), 0x00FF00u);
}

TEST_F(PaintTest, NoDocumentOrADocumentBeingFilledPaintsEmptyRows) {
    F.View->SetColor(0x00FF00);
    EXPECT_EQ(F.Bg(F.Shot(), 0, 0, 70), 0x00FF00u);
    Doc.Add(3101, "Meier");
    F.Attach(Doc);
    Doc.List.BeginUpdate();
    EXPECT_FALSE(F.View->HasData());
    EXPECT_EQ(F.View->LineCount(), 0);
    EXPECT_EQ(F.Bg(F.Shot(), 0, 0, 70), 0x00FF00u);
    Doc.List.EndUpdate();
    EXPECT_EQ(F.Bg(F.Shot(), 0, 0, 4), kGrey);
}

TEST_F(PaintTest, LeftColCutsIdentifierThenContent) {
    const std::string Long = "0123456789abcdefghijklmnopqrstuvwxyz" + std::string(150, 'x');
    for (int I = 0; I < 5; ++I) Doc.Add(3000 + I, Long);
    F.Attach(Doc);
    const QImage Img0 = F.Shot();

    F.View->SetLeftCol(2);
    ASSERT_EQ(F.View->LeftCol(), 2);
    const QImage Img2 = F.Shot();
    EXPECT_EQ(F.Bg(Img2, 0, 0, 2), kGrey);
    EXPECT_EQ(F.Bg(Img2, 0, 2, 5), kWhite);
    // The identifier shows its last two digits, the content follows right after them.
    EXPECT_EQ(Mismatches(F.InkMask(Img2, 0, 0, 2), F.InkMask(Img0, 0, 2, 2)), 0);
    EXPECT_EQ(Mismatches(F.InkMask(Img2, 0, 2, 20), F.InkMask(Img0, 0, 4, 20)), 0);

    F.View->SetLeftCol(4);
    const QImage Img4 = F.Shot();
    EXPECT_EQ(F.Bg(Img4, 0, 0, 1), kWhite); // the content starts at x = 0
    EXPECT_EQ(Mismatches(F.InkMask(Img4, 0, 0, 20), F.InkMask(Img0, 0, 4, 20)), 0);

    F.View->SetLeftCol(14);
    EXPECT_EQ(Mismatches(F.InkMask(F.Shot(), 0, 0, 20), F.InkMask(Img0, 0, 14, 20)), 0);
}

TEST_F(PaintTest, LeftColBeyondTheContentCutsTheFieldName) {
    Doc.Add(3101, std::string(30, 'm'));
    Doc.Add(201, "ab"); // a field with a long name (56 characters)
    F.View->SetShowComments(true);
    F.View->SetShowFeldArtName(true);
    F.SetCells(12, 30);
    F.Attach(Doc);
    const int NameCol = 4 + WCols();
    F.View->SetLeftCol(NameCol); // the name column starts at x = 0
    ASSERT_EQ(F.View->LeftCol(), NameCol);
    const QImage Img0 = F.Shot();
    EXPECT_EQ(F.Bg(Img0, 1, 0, 20), kLightF0);
    F.View->SetLeftCol(NameCol + 3); // now it lost its first three cells
    ASSERT_EQ(F.View->LeftCol(), NameCol + 3);
    const QImage Img = F.Shot();
    EXPECT_EQ(F.Bg(Img, 1, 0, 20), kLightF0);
    EXPECT_EQ(F.Bg(Img, 0, 0, 20), kLightE6);
    EXPECT_EQ(Mismatches(F.InkMask(Img, 1, 0, 20), F.InkMask(Img0, 1, 3, 20)), 0);
}

TEST_F(PaintTest, FieldSearchWithTextMarksEveryVisibleOccurrenceInTheContentsCase) {
    Doc.Add(3101, "xABcab");
    Doc.Add(3102, "xABcab"); // another field: not searched below
    Doc.Add(3101, "nothing");
    F.Attach(Doc);
    const QImage Plain = F.Shot();
    F.View->SetSearchRec(FeldSearch(3101, "ab"));
    const QImage Img = F.Shot();
    // Content position p sits at display column 3 + p.
    EXPECT_EQ(F.Bg(Img, 0, 4), kWhite);
    EXPECT_EQ(F.Bg(Img, 0, 5, 2), kBlue);
    EXPECT_TRUE(F.HasInk(Img, 0, 5, 2, kWhite));
    EXPECT_EQ(F.Bg(Img, 0, 7), kWhite);
    EXPECT_EQ(F.Bg(Img, 0, 8, 2), kBlue);
    EXPECT_EQ(F.Bg(Img, 1, 5, 5), kLightF0);
    EXPECT_EQ(F.Bg(Img, 2, 4, 7), kWhite);
    EXPECT_EQ(F.Bg(Img, 0, 0, 4), kGrey); // a search with text marks no identifier
    // The marks are drawn with the content's own letters: upper case AB, lower case ab.
    const auto Upper = F.InkMask(Img, 0, 5, 2), Lower = F.InkMask(Img, 0, 8, 2);
    EXPECT_LT(Mismatches(Upper, F.InkMask(Plain, 1, 5, 2)), Mismatches(Upper, F.InkMask(Plain, 1, 8, 2)) / 4);
    EXPECT_LT(Mismatches(Lower, F.InkMask(Plain, 1, 8, 2)), Mismatches(Lower, F.InkMask(Plain, 1, 5, 2)) / 4);

    // All fields; case-sensitive finds only the lower-case occurrence.
    F.View->SetSearchRec(FeldSearch(0, "ab", foContains, true));
    const QImage Img2 = F.Shot();
    EXPECT_EQ(F.Bg(Img2, 1, 5, 2), kLightF0);
    EXPECT_EQ(F.Bg(Img2, 1, 8, 2), kBlue);
}

TEST_F(PaintTest, MarksFollowTheHorizontalPosition) {
    Doc.Add(3101, std::string(100, '.') + "ab" + std::string(100, '.'));
    F.Attach(Doc);
    F.View->SetSearchRec(FeldSearch(0, "ab"));
    EXPECT_EQ(F.Bg(F.Shot(), 0, 4, 66), kWhite); // the match lies right of the window
    F.View->SetLeftCol(100);                     // content position 101 is display column 104: x column 4
    const QImage Img = F.Shot();
    EXPECT_EQ(F.Bg(Img, 0, 4, 2), kBlue);
    EXPECT_EQ(F.Bg(Img, 0, 3), kWhite);
    EXPECT_EQ(F.Bg(Img, 0, 6), kWhite);
    F.View->SetLeftCol(105); // only "b" remains visible, at x column 0
    const QImage Img2 = F.Shot();
    EXPECT_EQ(F.Bg(Img2, 0, 0), kBlue);
    EXPECT_EQ(F.Bg(Img2, 0, 1), kWhite);
}

TEST_F(PaintTest, BeginsWithAndEqualsMarkOnlyTheFirstOccurrence) {
    Doc.Add(3101, "abxab");
    Doc.Add(3101, "xab");
    F.Attach(Doc);
    F.View->SetSearchRec(FeldSearch(0, "ab", foBeginsWith));
    QImage Img = F.Shot();
    EXPECT_EQ(F.Bg(Img, 0, 4, 2), kBlue);
    EXPECT_EQ(F.Bg(Img, 0, 7, 2), kWhite);
    EXPECT_EQ(F.Bg(Img, 1, 5, 2), kLightF0); // does not begin with it

    F.View->SetSearchRec(FeldSearch(0, "XAB", foEquals));
    Img = F.Shot();
    EXPECT_EQ(F.Bg(Img, 0, 4, 5), kWhite);
    EXPECT_EQ(F.Bg(Img, 1, 4, 3), kBlue);
}

TEST_F(PaintTest, FieldSearchWithoutTextMarksTheIdentifiersOfThatField) {
    Doc.Add(3101, "Meier");
    Doc.Add(3102, "Hans");
    Doc.Add(3101, "Schulze");
    Doc.Add(8000, "8220");
    F.Attach(Doc);
    F.View->SetSearchRec(FeldSearch(3101, ""));
    const QImage Img = F.Shot();
    EXPECT_EQ(F.Bg(Img, 0, 0, 4), kBlue);
    EXPECT_TRUE(F.HasInk(Img, 0, 0, 4, kWhite));
    EXPECT_EQ(F.Bg(Img, 1, 0, 4), kGrey);
    EXPECT_EQ(F.Bg(Img, 2, 0, 4), kBlue);
    EXPECT_EQ(F.Bg(Img, 3, 0, 4), kRed);
    EXPECT_EQ(F.Bg(Img, 0, 4, 5), kWhite); // no content marks without text

    // Cancelling the search removes the marks.
    F.View->SetSearchRec(TXDTSearchRec());
    EXPECT_EQ(F.Bg(F.Shot(), 0, 0, 4), kGrey);
}

TEST_F(PaintTest, RecordTypeSearchMarksTheRecordLinesOfThatType) {
    Doc.Add(8000, "8220");
    Doc.Add(3101, "8220");
    Doc.Add(8000, "8221");
    Doc.Add(8000, "8220 ");
    F.Attach(Doc);
    TXDTSearchRec R;
    R.SearchMode = smSatz;
    R.CaseSensitive = true;
    R.SearchText = "8220";
    F.View->SetSearchRec(R);
    EXPECT_EQ(F.View->SearchRec().FeldArt, 8000);
    QImage Img = F.Shot();
    EXPECT_EQ(F.Bg(Img, 0, 0, 4), kBlue);
    EXPECT_EQ(F.Bg(Img, 0, 4, 4), kBlue); // the whole content is the match
    EXPECT_EQ(F.Bg(Img, 1, 0, 4), kGrey);
    EXPECT_EQ(F.Bg(Img, 1, 4, 4), kLightF0);
    EXPECT_EQ(F.Bg(Img, 2, 0, 4), kRed);
    EXPECT_EQ(F.Bg(Img, 3, 0, 4), kRed); // equal means equal: the trailing blank differs

    // All record types: every record line's identifier.
    R.SearchText.clear();
    F.View->SetSearchRec(R);
    Img = F.Shot();
    for (int Row : {0, 2, 3}) EXPECT_EQ(F.Bg(Img, Row, 0, 4), kBlue) << Row;
    EXPECT_EQ(F.Bg(Img, 0, 4, 4), kRed);
}

} // namespace
