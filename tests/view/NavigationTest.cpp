// Position, scrolling, keys, mouse and wheel of the line view; metrics and property setters.
#include "ViewTestUtil.h"

#include <QLineEdit>
#include <QMainWindow>
#include <QScrollBar>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <QtTest/qtestspontaneevent.h>
#include <gtest/gtest.h>

namespace {

class NavigationTest : public ::testing::Test {
protected:
    // 20 full rows plus part of one: VisibleLines 21.
    TViewFixture F{20, 40};
    TTestDoc Doc;

    void Fill(int Lines, int ContentLen = 10) {
        for (int I = 0; I < Lines; ++I)
            Doc.Add(3000 + I % 100, std::string(size_t(ContentLen), char('a' + I % 26)));
        F.Attach(Doc);
    }
    void Key(int K, Qt::KeyboardModifiers M = Qt::NoModifier) {
        QTest::keyClick(F.View.get(), Qt::Key(K), M);
    }
    std::vector<QRegion> PaintsOf(const std::function<void()>& Action) {
        QApplication::processEvents();
        TPaintSpy Spy;
        F.View->viewport()->installEventFilter(&Spy);
        Action();
        QApplication::processEvents();
        F.View->viewport()->removeEventFilter(&Spy);
        return Spy.Regions;
    }
    QRegion Painted(const std::vector<QRegion>& Rs) {
        QRegion All;
        for (const QRegion& R : Rs) All += R;
        return All;
    }
};

TEST_F(NavigationTest, MetricsAndRangesOf100Lines) {
    Fill(100);
    EXPECT_EQ(F.View->VisibleLines(), 21);
    EXPECT_EQ(F.View->VisibleCols(), 41);
    EXPECT_EQ(F.View->CharWidth(), QFontMetrics(F.View->font()).horizontalAdvance('D'));
    EXPECT_EQ(F.View->ColCount(), 14);
    // The largest TopLine puts the last line into the last full row.
    F.View->SetTopLine(1000);
    EXPECT_EQ(F.View->TopLine(), 80);
    F.View->SetTopLine(-5);
    EXPECT_EQ(F.View->TopLine(), 0);
    F.View->VScroll(scBottom);
    EXPECT_EQ(F.View->TopLine(), 80);
    F.View->VScroll(scTop);
    Key(Qt::Key_PageDown, Qt::ControlModifier);
    EXPECT_EQ(F.View->TopLine(), 80);
    // Lines 0..100 seen 21 at a time: the bar's maximum is 80, its page step 21.
    QScrollBar* V = F.View->verticalScrollBar();
    EXPECT_EQ(V->minimum(), 0);
    EXPECT_EQ(V->maximum(), 80);
    EXPECT_EQ(V->pageStep(), 21);
    EXPECT_EQ(V->value(), 80);
    // Lines shorter than the window: no horizontal movement.
    QScrollBar* H = F.View->horizontalScrollBar();
    EXPECT_EQ(H->maximum(), 0);
    EXPECT_EQ(H->pageStep(), 15);
    F.View->SetLeftCol(3);
    EXPECT_EQ(F.View->LeftCol(), 0);
}

TEST_F(NavigationTest, ShortFileNeverMovesAndIsCoveredByThePage) {
    Fill(5);
    for (int K : {Qt::Key_Down, Qt::Key_PageDown, Qt::Key_End}) {
        Key(K);
        Key(K, Qt::ControlModifier);
        EXPECT_EQ(F.View->TopLine(), 0);
    }
    EXPECT_EQ(F.View->verticalScrollBar()->maximum(), 0);
    EXPECT_EQ(F.View->verticalScrollBar()->pageStep(), 6);
}

TEST_F(NavigationTest, KeyboardMap) {
    Fill(1000, 200);
    const int VL = F.View->VisibleLines(), VC = F.View->VisibleCols();
    Key(Qt::Key_PageDown);
    EXPECT_EQ(F.View->TopLine(), VL - 1); // the partly visible row becomes the first
    Key(Qt::Key_Down);
    EXPECT_EQ(F.View->TopLine(), VL);
    Key(Qt::Key_Up);
    Key(Qt::Key_PageUp);
    EXPECT_EQ(F.View->TopLine(), 0);
    Key(Qt::Key_Down, Qt::ControlModifier);
    EXPECT_EQ(F.View->TopLine(), VL - 1);
    Key(Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(F.View->TopLine(), VL - 1 + VL / 2);
    Key(Qt::Key_Down, Qt::AltModifier);
    EXPECT_EQ(F.View->TopLine(), VL - 1 + VL / 2 + VL / 4);
    Key(Qt::Key_Up, Qt::AltModifier);
    Key(Qt::Key_Up, Qt::ShiftModifier);
    Key(Qt::Key_Up, Qt::ControlModifier);
    EXPECT_EQ(F.View->TopLine(), 0);

    // Horizontal: Home and End move along the line only.
    F.View->SetTopLine(500);
    Key(Qt::Key_End);
    EXPECT_EQ(F.View->LeftCol(), F.View->ColCount() - VC + 1);
    EXPECT_EQ(F.View->TopLine(), 500);
    Key(Qt::Key_Home);
    EXPECT_EQ(F.View->LeftCol(), 0);
    EXPECT_EQ(F.View->TopLine(), 500);
    Key(Qt::Key_Right);
    EXPECT_EQ(F.View->LeftCol(), 1);
    Key(Qt::Key_Right, Qt::ControlModifier);
    EXPECT_EQ(F.View->LeftCol(), 1 + VC - 1);
    Key(Qt::Key_Right, Qt::ShiftModifier);
    Key(Qt::Key_Right, Qt::AltModifier);
    EXPECT_EQ(F.View->LeftCol(), VC + VC / 2 + VC / 4);
    Key(Qt::Key_Left, Qt::AltModifier);
    Key(Qt::Key_Left, Qt::ShiftModifier);
    Key(Qt::Key_Left, Qt::ControlModifier);
    Key(Qt::Key_Left);
    EXPECT_EQ(F.View->LeftCol(), 0);

    // Ctrl+End and Ctrl+Home move both ways.
    Key(Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(F.View->TopLine(), 1000 - VL + 1);
    EXPECT_GT(F.View->LeftCol(), 0);
    Key(Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(F.View->TopLine(), 0);
    EXPECT_EQ(F.View->LeftCol(), 0);
    Key(Qt::Key_PageDown, Qt::ControlModifier);
    Key(Qt::Key_PageUp, Qt::ControlModifier);
    EXPECT_EQ(F.View->TopLine(), 0);

    // Any other set of modifiers does nothing; nor do keys the map does not name.
    F.View->SetTopLine(100);
    Key(Qt::Key_Down, Qt::ControlModifier | Qt::ShiftModifier);
    Key(Qt::Key_Home, Qt::ShiftModifier);
    Key(Qt::Key_PageDown, Qt::AltModifier);
    Key(Qt::Key_Down, Qt::ControlModifier | Qt::AltModifier);
    Key(Qt::Key_Space);
    EXPECT_EQ(F.View->TopLine(), 100);
    EXPECT_EQ(F.View->LeftCol(), 0);
    // A keypad arrow is an arrow.
    Key(Qt::Key_Down, Qt::KeypadModifier);
    EXPECT_EQ(F.View->TopLine(), 101);
}

TEST_F(NavigationTest, KeysDoNothingWithoutUsableDocument) {
    Fill(100);
    Doc.List.BeginUpdate(); // a load is running
    Key(Qt::Key_PageDown);
    EXPECT_EQ(F.View->TopLine(), 0);
    Doc.List.EndUpdate();
    Key(Qt::Key_PageDown);
    EXPECT_EQ(F.View->TopLine(), 20);
}

TEST_F(NavigationTest, ResizeRecalculatesAndReclampsThePosition) {
    Fill(100);
    F.View->SetTopLine(80);
    // Only the width changes: the maximum stays 80, the position ends one line above it.
    F.SetCells(20, 30);
    EXPECT_EQ(F.View->VisibleLines(), 21);
    EXPECT_EQ(F.View->TopLine(), 79);
    // Taller: the maximum falls to 70, the position ends one above that.
    F.SetCells(30, 30);
    EXPECT_EQ(F.View->VisibleLines(), 31);
    EXPECT_EQ(F.View->TopLine(), 69);
    // A position inside the range stays.
    F.View->SetTopLine(40);
    F.SetCells(25, 30);
    EXPECT_EQ(F.View->TopLine(), 40);
}

TEST_F(NavigationTest, DataChangedAfterClearingReturnsToTheStart) {
    Fill(300, 100);
    F.View->SetTopLine(200);
    F.View->SetLeftCol(30);
    Doc.List.Clear();
    F.View->DataChanged();
    EXPECT_EQ(F.View->TopLine(), 0);
    EXPECT_EQ(F.View->LeftCol(), 0);
    EXPECT_EQ(F.View->LineCount(), 0);
    EXPECT_EQ(F.View->ColCount(), 4); // the identifier column stays
}

TEST_F(NavigationTest, SmallMovesScrollPixelsLargeOnesRepaintAll) {
    Fill(1000, 200);
    F.View->SetTopLine(100);
    const int H = F.View->CharHeight(), W = F.View->CharWidth();
    const QRect Full = F.View->viewport()->rect();

    // One line down: only the uncovered strip at the bottom is painted.
    QRegion R = Painted(PaintsOf([&] { F.View->SetTopLine(101); }));
    EXPECT_EQ(R.boundingRect(), QRect(0, Full.height() - H, Full.width(), H));
    // Two lines up: the strip at the top.
    R = Painted(PaintsOf([&] { F.View->SetTopLine(99); }));
    EXPECT_EQ(R.boundingRect(), QRect(0, 0, Full.width(), 2 * H));
    // One page less one line still scrolls.
    R = Painted(PaintsOf([&] { F.View->SetTopLine(99 + F.View->VisibleLines() - 1); }));
    EXPECT_NE(R.boundingRect(), Full);
    // Exactly VisibleLines: everything.
    R = Painted(PaintsOf([&] { F.View->SetTopLine(F.View->TopLine() + F.View->VisibleLines()); }));
    EXPECT_EQ(R.boundingRect(), Full);

    // Horizontally the same with columns.
    R = Painted(PaintsOf([&] { F.View->SetLeftCol(3); }));
    EXPECT_EQ(R.boundingRect(), QRect(Full.width() - 3 * W, 0, 3 * W, Full.height()));
    R = Painted(PaintsOf([&] { F.View->SetLeftCol(1); }));
    EXPECT_EQ(R.boundingRect(), QRect(0, 0, 2 * W, Full.height()));
    R = Painted(PaintsOf([&] { F.View->SetLeftCol(1 + F.View->VisibleCols()); }));
    EXPECT_EQ(R.boundingRect(), Full);

    // What was scrolled looks as if painted from scratch.
    F.View->SetTopLine(300);
    F.View->SetLeftCol(10);
    QApplication::processEvents();
    for (int Step : {1, 3, -2, 5}) {
        F.View->SetTopLine(F.View->TopLine() + Step);
        F.View->SetLeftCol(F.View->LeftCol() + Step);
    }
    QApplication::processEvents();
    const QImage Scrolled = F.View->grab().toImage();
    F.View->viewport()->repaint();
    EXPECT_EQ(Scrolled, F.View->grab().toImage());
}

TEST_F(NavigationTest, EqualValuesDoNotRepaint) {
    Fill(100);
    F.View->SetCodierung(3);
    EXPECT_TRUE(PaintsOf([&] {
                    F.View->SetCodierung(3);
                    F.View->SetInhaltBkColor(F.View->InhaltBkColor());
                    F.View->SetColorByIndex(vcFoundBkColor, 0xFF0000);
                    F.View->SetColor(F.View->Color());
                    F.View->SetTopLine(F.View->TopLine());
                    F.View->SetLeftCol(0);
                    F.View->SetShowComments(false);
                    F.View->SetSearchRec(TXDTSearchRec());
                }).empty());
    EXPECT_FALSE(PaintsOf([&] { F.View->SetCodierung(2); }).empty());
    EXPECT_FALSE(PaintsOf([&] { F.View->SetKennungFontColor(0x123456); }).empty());
    EXPECT_EQ(F.View->KennungFontColor(), 0x123456u);
    EXPECT_EQ(F.View->ColorByIndex(vcKennungFontColor), 0x123456u);
}

TEST_F(NavigationTest, ColumnSwitchesRelayoutAndRestoreTheFilesCharacterSet) {
    Doc.Add(9106, "2");
    Fill(10, 30);
    EXPECT_EQ(F.View->Codierung(), 2);
    EXPECT_EQ(F.View->FileCodierung(), 2);
    F.View->SetCodierung(1);
    F.View->SetShowComments(true);
    EXPECT_EQ(F.View->Codierung(), 2);
    EXPECT_EQ(F.View->ColCount(), 4 + Doc.List.MaxInhaltCommentLen());
    F.View->SetShowFeldArtName(true);
    EXPECT_EQ(F.View->ColCount(), 4 + Doc.List.MaxInhaltCommentLen() + Doc.List.MaxFeldArtNameLen() + 2);
    F.View->SetShowComments(false);
    EXPECT_EQ(F.View->ColCount(), 4 + 30 + Doc.List.MaxFeldArtNameLen() + 2);
    // The lists are the index's own.
    EXPECT_EQ(F.View->FeldArtList(), &Doc.List.FeldArtList());
    F.View->SetPtrList(nullptr);
    EXPECT_EQ(F.View->FeldArtList(), nullptr);
    EXPECT_EQ(F.View->SatzArtList(), nullptr);
    EXPECT_EQ(F.View->FileCodierung(), 0);
    EXPECT_EQ(F.View->Codierung(), 2); // stays without a document
}

TEST_F(NavigationTest, ScrollBarsFollowThePlatformModelBeyond16Bits) {
    const int Lines = 1000000;
    for (int I = 0; I < Lines; ++I) Doc.Add(3000, "x");
    F.Attach(Doc);
    QScrollBar* V = F.View->verticalScrollBar();
    EXPECT_TRUE(F.View->VScroll32());
    EXPECT_EQ(V->maximum(), Lines - F.View->VisibleLines() + 1);

    // Dragging the thumb: every tracked position is taken as it is.
    V->setSliderDown(true);
    V->setSliderPosition(654321);
    EXPECT_EQ(F.View->TopLine(), 654321);
    V->setSliderPosition(40000);
    EXPECT_EQ(F.View->TopLine(), 40000);
    V->setSliderDown(false);
    EXPECT_EQ(V->value(), 40000);

    // A click into the trough moves by a page less one line, not by the bar's page step.
    V->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(F.View->TopLine(), 40000 + F.View->VisibleLines() - 1);
    EXPECT_EQ(V->value(), F.View->TopLine());
    V->triggerAction(QAbstractSlider::SliderSingleStepSub);
    EXPECT_EQ(F.View->TopLine(), 40000 + F.View->VisibleLines() - 2);
    V->triggerAction(QAbstractSlider::SliderToMaximum);
    EXPECT_EQ(F.View->TopLine(), V->maximum());
    V->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(V->value(), V->maximum());
    V->triggerAction(QAbstractSlider::SliderToMinimum);
    EXPECT_EQ(F.View->TopLine(), 0);

    // The setters move the bar.
    F.View->SetTopLine(777777);
    EXPECT_EQ(V->value(), 777777);
}

TEST_F(NavigationTest, WheelIsPassedOnAndClickTakesFocus) {
    // The view in a main window that counts the wheel events reaching it.
    struct TWindow : QMainWindow {
        int Wheels = 0;
        void wheelEvent(QWheelEvent* E) override {
            ++Wheels;
            E->accept();
        }
    } Main;
    TXDTPtrView* MainView = CreateLineView(&Main);
    Main.resize(400, 300);
    Main.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&Main));
    Fill(100);
    MainView->SetPtrList(&Doc.List);
    MainView->SetTopLine(50);
    // Only events from the system travel on to the parents; so these are made to look like them.
    for (QWidget* Target : {MainView->viewport(), static_cast<QWidget*>(MainView->verticalScrollBar()),
                            static_cast<QWidget*>(MainView->horizontalScrollBar())}) {
        const QPointF Pos(5, 5);
        QWheelEvent E(Pos, Target->mapToGlobal(Pos), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
        QSpontaneKeyEvent::setSpontaneous(&E);
        qApp->notify(Target, &E); // as the event loop delivers it
    }
    EXPECT_EQ(Main.Wheels, 3);
    EXPECT_EQ(MainView->TopLine(), 50);
    EXPECT_EQ(MainView->verticalScrollBar()->value(), 50);
    EXPECT_EQ(MainView->horizontalScrollBar()->value(), 0);

    // A click into the view takes the focus from another control of the window.
    QWidget Window;
    auto* Layout = new QVBoxLayout(&Window);
    auto* Other = new QLineEdit(&Window);
    Layout->addWidget(Other);
    TXDTPtrView* View = CreateLineView(&Window);
    Layout->addWidget(View);
    View->setFocusPolicy(Qt::NoFocus); // the view takes the focus itself, also without a tab stop
    Window.show();
    Window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Window));
    Other->setFocus();
    ASSERT_TRUE(Other->hasFocus());
    QTest::mouseClick(View->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
    EXPECT_TRUE(View->hasFocus());
}

TEST_F(NavigationTest, FontChangesKeepBoldOnlyAndAZeroFontKeepsTheMetrics) {
    Fill(100);
    EXPECT_TRUE(F.View->font().bold());
    const int H = F.View->CharHeight(), W = F.View->CharWidth(), VL = F.View->VisibleLines();
    QFont Styled = F.View->font();
    Styled.setItalic(true);
    Styled.setUnderline(true);
    Styled.setStrikeOut(true);
    Styled.setPointSize(20);
    F.View->setFont(Styled);
    EXPECT_FALSE(F.View->font().italic());
    EXPECT_FALSE(F.View->font().underline());
    EXPECT_FALSE(F.View->font().strikeOut());
    EXPECT_TRUE(F.View->font().bold());
    EXPECT_GT(F.View->CharHeight(), H);
    EXPECT_GT(F.View->CharWidth(), W);
    EXPECT_LT(F.View->VisibleLines(), VL);

    const int H2 = F.View->CharHeight(), W2 = F.View->CharWidth(), VL2 = F.View->VisibleLines();
    const int VC2 = F.View->VisibleCols();
    QFont Tiny = F.View->font();
    Tiny.setPointSizeF(0.1);
    ASSERT_EQ(QFontMetrics(Tiny).height(), 0);
    F.View->setFont(Tiny);
    EXPECT_EQ(F.View->CharHeight(), H2);
    EXPECT_EQ(F.View->CharWidth(), W2);
    EXPECT_EQ(F.View->VisibleLines(), VL2);
    EXPECT_EQ(F.View->VisibleCols(), VC2);
    (void)F.Shot(); // still paints
}

TEST(SearchRecTest, SameSearchRecComparesWhatMatters) {
    TXDTSearchRec A, B;
    A.CaseSensitive = true;
    B.FeldArt = 3000; // smNone: nothing else counts
    EXPECT_TRUE(SameSearchRec(A, B));
    A = TXDTSearchRec();
    B = TXDTSearchRec();
    A.SearchMode = B.SearchMode = smSatz;
    A.SearchText = B.SearchText = "8220";
    A.FeldOption = foEquals;
    A.CaseSensitive = true;
    A.MatchText = "X";
    EXPECT_TRUE(SameSearchRec(A, B));
    B.SearchText = "8220 ";
    EXPECT_FALSE(SameSearchRec(A, B));
    A = TXDTSearchRec();
    A.SearchMode = smFeld;
    A.SearchText = "ab";
    B = A;
    B.MatchText = "AB";
    EXPECT_TRUE(SameSearchRec(A, B));
    for (auto Change : std::vector<std::function<void(TXDTSearchRec&)>>{
             [](TXDTSearchRec& R) { R.FeldOption = foBeginsWith; },
             [](TXDTSearchRec& R) { R.CaseSensitive = true; }, [](TXDTSearchRec& R) { R.FeldArt = 3101; },
             [](TXDTSearchRec& R) { R.SearchText = "aB"; },
             [](TXDTSearchRec& R) { R.SearchMode = smSatz; }}) {
        TXDTSearchRec C = A;
        Change(C);
        EXPECT_FALSE(SameSearchRec(A, C));
    }
}

} // namespace
