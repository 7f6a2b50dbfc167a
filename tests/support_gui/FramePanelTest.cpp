#include "support/FramePanel.h"
#include "support/WinText.h"

#include <QApplication>
#include <QFontMetrics>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

namespace {
QFont TestFont(int Pixels = 20) {
    QFont F(QStringLiteral("Liberation Sans"));
    F.setPixelSize(Pixels);
    return F;
}

int OneLine(const QFont& F) {
    QFontMetrics Fm(F);
    return Fm.height() + std::max(0, Fm.leading());
}

// Counts the height fittings that property changes cause.
class TCountingPanel : public TBrenloPanel {
public:
    using TBrenloPanel::TBrenloPanel;
    void AdjustHeight() override {
        ++Adjusts;
        TBrenloPanel::AdjustHeight();
    }
    int Adjusts = 0;
};

bool HasPixel(const QImage& Img, const QRect& R, QRgb C) {
    for (int Y = R.top(); Y <= R.bottom(); ++Y)
        for (int X = R.left(); X <= R.right(); ++X)
            if (Img.pixel(X, Y) == C) return true;
    return false;
}
bool OnlyPixel(const QImage& Img, const QRect& R, QRgb C) {
    for (int Y = R.top(); Y <= R.bottom(); ++Y)
        for (int X = R.left(); X <= R.right(); ++X)
            if (Img.pixel(X, Y) != C) return false;
    return true;
}
} // namespace

TEST(FramePanel, StartValues) {
    TBaseCustomPanel Base;
    EXPECT_EQ(Base.size(), QSize(185, 41));
    EXPECT_EQ(Base.BevelType(), btBump);
    EXPECT_EQ(Base.BevelEdges(), beAll);
    EXPECT_EQ(Base.ClientRect(), QRect(4, 4, 185 - 8, 41 - 8));

    TBrenloPanel Panel;
    EXPECT_EQ(Panel.BevelType(), btNone);
    EXPECT_EQ(Panel.BevelEdges(), 0u);
    EXPECT_FALSE(Panel.AutoHeight());
    EXPECT_TRUE(Panel.SingleLine());
    EXPECT_FALSE(Panel.WordWrap());
    EXPECT_EQ(Panel.EllipsisType(), elEnd);
    EXPECT_EQ(Panel.TextLeft(), 4);
    EXPECT_EQ(Panel.ShadowColor(), QColor(Qt::white));
    EXPECT_EQ(Panel.height(), 41); // no fitting until asked for

    TBrenloSinglePanel Single;
    Single.setFont(TestFont());
    EXPECT_TRUE(Single.AutoHeight());
    EXPECT_EQ(Single.height(), 2 + 2 + 2 + 2 + 4 + 4 + OneLine(TestFont()));
}

TEST(FramePanel, TextFormatFlags) {
    TBrenloPanel P;
    EXPECT_EQ(P.TextFormatFlags(), 0x240u | 0x8000u | 0x20u); // tabs, leading, end ellipsis, single line
    P.SetShowAccelChar(false);
    P.SetAlignment(taCenter);
    P.SetLayout(tlBottom);
    P.SetEllipsisType(elWord);
    P.SetWordWrap(true);
    P.SetSingleLine(false);
    EXPECT_EQ(P.TextFormatFlags(), 0x800u | 0x240u | 0x1u | 0x8u | 0x40000u | 0x10u);
    P.SetAlignment(taRightJustify);
    P.SetLayout(tlCenter);
    P.SetEllipsisType(elPath);
    EXPECT_EQ(P.TextFormatFlags(), 0x800u | 0x240u | 0x2u | 0x4u | 0x4000u | 0x10u);
    P.SetEllipsisType(elNone);
    P.SetWordWrap(false);
    EXPECT_EQ(P.TextFormatFlags(), 0x800u | 0x240u | 0x2u | 0x4u);
}

