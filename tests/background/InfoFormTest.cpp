#include "TestHelpers.h"
#include "background/ExThread.h"
#include "support/DlgTools.h"
#include "support/FramePanel.h"
#include "support/WinText.h"

#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace {
struct TMainFormGuard {
    ~TMainFormGuard() { SetMainForm(nullptr); }
};

// Sends an event synchronously and frees it.
void Send(QObject* Target, TThreadInfoEvent* E) {
    std::unique_ptr<TThreadInfoEvent> Owned(E);
    QCoreApplication::sendEvent(Target, E);
}
} // namespace

TEST(ThreadInfoForm, LoaderLayout) {
    TThreadInfoForm F(
        "Lade Datei \"C:\\Daten\\sehr\\langer\\Pfad\\zu\\einer\\Datei\\mit\\vielen\\Zeilen.ldt\"...", 0,
        false, true);
    EXPECT_EQ(F.windowTitle(), QStringLiteral("Information"));
    ASSERT_EQ(F.Panels().size(), 1u);
    TBrenloPanel* Caption = F.Panels()[0];
    EXPECT_EQ(Caption->objectName(), QStringLiteral("Panel0"));
    EXPECT_TRUE(Caption->font().bold());
    EXPECT_EQ(Caption->Alignment(), taCenter);
    EXPECT_EQ(Caption->Layout(), tlCenter);
    EXPECT_TRUE(Caption->WordWrap());
    EXPECT_FALSE(Caption->SingleLine());
    EXPECT_EQ(Caption->Align(), alTop);
    EXPECT_EQ(Caption->geometry().topLeft(), QPoint(0, 0));
    EXPECT_EQ(Caption->width(), F.width());
    EXPECT_EQ(F.Progress(), nullptr);

    const TAverageChar Avg = MeasureAverageChar(F.font());
    const int MarginY = DialogUnitsY(8, Avg);
    // Fitted to the wrapped caption: this one needs more than one line at 480 pixels.
    EXPECT_GT(Caption->height(), 16 + 2 * WinLineHeight(Caption->font(), dtExternalLeading) - 1);
    EXPECT_GE(F.width(), 480);

    QPushButton* Button = F.CancelButton();
    ASSERT_NE(Button, nullptr);
    EXPECT_EQ(Button->objectName(), QStringLiteral("Cancel"));
    EXPECT_EQ(Button->text(), QStringLiteral("A&bbrechen"));
    EXPECT_TRUE(Button->isDefault());
    EXPECT_GE(Button->width(), DialogUnitsX(64, Avg));
    EXPECT_EQ(Button->height(), DialogUnitsY(16, Avg));
    EXPECT_EQ(Button->x(), (F.width() - Button->width()) / 2);
    EXPECT_EQ(Button->y(), Caption->height() + MarginY);
    EXPECT_EQ(F.height(), Caption->height() + Button->height() + 2 * MarginY);
    EXPECT_TRUE(F.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_TRUE(F.windowFlags() & Qt::WindowMinimizeButtonHint);
}

TEST(ThreadInfoForm, StatusLinesAndBar) {
    TThreadInfoForm F("Kopf", 2, true, false);
    ASSERT_EQ(F.Panels().size(), 3u);
    int Top = 0;
    for (int I = 0; I < 3; ++I) {
        TBrenloPanel* P = F.Panels()[I];
        EXPECT_EQ(P->objectName(), QStringLiteral("Panel%1").arg(I));
        EXPECT_EQ(P->y(), Top); // stacked without gaps
        Top += P->height();
        if (I > 0) {
            EXPECT_EQ(P->BevelType(), btSunken);
            EXPECT_EQ(P->BevelKind(), bkFlat);
            EXPECT_EQ(P->BevelEdges(), beAll);
            EXPECT_TRUE(P->SingleLine());
            EXPECT_EQ(P->Caption(), "");
            EXPECT_EQ(P->height(), 16 + WinLineHeight(P->font(), dtExternalLeading));
        }
    }
    const int MarginY = DialogUnitsY(8, MeasureAverageChar(F.font()));
    ASSERT_NE(F.Progress(), nullptr);
    EXPECT_EQ(F.Progress()->objectName(), QStringLiteral("Progress"));
    EXPECT_EQ(F.Progress()->maximum(), 1024);
    EXPECT_EQ(F.Progress()->geometry(), QRect(2, Top + MarginY / 2, F.width() - 4, F.Progress()->height()));
    EXPECT_EQ(F.CancelButton(), nullptr);
    EXPECT_EQ(F.height(), Top + MarginY / 2 + F.Progress()->height() + MarginY / 2);
    EXPECT_FALSE(F.windowFlags() & Qt::WindowCloseButtonHint);

    // A status line that grows moves bar and size along with UpdateLayout.
    F.Panels()[1]->SetShadowWidth(10);
    F.UpdateLayout();
    EXPECT_EQ(F.Progress()->y(), Top + 10 + MarginY / 2);
    EXPECT_EQ(F.height(), Top + 10 + MarginY / 2 + F.Progress()->height() + MarginY / 2);
}

TEST(ThreadInfoForm, ProgressArithmetic) {
    TThreadInfoForm F("P", 0, true, false);
    Send(&F, TThreadInfoEvent::SetRange(0, 200));
    EXPECT_EQ(F.Progress()->maximum(), 50000);
    Send(&F, TThreadInfoEvent::SetPos(50));
    EXPECT_EQ(F.Progress()->value(), 12500);
    Send(&F, TThreadInfoEvent::SetRange(-100, 100));
    EXPECT_EQ(F.Progress()->value(), 0);
    Send(&F, TThreadInfoEvent::SetPos(0));
    EXPECT_EQ(F.Progress()->value(), 25000);
    Send(&F, TThreadInfoEvent::SetRange(7, 7));
    Send(&F, TThreadInfoEvent::SetPos(3));
    EXPECT_EQ(F.Progress()->value(), 50000); // an empty range shows full
    // The widest range still has a span, and values outside the range stay on the bar.
    Send(&F, TThreadInfoEvent::SetRange(INT_MIN, INT_MAX));
    EXPECT_EQ(F.RangeSpan(), int64_t(INT_MAX) - INT_MIN);
    Send(&F, TThreadInfoEvent::SetPos(INT_MAX));
    EXPECT_EQ(F.Progress()->value(), 50000);
    Send(&F, TThreadInfoEvent::SetRange(0, 10));
    Send(&F, TThreadInfoEvent::SetPos(11));
    EXPECT_EQ(F.Progress()->value(), 50000);
    Send(&F, TThreadInfoEvent::SetPos(-1));
    EXPECT_EQ(F.Progress()->value(), 0);
    // Halves go to the even neighbour.
    EXPECT_EQ(TThreadInfoForm::ScaledPosition(1, 0, 100000), 0);
    EXPECT_EQ(TThreadInfoForm::ScaledPosition(3, 0, 100000), 2);
    EXPECT_EQ(TThreadInfoForm::ScaledPosition(5, 0, 100000), 2);

    // Without a bar only the range is kept.
    TThreadInfoForm NoBar("P", 0, false, false);
    Send(&NoBar, TThreadInfoEvent::SetRange(10, 30));
    Send(&NoBar, TThreadInfoEvent::SetPos(20));
    EXPECT_EQ(NoBar.RangeLow(), 10);
    EXPECT_EQ(NoBar.RangeHigh(), 30);
    EXPECT_EQ(NoBar.RangeSpan(), 20);
}

TEST(ThreadInfoForm, SetTextTakesTheTextWhateverTheIndex) {
    TThreadInfoForm F("Alt", 1, false, false);
    std::unique_ptr<TThreadInfoEvent> Good(TThreadInfoEvent::SetText(0, "Neu"));
    QCoreApplication::sendEvent(&F, Good.get());
    EXPECT_EQ(F.Panels()[0]->Caption(), "Neu");
    EXPECT_EQ(Good->Text(), nullptr);

    std::unique_ptr<TThreadInfoEvent> Bad(TThreadInfoEvent::SetText(2, "daneben"));
    QCoreApplication::sendEvent(&F, Bad.get());
    EXPECT_EQ(Bad->Text(), nullptr); // taken and freed
    EXPECT_EQ(F.Panels()[0]->Caption(), "Neu");
    EXPECT_EQ(F.Panels()[1]->Caption(), "");
    std::unique_ptr<TThreadInfoEvent> Negative(TThreadInfoEvent::SetText(-1, "daneben"));
    QCoreApplication::sendEvent(&F, Negative.get());
    EXPECT_EQ(Negative->Text(), nullptr);

    // Posted from another thread, the window receives it through its queue.
    std::thread([&] { QCoreApplication::postEvent(&F, TThreadInfoEvent::SetText(1, "Status")); }).join();
    QCoreApplication::sendPostedEvents(&F);
    EXPECT_EQ(F.Panels()[1]->Caption(), "Status");
}

TEST(ThreadInfoForm, OnlyACancelButtonLetsTheUserClose) {
    TThreadInfoForm F("Ohne", 0, false, false);
    bool StillOpen = false;
    int Step = 0;
    TModalWatcher Watch([&](QWidget* W) {
        if (W != &F || !F.isVisible()) return;
        if (Step == 0) {
            QTest::keyClick(&F, Qt::Key_Escape);
            F.close();
            ++Step;
        } else if (Step == 1) {
            StillOpen = F.isVisible();
            F.PostCloseRequest(); // the worker's request closes it
            ++Step;
        }
    });
    F.exec();
    EXPECT_TRUE(StillOpen);
    EXPECT_EQ(Step, 2);

    TThreadInfoForm G("Mit", 0, false, true);
    TModalWatcher Watch2([&](QWidget* W) {
        if (W == &G && G.isVisible()) G.close(); // title bar close cancels
    });
    EXPECT_EQ(G.exec(), QDialog::Rejected);
}

TEST(ThreadInfoForm, CentredOverTheVisibleMainWindow) {
    TMainFormGuard Guard;
    QWidget Main;
    Main.setGeometry(40, 50, 700, 500);
    SetMainForm(&Main);
    Main.show();
    TThreadInfoForm F("Mitte", 0, false, true);
    const QRect M = Main.frameGeometry();
    const QRect R = F.frameGeometry();
    EXPECT_EQ(R.left(), M.left() + (M.width() - R.width()) / 2);
    EXPECT_EQ(R.top(), M.top() + (M.height() - R.height()) / 2);

    // Minimising the progress window minimises the application.
    F.show();
    F.showMinimized();
    QApplication::processEvents();
    EXPECT_TRUE(Main.isMinimized());
    F.hide();
    Main.hide();
}
