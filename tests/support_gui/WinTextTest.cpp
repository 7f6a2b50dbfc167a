#include "support/WinText.h"

#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

namespace {
QFont TestFont() {
    QFont F(QStringLiteral("Liberation Sans"));
    F.setPixelSize(20);
    return F;
}

// Columns of the image that hold a pixel other than white.
int InkColumns(const QImage& Img, int Top, int Bottom) {
    int N = 0;
    for (int X = 0; X < Img.width(); ++X)
        for (int Y = Top; Y < Bottom; ++Y)
            if (Img.pixel(X, Y) != qRgb(255, 255, 255)) {
                ++N;
                break;
            }
    return N;
}
} // namespace

TEST(WinText, MulDivRoundsHalvesAwayFromZero) {
    EXPECT_EQ(MulDiv(8, 7, 4), 14);
    EXPECT_EQ(MulDiv(1, 6, 4), 2);   // 1.5
    EXPECT_EQ(MulDiv(1, 5, 4), 1);   // 1.25
    EXPECT_EQ(MulDiv(-1, 6, 4), -2); // -1.5
    EXPECT_EQ(MulDiv(3, 3, 0), -1);
    EXPECT_EQ(MulDiv(100000, 100000, 100000), 100000); // no overflow in between
}

TEST(WinText, AcceleratorMarkers) {
    EXPECT_EQ(AccelChar(QStringLiteral("A&bbrechen")), QChar(u'b'));
    EXPECT_EQ(AccelChar(QStringLiteral("Tom && Jerry")), QChar());
    EXPECT_EQ(AccelChar(QStringLiteral("a&&b&c")), QChar(u'c'));
    EXPECT_EQ(AccelChar(QStringLiteral("end&")), QChar());

    const QFont F = TestFont();
    QFontMetrics Fm(F);
    // "&" marks are not measured, "&&" counts as one "&"; without prefix processing all is literal.
    EXPECT_EQ(WinTextExtent(F, QStringLiteral("O&k"), dtSingleLine).width(), Fm.horizontalAdvance("Ok"));
    EXPECT_EQ(WinTextExtent(F, QStringLiteral("A&&B"), dtSingleLine).width(), Fm.horizontalAdvance("A&B"));
    EXPECT_EQ(WinTextExtent(F, QStringLiteral("O&k"), dtSingleLine | dtNoPrefix).width(),
              Fm.horizontalAdvance("O&k"));
}

TEST(WinText, LineHeightsAndWordBreaks) {
    const QFont F = TestFont();
    QFontMetrics Fm(F);
    const int H = Fm.height();
    const int Lead = std::max(0, Fm.leading());
    EXPECT_EQ(WinLineHeight(F, 0), H);
    EXPECT_EQ(WinLineHeight(F, dtExternalLeading), H + Lead);

    // Empty text: a single line keeps one line's height, multi-line text has none.
    EXPECT_EQ(WinTextExtent(F, QString(), dtSingleLine), QSize(0, H));
    EXPECT_EQ(WinTextExtent(F, QString(), dtWordBreak), QSize(0, 0));

    // Word breaks at blanks within the width; every line has the same height.
    const QString Words = QStringLiteral("alpha beta gamma");
    const int Two = Fm.horizontalAdvance("alpha beta");
    const QSize Wrapped = WinTextExtent(F, Words, dtWordBreak | dtExternalLeading, Two + 2);
    EXPECT_EQ(Wrapped.height(), 2 * (H + Lead));
    EXPECT_LE(Wrapped.width(), Two + 2);
    // Without word breaks, or on a single line, it stays one line.
    EXPECT_EQ(WinTextExtent(F, Words, 0, Two).height(), H);
    EXPECT_EQ(WinTextExtent(F, Words, dtSingleLine | dtWordBreak, Two).height(), H);
    // Line breaks start new lines unless the text is drawn on one line.
    EXPECT_EQ(WinTextExtent(F, QStringLiteral("a\r\nb\nc"), 0).height(), 3 * H);
    EXPECT_EQ(WinTextExtent(F, QStringLiteral("a\r\nb\nc"), dtSingleLine).height(), H);
    // A word wider than the width is not broken: the measured width grows to it.
    const QString Long = QStringLiteral("Donaudampfschifffahrt");
    EXPECT_EQ(WinTextExtent(F, Long, dtWordBreak, 20).width(), Fm.horizontalAdvance(Long));
    // Tabs stop every eight average characters.
    EXPECT_EQ(WinTextExtent(F, QStringLiteral("\tx"), dtExpandTabs | dtSingleLine).width(),
              8 * Fm.averageCharWidth() + Fm.horizontalAdvance("x"));
}

TEST(WinText, DrawingPlacesAndShortensLines) {
    const QFont F = TestFont();
    QImage Img(300, 40, QImage::Format_RGB32);
    auto Draw = [&](const QString& Text, unsigned Flags) {
        Img.fill(Qt::white);
        QPainter P(&Img);
        P.setPen(Qt::black);
        WinDrawText(&P, F, Text, QRect(10, 0, 100, 40), Flags);
    };
    // Clipped to the rectangle: nothing left of 10 or right of 110.
    Draw(QStringLiteral("WWWWWWWWWWWWWWWWWWWW"), dtSingleLine);
    for (int X : {0, 9, 110, 200})
        for (int Y = 0; Y < 40; ++Y) ASSERT_EQ(Img.pixel(X, Y), qRgb(255, 255, 255)) << X << "," << Y;
    // Without clipping it runs on.
    Draw(QStringLiteral("WWWWWWWWWWWWWWWWWWWW"), dtSingleLine | dtNoClip);
    EXPECT_GT(InkColumns(Img, 0, 40), 150);
    // Right-aligned text ends at the right edge; centred text sits in the middle.
    Draw(QStringLiteral("ii"), dtSingleLine | dtRight);
    bool RightInk = false;
    for (int X = 100; X < 110; ++X)
        for (int Y = 0; Y < 40; ++Y) RightInk |= Img.pixel(X, Y) != qRgb(255, 255, 255);
    EXPECT_TRUE(RightInk);
    // Vertically centred single line: no ink in the top rows.
    Draw(QStringLiteral("Hg"), dtSingleLine | dtVCenter);
    EXPECT_EQ(InkColumns(Img, 0, 3), 0);
    EXPECT_GT(InkColumns(Img, 3, 40), 0);
}