TEST(FramePanel, HeightsAndNeededWidth) {
    const QFont F = TestFont();
    QFontMetrics Fm(F);
    TBrenloPanel P;
    P.setFont(F);
    P.SetBorderTop(3);
    P.SetBorderBottom(5);
    P.SetClientTop(1);
    P.SetClientBottom(0);
    P.SetTextTop(2);
    P.SetTextBottom(6);
    P.SetAutoHeight(true);
    const int Frame = 3 + 5 + 1 + 0 + 2 + 6;
    EXPECT_EQ(P.height(), Frame + OneLine(F));
    // A shadow pointing either way adds its width.
    P.SetShadowWidth(-3);
    EXPECT_EQ(P.height(), Frame + 3 + OneLine(F));
    P.SetShadowWidth(0);

    // Auto height gives one line even with word wrap; FitHeightToText fits the wrapped caption.
    P.SetCaption("alpha beta gamma");
    P.SetWordWrap(true);
    P.SetSingleLine(false);
    EXPECT_EQ(P.height(), Frame + OneLine(F));
    const int Inner = 2 + 2 + 2 + 2 + 4 + 4; // left and right: border, client and text margins
    P.resize(Inner + Fm.horizontalAdvance("alpha beta") + 2, P.height());
    P.FitHeightToText();
    EXPECT_EQ(P.height(), Frame + 2 * OneLine(F));
    P.resize(Inner + Fm.horizontalAdvance("alpha beta gamma") + 2, P.height());
    P.FitHeightToText();
    EXPECT_EQ(P.height(), Frame + OneLine(F));

    // Needed width: caption on one line plus all horizontal widths; "&" only counts when shown.
    P.SetCaption("O&k & Co");
    P.SetShadowWidth(2);
    EXPECT_EQ(P.NeededWidth(), Inner + 2 + Fm.horizontalAdvance("Ok  Co"));
    P.SetShowAccelChar(false);
    EXPECT_EQ(P.NeededWidth(), Inner + 2 + Fm.horizontalAdvance("O&k & Co"));
    P.SetCaption("");
    EXPECT_EQ(P.NeededWidth(), Inner + 2);
}

TEST(FramePanel, AlignedPanelsKeepOrFitTheirHeight) {
    QWidget Parent;
    Parent.resize(300, 400);
    const QFont F = TestFont(12);
    auto* Left = new TBrenloPanel(&Parent);
    Left->setFont(F);
    Left->SetAlign(alLeft);
    Left->SetAutoHeight(true);
    EXPECT_EQ(Left->height(), 400); // aligned left: fills the height, no fitting
    Left->FitHeightToText();
    EXPECT_EQ(Left->height(), 400);
    Left->SetAlign(alNone);

    auto* Client = new TBrenloPanel(&Parent);
    Client->SetAlign(alClient);
    Client->SetAutoHeight(true);
    Client->SetShadowWidth(4);
    EXPECT_EQ(Client->geometry(), QRect(0, 0, 300, 400));

    // Top-aligned panels stack; a panel that grows pushes the ones below it down.
    QWidget Stack;
    Stack.resize(200, 300);
    auto* A = new TBrenloPanel(&Stack);
    A->setFont(F);
    A->SetAutoHeight(true);
    A->SetAlign(alTop);
    auto* B = new TBrenloPanel(&Stack);
    B->setFont(F);
    B->SetAutoHeight(true);
    B->SetAlign(alTop);
    B->SetTop(A->y() + A->height() + 1);
    const int H = 16 + OneLine(F);
    EXPECT_EQ(A->geometry(), QRect(0, 0, 200, H));
    EXPECT_EQ(B->geometry(), QRect(0, H, 200, H));
    A->SetShadowWidth(5);
    EXPECT_EQ(B->y(), H + 5);
    Stack.resize(250, 300);
    Stack.show();
    QApplication::processEvents();
    EXPECT_EQ(B->width(), 250);
}

