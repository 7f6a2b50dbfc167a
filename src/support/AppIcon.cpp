#include "AppIcon.h"

#include <QPainter>
#include <algorithm>

void PaintAppIcon(QPainter& P, qreal Size) {
    P.save();
    P.setRenderHint(QPainter::Antialiasing);
    // Drawn on a 64 x 64 grid and scaled to the requested size.
    P.scale(Size / 64.0, Size / 64.0);
    P.setPen(QPen(QColor(0x40, 0x40, 0x40), 2));
    P.setBrush(Qt::white);
    P.drawRoundedRect(QRectF(6, 4, 52, 56), 4, 4);
    P.setPen(Qt::NoPen);
    const QColor Red(0xFF, 0, 0), Grey(0x80, 0x80, 0x80), Olive(0x80, 0x80, 0), Light(0xF0, 0xF0, 0xF0);
    P.fillRect(QRectF(10, 10, 44, 7), Red);
    struct TRow {
        int Top;
        QColor Id, Content;
        int ContentWidth;
    };
    const TRow Rows[] = {
        {20, Grey, Light, 30}, {29, Olive, Olive, 30}, {38, Grey, Light, 22}, {47, Olive, Olive, 26}};
    for (const TRow& R : Rows) {
        P.fillRect(QRectF(10, R.Top, 12, 6), R.Id);
        P.fillRect(QRectF(24, R.Top, R.ContentWidth, 6), R.Content);
    }
    P.restore();
}

QPixmap AppIconPixmap(int Size) {
    Size = std::max(Size, 1);
    QPixmap Pix(Size, Size);
    Pix.fill(Qt::transparent);
    QPainter P(&Pix);
    PaintAppIcon(P, Size);
    return Pix;
}

QIcon AppIcon() {
    QIcon Icon;
    for (int Size : {16, 24, 32, 48, 64, 128}) Icon.addPixmap(AppIconPixmap(Size));
    return Icon;
}
