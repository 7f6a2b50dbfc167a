// A document whose file another program truncates while it is shown: every row can still be painted,
// searched and switched, and the vanished bytes show as invalid characters.
#include "TestUtil.h"
#include "ViewTestUtil.h"

#include <gtest/gtest.h>

#include <unistd.h>

TEST(ViewOfTruncatedFile, PaintsSwitchesAndSearches) {
    testutil::TempDir D;
    std::string Bytes;
    for (int I = 0; I < 4000; ++I)
        Bytes += testutil::XdtLine(I % 50 == 0 ? 8000 : 3101, "M\xFCller " + std::to_string(I));
    const std::string Path = D.Write("f.ldt", Bytes);
    TFileXDTPtrList List;
    LoadXDTFile(List, Path);
    TViewFixture F(20, 60);
    F.View->SetPtrList(&List);
    QApplication::processEvents();
    ASSERT_EQ(F.View->LineCount(), 4000);

    ASSERT_EQ(::truncate(Path.c_str(), off_t(Bytes.size() / 3)), 0);
    F.View->SetInfoMessageHandler([](const std::string&) {}); // the end-of-search message
    for (bool Comments : {false, true})
        for (int Set = 0; Set <= 4; ++Set) {
            F.View->SetShowComments(Comments);
            F.View->SetShowFeldArtName(Comments);
            F.View->SetCodierung(Set);
            for (int Top = 0; Top < F.View->LineCount(); Top += F.View->VisibleLines()) {
                F.View->SetTopLine(Top);
                (void)F.Shot();
            }
        }
    TXDTSearchRec R;
    R.SearchMode = smFeld;
    R.SearchText = "M";
    F.View->SetSearchRec(R);
    int Finds = 0;
    while (F.View->FindNext()) ++Finds;
    // Lines in the vanished part hold NUL bytes now: fewer finds than lines, and no crash.
    EXPECT_GT(Finds, 100);
    EXPECT_LT(Finds, 4000);
    EXPECT_TRUE(List.FileTruncated());
    // The last row's content reads as NUL, drawn as invalid characters (yellow) in set 1.
    F.View->SetCodierung(1);
    F.View->SetShowComments(false);
    F.View->SetTopLine(F.View->LineCount());
    const QImage Img = F.Shot();
    const int LastRow = F.View->LineCount() - 1 - F.View->TopLine();
    EXPECT_EQ(ToTColor(Img.pixel(F.CellRect(LastRow, 6).center())), TColor(0x00FFFF));
}