TEST(FramePanel, PropertyChangesTriggerWhatTheyShould) {
    TCountingPanel P;
    P.SetAutoHeight(true);
    P.Adjusts = 0;
    // Frame: recomputed (and height fitted) only on a real change.
    P.SetBorderLeft(2);
    P.SetClientRight(2);
    P.SetBevelType(btNone);
    EXPECT_EQ(P.Adjusts, 0);
    P.SetBorderLeft(7);
    EXPECT_EQ(P.ClientRect().left(), 7 + 2);
    P.SetBevelType(btRaised);
    P.SetBorderColor(Qt::red);
    EXPECT_EQ(P.Adjusts, 3);
    // Text layout settings fit the height.
    P.Adjusts = 0;
    P.SetWordWrap(true);
    P.SetLayout(tlBottom);
    P.SetAlignment(taCenter);
    P.SetTextTop(1);
    P.SetShadowWidth(1);
    P.setFont(TestFont(14));
    EXPECT_EQ(P.Adjusts, 6);
    // Paint-only settings do not.
    P.Adjusts = 0;
    P.SetMaxTextWidth(10);
    P.SetEllipsisType(elNone);
    P.SetShadowColor(Qt::gray);
    P.SetShowAccelChar(false);
    P.SetCaption("x");
    P.setEnabled(false);
    EXPECT_EQ(P.Adjusts, 0);
    // Negative widths are not taken.
    P.SetBorderTop(-4);
    EXPECT_EQ(P.BorderTop(), 0);
}

TEST(FramePanel, PaintsFrameRingAndCaption) {
    TBrenloPanel P;
    P.resize(120, 40);
    P.setFont(TestFont(14));
    P.SetBorderColor(QColor(0, 0, 255));
    P.SetColor(QColor(255, 255, 255));
    P.SetBorderLeft(3);
    P.SetClientLeft(4);
    P.SetBevelType(btSunken);
    P.SetBevelKind(bkFlat);
    P.SetBevelEdges(beAll);
    P.SetCaption("Hallo");
    QImage Img = P.grab().toImage();
    const QRgb Blue = qRgb(0, 0, 255), White = qRgb(255, 255, 255);
    const QRgb Dark = P.palette().color(QPalette::Dark).rgb();
    EXPECT_TRUE(OnlyPixel(Img, QRect(0, 0, 3, 40), Blue));  // left border, 3 wide
    EXPECT_TRUE(OnlyPixel(Img, QRect(0, 0, 120, 2), Blue)); // top border, 2 high
    // The flat sunken bevel is one line in the button-shadow colour on the ring's outer edge.
    EXPECT_EQ(Img.pixel(3, 20), Dark);
    EXPECT_EQ(Img.pixel(60, 2), Dark);
    EXPECT_EQ(Img.pixel(117, 20), Dark);
    EXPECT_EQ(Img.pixel(60, 37), Dark);
    // Caption inside the text box (client area from 7, text margin 4), nothing left of it.
    EXPECT_EQ(P.ClientRect(), QRect(7, 4, 109, 32));
    EXPECT_FALSE(OnlyPixel(Img, QRect(11, 8, 60, 24), White));
    EXPECT_TRUE(OnlyPixel(Img, QRect(7, 5, 4, 30), White));

    // A text box emptied by its margins shows only the background.
    P.resize(20, 40);
    P.SetTextLeft(10);
    P.SetTextRight(10);
    Img = P.grab().toImage();
    EXPECT_TRUE(OnlyPixel(Img, P.ClientRect().adjusted(1, 1, -1, -1), White));
}

