#pragma once
// The application icon: a sheet of field lines (a red record line, olive laboratory lines, the grey
// identifier column). Drawn in code, so it needs no image plugin and looks the same everywhere.
#include <QIcon>
#include <QPixmap>

class QPainter;

// Paints the icon into the square of Size units at the painter's origin (also for vector output).
void PaintAppIcon(QPainter& P, qreal Size);
// The icon as a square pixmap of Size pixels (32 is the size the about window shows).
QPixmap AppIconPixmap(int Size = 32);
// The icon in the usual sizes, for window titles and the task bar.
QIcon AppIcon();
