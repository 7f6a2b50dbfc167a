#pragma once
// Text output with the layout rules of the built-in windows: one line height per line (the font's
// height, plus its external leading on request), word breaks at blanks, "&" as accelerator marker,
// tab stops every eight average characters, and the shortening of lines that do not fit. Panels,
// progress window and message box measure and draw with the same code, so a measured text always
// fits where it is drawn.
#include <QFont>
#include <QRect>
#include <QString>

class QPainter;

// The flag values are those of the classic DrawText call, so that flag arithmetic reads the same.
enum TTextFlag : unsigned {
    dtLeft = 0x0,
    dtTop = 0x0,
    dtCenter = 0x1,
    dtRight = 0x2,
    dtVCenter = 0x4, // single line only
    dtBottom = 0x8,  // single line only
    dtWordBreak = 0x10,
    dtSingleLine = 0x20,
    dtExpandTabs = 0x40,
    dtNoClip = 0x100,
    dtExternalLeading = 0x200,
    dtCalcRect = 0x400,
    dtNoPrefix = 0x800,
    dtPathEllipsis = 0x4000,
    dtEndEllipsis = 0x8000,
    dtRtlReading = 0x20000,
    dtWordEllipsis = 0x40000,
};

// Draws Text into R with the painter's pen. With dtCalcRect nothing is drawn (Painter may be null):
// the result keeps R's left and top and has the width of the widest line and the height of all lines.
// Without dtCalcRect the result is R.
QRect WinDrawText(QPainter* Painter, const QFont& Font, const QString& Text, const QRect& R, unsigned Flags);

// Size of Text laid out in a rectangle of the given width (dtCalcRect implied).
QSize WinTextExtent(const QFont& Font, const QString& Text, unsigned Flags, int Width = 0);

// Height of one line under Flags (external leading included with dtExternalLeading).
int WinLineHeight(const QFont& Font, unsigned Flags);

// The accelerator character of a caption ("&" marks it, "&&" is a literal "&"); a null QChar if none.
QChar AccelChar(const QString& Caption);

// Average character width and height of a font: the width of "A".."Z" + "a".."z" divided by 52, and
// the font's height. Dialog sizes are given in units of a quarter average width and an eighth height.
struct TAverageChar {
    int Width = 0;
    int Height = 0;
};
TAverageChar MeasureAverageChar(const QFont& Font);

// A * B / C rounded to the nearest integer (halves away from zero); -1 when C is 0.
int MulDiv(int A, int B, int C);

// Dialog units to pixels for a measured font.
inline int DialogUnitsX(int Units, const TAverageChar& Avg) {
    return MulDiv(Units, Avg.Width, 4);
}
inline int DialogUnitsY(int Units, const TAverageChar& Avg) {
    return MulDiv(Units, Avg.Height, 8);
}