TEST(FramePanel, MultiLineCaptionTallerThanBoxStartsAtTop) {
    TBrenloPanel P;
    P.resize(100, 40);
    P.setFont(TestFont(14));
    P.SetColor(Qt::white);
    P.SetBorderTop(0);
    P.SetClientTop(0);
    P.SetTextTop(0);
    P.SetWordWrap(true);
    P.SetSingleLine(false);
    P.SetLayout(tlCenter);
    P.SetCaption("eins zwei drei vier fuenf sechs sieben acht neun zehn");
    const QImage Centred = P.grab().toImage();
    // Centred, its first lines would lie above the box; clamped, it is drawn as from the top.
    P.SetLayout(tlTop);
    EXPECT_EQ(Centred, P.grab().toImage());
    P.SetCaption("eins");
    const QImage Top = P.grab().toImage();
    P.SetLayout(tlCenter);
    EXPECT_NE(Top, P.grab().toImage());
}

TEST(FramePanel, DisabledAndShadowDrawing) {
    TBrenloPanel P;
    P.resize(150, 40);
    P.setFont(TestFont(16));
    P.SetColor(QColor(128, 128, 128));
    P.SetCaption("Schatten");
    P.SetShadowColor(QColor(255, 0, 0));
    P.SetShadowWidth(1);
    QImage Img = P.grab().toImage();
    EXPECT_TRUE(HasPixel(Img, P.ClientRect(), qRgb(255, 0, 0)));

    P.SetShadowWidth(0);
    P.setEnabled(false);
    Img = P.grab().toImage();
    const QRgb Light = P.palette().color(QPalette::Light).rgb();
    const QRgb Dark = P.palette().color(QPalette::Dark).rgb();
    EXPECT_TRUE(HasPixel(Img, P.ClientRect(), Light));
    EXPECT_TRUE(HasPixel(Img, P.ClientRect(), Dark));
}

TEST(FramePanel, AcceleratorFocusesTheFocusControl) {
    QWidget Window;
    auto* Panel = new TBrenloPanel(&Window);
    Panel->SetCaption("&Name");
    auto* Edit = new QLineEdit(&Window);
    Edit->move(0, 50);
    auto* Other = new QLineEdit(&Window);
    Other->move(0, 80);
    {
        QLineEdit Temp;
        Panel->SetFocusControl(&Temp);
    } // destroying the control clears the reference
    EXPECT_EQ(Panel->FocusControl(), nullptr);
    Panel->SetFocusControl(Edit);
    Window.show();
    Window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Window));
    Other->setFocus();
    QTest::keyClick(&Window, Qt::Key_N, Qt::AltModifier);
    EXPECT_TRUE(Edit->hasFocus());

    // With the accelerator shown literally the key does nothing.
    Other->setFocus();
    Panel->SetShowAccelChar(false);
    QTest::keyClick(&Window, Qt::Key_N, Qt::AltModifier);
    EXPECT_TRUE(Other->hasFocus());
}

TEST(FramePanel, DrawEdgeColours) {
    QImage Img(10, 10, QImage::Format_RGB32);
    Img.fill(Qt::white);
    QPalette Pal;
    {
        QPainter P(&Img);
        DrawEdge(P, Pal, QRect(0, 0, 10, 10), BevelTypeEdge(btRaised), beAll, 0);
    }
    EXPECT_EQ(Img.pixel(0, 5), Pal.color(QPalette::Midlight).rgb()); // outer left
    EXPECT_EQ(Img.pixel(1, 5), Pal.color(QPalette::Light).rgb());    // inner left
    EXPECT_EQ(Img.pixel(9, 5), Pal.color(QPalette::Shadow).rgb());   // outer right
    EXPECT_EQ(Img.pixel(8, 5), Pal.color(QPalette::Dark).rgb());     // inner right
    EXPECT_EQ(Img.pixel(5, 5), qRgb(255, 255, 255));
    EXPECT_EQ(BevelTypeEdge(btBump), 9u);
    EXPECT_EQ(BevelTypeEdge(btEtched), 6u);
    EXPECT_EQ(BevelTypeEdge(btSunkenOuter), 2u);
}
