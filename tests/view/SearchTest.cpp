// Installing search criteria in the view and stepping from find to find.
#include "ViewTestUtil.h"

#include <gtest/gtest.h>

namespace {

class SearchTest : public ::testing::Test {
protected:
    TViewFixture F{20, 80}; // VisibleLines 21, VisibleCols 81
    TTestDoc Doc;
    std::vector<std::string> Messages;

    void SetUp() override {
        F.View->SetInfoMessageHandler([this](const std::string& S) { Messages.push_back(S); });
    }
    // The one-based lines of every find until the end is reported.
    std::vector<int> AllFinds() {
        std::vector<int> R;
        while (F.View->FindNext()) R.push_back(F.View->FoundLine());
        EXPECT_EQ(F.View->FoundLine(), 0);
        return R;
    }
};

TEST_F(SearchTest, SetSearchRecNormalisesTheCriteria) {
    TXDTSearchRec R = FeldSearch(3101, "m\xFCller");
    F.View->SetSearchRec(R);
    EXPECT_EQ(F.View->SearchRec().MatchText, "M\xDCLLER");
    R.CaseSensitive = true;
    F.View->SetSearchRec(R);
    EXPECT_EQ(F.View->SearchRec().MatchText, "m\xFCller");

    TXDTSearchRec S;
    S.SearchMode = smSatz;
    S.SearchText = "8220";
    S.FeldArt = 1234;
    F.View->SetSearchRec(S);
    EXPECT_EQ(F.View->SearchRec().FeldArt, 8000);
    EXPECT_EQ(F.View->SearchRec().FeldOption, foEquals);

    // No field and no text is no search; the case flag is kept.
    TXDTSearchRec E = FeldSearch(0, "", foEquals, true);
    F.View->SetSearchRec(E);
    EXPECT_EQ(F.View->SearchRec().SearchMode, smNone);
    EXPECT_EQ(F.View->SearchRec().FeldOption, foContains);
    EXPECT_TRUE(F.View->SearchRec().CaseSensitive);
    EXPECT_FALSE(F.View->FindNext());
    EXPECT_TRUE(Messages.empty());
}

TEST_F(SearchTest, FindsStepThroughTheFileAndStartAgainAfterTheEnd) {
    Doc.Add(8000, "0101");
    Doc.Add(3101, "Meier");
    Doc.Add(8000, "8220");
    Doc.Add(3101, "Schulze");
    Doc.Add(8000, "8220");
    F.Attach(Doc);
    EXPECT_FALSE(F.View->FindNext()); // no criteria: silent
    EXPECT_TRUE(Messages.empty());

    F.View->SetSearchRec(FeldSearch(0, "8220"));
    ASSERT_TRUE(F.View->FindNext());
    EXPECT_EQ(F.View->FoundLine(), 3);
    EXPECT_EQ(F.View->TopLine(), 0); // a short file: clamped
    ASSERT_TRUE(F.View->FindNext());
    EXPECT_EQ(F.View->FoundLine(), 5);
    EXPECT_FALSE(F.View->FindNext());
    ASSERT_EQ(Messages.size(), 1u);
    EXPECT_EQ(Messages[0], "Keine weiteren Eintr\xE4ge gefunden!");
    EXPECT_EQ(F.View->FoundLine(), 0);
    ASSERT_TRUE(F.View->FindNext());
    EXPECT_EQ(F.View->FoundLine(), 3);

    // The same criteria again keep the position; cancelling ends the search.
    F.View->SetSearchRec(FeldSearch(0, "8220"));
    EXPECT_EQ(F.View->FoundLine(), 3);
    ASSERT_TRUE(F.View->FindNext());
    EXPECT_EQ(F.View->FoundLine(), 5);
    F.View->SetSearchRec(TXDTSearchRec());
    EXPECT_EQ(F.View->FoundLine(), 0);

    // Every record line, and every line of one field without text.
    TXDTSearchRec S;
    S.SearchMode = smSatz;
    F.View->SetSearchRec(S);
    EXPECT_EQ(AllFinds(), (std::vector<int>{1, 3, 5}));
    S.SearchText = "8220";
    F.View->SetSearchRec(S);
    EXPECT_EQ(AllFinds(), (std::vector<int>{3, 5}));
    F.View->SetSearchRec(FeldSearch(3101, ""));
    EXPECT_EQ(AllFinds(), (std::vector<int>{2, 4}));
    EXPECT_EQ(F.View->LeftCol(), 0);
}

TEST_F(SearchTest, FindsScrollTheMatchIntoView) {
    for (int I = 0; I < 200; ++I) Doc.Add(3000, "filler");
    Doc.Add(3101, "ab ab");                                   // twice in the window: one find
    Doc.Add(3101, std::string(119, '.') + "ab");              // at content position 120
    Doc.Add(3101, std::string(119, '.') + "ab" + "...ab..."); // a second match needs no new position
    for (int I = 0; I < 100; ++I) Doc.Add(3000, "filler");
    Doc.Add(3000, std::string(300, '-')); // wide enough for any position
    F.Attach(Doc);
    ASSERT_EQ(F.View->VisibleCols(), 81);
    F.View->SetSearchRec(FeldSearch(0, "ab"));
    ASSERT_TRUE(F.View->FindNext());
    EXPECT_EQ(F.View->FoundLine(), 201);
    EXPECT_EQ(F.View->TopLine(), 200);
    EXPECT_EQ(F.View->LeftCol(), 0);
    ASSERT_TRUE(F.View->FindNext());
    EXPECT_EQ(F.View->FoundLine(), 202);
    EXPECT_EQ(F.View->LeftCol(), 119); // the match begins in the fifth visible column
    ASSERT_TRUE(F.View->FindNext());
    EXPECT_EQ(F.View->FoundLine(), 203);
    EXPECT_EQ(F.View->LeftCol(), 119);
    EXPECT_FALSE(F.View->FindNext());
}

TEST_F(SearchTest, AReportedFindIsWhollyVisibleRightOfTheIdentifierAndOfTheLastColumn) {
    // 80 whole columns and a few pixels of the 81st; content position p sits at display column p + 3.
    Doc.Add(3101, std::string(74, '.') + "ab");  // columns 78 and 79: fits with LeftCol 0
    Doc.Add(3101, std::string(77, '.') + "ab");  // columns 81 and 82: among the last four positions
    Doc.Add(3101, std::string(156, '.') + "ab"); // starts inside the window the last find left
    Doc.Add(3101, std::string(150, '.') + std::string(100, 'q')); // longer than the window
    Doc.Add(3000, std::string(300, '-'));
    F.Attach(Doc);
    ASSERT_EQ(F.View->VisibleCols(), 81);
    ASSERT_EQ(F.View->viewport()->width() / F.View->CharWidth(), 80);
    // The match's display columns lie in the window's whole columns.
    auto Visible = [&](int Pos, int Len) {
        const int Start = Pos + 3, Left = F.View->LeftCol();
        return Left <= Start && std::min(Start + Len, Start + 80) <= Left + 80;
    };
    F.View->SetSearchRec(FeldSearch(3101, "ab"));
    ASSERT_TRUE(F.View->FindNext());
    EXPECT_EQ(F.View->FoundLine(), 1);
    EXPECT_EQ(F.View->LeftCol(), 0);
    ASSERT_TRUE(F.View->FindNext());
    EXPECT_EQ(F.View->FoundLine(), 2);
    EXPECT_EQ(F.View->LeftCol(), 77); // the match begins in the fifth visible column
    EXPECT_TRUE(Visible(78, 2));
    ASSERT_TRUE(F.View->FindNext());
    EXPECT_EQ(F.View->FoundLine(), 3);
    EXPECT_EQ(F.View->LeftCol(), 156);
    EXPECT_TRUE(Visible(157, 2));
    EXPECT_FALSE(F.View->FindNext());

    F.View->SetSearchRec(FeldSearch(3101, std::string(100, 'q')));
    ASSERT_TRUE(F.View->FindNext());
    EXPECT_EQ(F.View->FoundLine(), 4);
    EXPECT_EQ(F.View->LeftCol(), 154); // its start at the left edge, as much as fits
    EXPECT_TRUE(Visible(151, 100));
}

TEST_F(SearchTest, SearchSeesTheConvertedAndUpperCasedContent) {
    Doc.Add(3101, "M\xDCLLER"); // ISO 8859-1 bytes
    Doc.Add(3101, "M]LLER");    // 7-bit code: ] is Ü
    F.Attach(Doc);
    F.View->SetCodierung(3);
    F.View->SetSearchRec(FeldSearch(3101, "m\xFCller"));
    EXPECT_EQ(AllFinds(), (std::vector<int>{1}));
    F.View->SetCodierung(1);
    EXPECT_EQ(AllFinds(), (std::vector<int>{2}));
    F.View->SetSearchRec(FeldSearch(3101, "m\xFCller", foEquals, true));
    EXPECT_TRUE(AllFinds().empty());
}

TEST_F(SearchTest, LinesOfOtherFieldsDoNotCarryTheColumnOfTheLastFind) {
    Doc.Add(3101, "xxxab");
    F.Attach(Doc);
    F.View->SetSearchRec(FeldSearch(3101, "ab"));
    ASSERT_TRUE(F.View->FindNext());
    // Another file is loaded; the criteria and the position survive.
    Doc.List.Clear();
    Doc.Add(3102, "zzzzz");
    Doc.Add(3101, "ab");
    F.View->DataChanged();
    ASSERT_TRUE(F.View->FindNext());
    EXPECT_EQ(F.View->FoundLine(), 2);
}

} // namespace
