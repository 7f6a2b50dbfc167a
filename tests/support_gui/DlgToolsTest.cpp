#include "support/DlgTools.h"

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <gtest/gtest.h>

namespace {
QRect Area() {
    QRect A;
    EXPECT_TRUE(GetWorkArea(A));
    return A;
}

// Resets the main window whatever a test does.
struct TMainFormGuard {
    ~TMainFormGuard() { SetMainForm(nullptr); }
};
} // namespace

// A window with its platform window created, so that its outer size (frame included) is known.
// Its outer bounds become R.
void SetOuter(QWidget& W, const QRect& R) {
    W.winId();
    const QMargins Frame(
        W.geometry().left() - W.frameGeometry().left(), W.geometry().top() - W.frameGeometry().top(),
        W.frameGeometry().right() - W.geometry().right(), W.frameGeometry().bottom() - W.geometry().bottom());
    W.resize(R.width() - Frame.left() - Frame.right(), R.height() - Frame.top() - Frame.bottom());
    W.move(R.topLeft());
    ASSERT_EQ(W.frameGeometry(), R);
}

TEST(DlgTools, CenterFormOnWorkArea) {
    const QRect A = Area();
    QWidget Form;
    SetOuter(Form, QRect(0, 0, 201, 101));
    CenterFormOnWorkArea(&Form);
    EXPECT_EQ(Form.frameGeometry(), QRect((A.left() + A.left() + A.width() - 201) / 2,
                                          (A.top() + A.top() + A.height() - 101) / 2, 201, 101));
    CenterFormOnWorkArea(nullptr); // nothing happens
}

TEST(DlgTools, CenterFormOnFormFitsOrFallsBack) {
    const QRect A = Area();
    QWidget Ref, Form;
    SetOuter(Form, QRect(0, 0, 200, 100));
    SetOuter(Ref, QRect(A.left() + 100, A.top() + 100, 400, 300));
    CenterFormOnForm(&Form, &Ref);
    EXPECT_EQ(Form.frameGeometry().topLeft(), QPoint(A.left() + 200, A.top() + 200));

    // Near the right edge the centred form would stick out: it goes to the work area's centre.
    const QPoint Centre((2 * A.left() + A.width() - 200) / 2, (2 * A.top() + A.height() - 100) / 2);
    SetOuter(Ref, QRect(A.left() + A.width() - 250, A.top() + 100, 300, 300));
    CenterFormOnForm(&Form, &Ref);
    EXPECT_EQ(Form.frameGeometry().topLeft(), Centre);

    // The right and bottom edges count as outside: a lower right corner exactly on them does not fit.
    Form.move(0, 0);
    SetOuter(Ref, QRect(A.left() + A.width() - 200, A.top() + 100, 200, 100));
    CenterFormOnForm(&Form, &Ref);
    EXPECT_EQ(Form.frameGeometry().topLeft(), Centre);
    // One pixel further in, it fits.
    SetOuter(Ref, QRect(A.left() + A.width() - 201, A.top() + A.height() - 101, 200, 100));
    CenterFormOnForm(&Form, &Ref);
    EXPECT_EQ(Form.frameGeometry().topLeft(), QPoint(A.left() + A.width() - 201, A.top() + A.height() - 101));
    // Left of the work area does not fit either.
    SetOuter(Ref, QRect(A.left() - 1, A.top() + 10, 200, 100));
    CenterFormOnForm(&Form, &Ref);
    EXPECT_EQ(Form.frameGeometry().topLeft(), Centre);

    CenterFormOnForm(nullptr, &Ref);
    CenterFormOnForm(&Form, nullptr);
    EXPECT_EQ(Form.frameGeometry().topLeft(), Centre);
    EXPECT_EQ(Form.frameGeometry().size(), QSize(200, 100));
}

TEST(DlgTools, PositionFormChoosesItsReference) {
    TMainFormGuard Guard;
    const QRect A = Area();
    const QRect Screen = QGuiApplication::primaryScreen()->geometry();
    QWidget Form, Owner, Main;
    SetOuter(Form, QRect(0, 0, 100, 50));
    SetOuter(Owner, QRect(A.left() + 10, A.top() + 10, 300, 200));
    SetOuter(Main, QRect(A.left() + 50, A.top() + 60, 400, 300));

    PositionForm(&Form, &Owner);
    EXPECT_EQ(Form.frameGeometry().topLeft(), QPoint(A.left() + 110, A.top() + 85));

    // No owner and no visible main window: the screen's centre.
    SetMainForm(&Main);
    PositionForm(&Form);
    EXPECT_EQ(Form.frameGeometry().topLeft(),
              QPoint(Screen.left() + Screen.width() / 2 - 50, Screen.top() + Screen.height() / 2 - 25));

    Main.show();
    ASSERT_TRUE(MainFormVisible());
    const QRect M = Main.frameGeometry();
    PositionForm(&Form);
    EXPECT_EQ(Form.frameGeometry().topLeft(),
              QPoint(M.left() + (M.width() - 100) / 2, M.top() + (M.height() - 50) / 2));
    Main.hide();
}

TEST(DlgTools, ApplicationFacts) {
    TMainFormGuard Guard;
    EXPECT_EQ(MainForm(), nullptr);
    EXPECT_FALSE(MainFormVisible());
    EXPECT_FALSE(ApplicationMinimized());
    {
        QWidget Main;
        SetMainForm(&Main);
        EXPECT_EQ(MainForm(), &Main);
    }
    EXPECT_EQ(MainForm(), nullptr); // a destroyed main window is gone
    SetApplicationTitle("Brenlo Ostrel V2.1");
    EXPECT_EQ(ApplicationTitle(), "Brenlo Ostrel V2.1");
}

TEST(DlgTools, FitRectIntoAreaMovesAndOnlyThenShrinks) {
    const QRect A(10, 20, 800, 600); // right edge 810, bottom 620 (exclusive)
    EXPECT_EQ(FitRectIntoArea(QRect(200, 118, 500, 300), A), QRect(200, 118, 500, 300));
    EXPECT_EQ(FitRectIntoArea(QRect(500, 400, 500, 300), A), QRect(310, 320, 500, 300));
    EXPECT_EQ(FitRectIntoArea(QRect(-50, 0, 500, 300), A), QRect(10, 20, 500, 300));
    EXPECT_EQ(FitRectIntoArea(QRect(200, 118, 1109, 507), A), QRect(10, 113, 800, 507));
    EXPECT_EQ(FitRectIntoArea(QRect(200, 118, 1109, 900), A), A);
}
