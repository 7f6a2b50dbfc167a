// ostrel-icons: writes the program's icon as the files a desktop looks up by name, drawn by the same
// code as the window's icon, so that the two cannot differ and no image is kept in the repository.
// A build tool; never installed.
//
//   ostrel-icons OUTDIR NAME SIZE... [svg]
//
// writes OUTDIR/hicolor/<SIZE>x<SIZE>/apps/NAME.png for each size and, with "svg" (when built with
// Qt SVG), OUTDIR/hicolor/scalable/apps/NAME.svg. Needs a platform plugin; offscreen will do.
#include "support/AppIcon.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cstdio>
#include <cstring>

#ifdef OSTREL_ICON_SVG
#include <QSvgGenerator>
#endif

namespace {

bool WritePng(const QString& Dir, const QString& Name, int Size) {
    const QString Folder = QStringLiteral("%1/hicolor/%2x%2/apps").arg(Dir).arg(Size);
    if (!QDir().mkpath(Folder)) return false;
    // A QImage, not the window's pixmap: the same pixels without depending on the screen's depth.
    QImage Image(Size, Size, QImage::Format_ARGB32_Premultiplied);
    Image.fill(Qt::transparent);
    {
        QPainter P(&Image);
        PaintAppIcon(P, Size);
    }
    return Image.save(Folder + QLatin1Char('/') + Name + QStringLiteral(".png"), "PNG");
}

bool WriteSvg(const QString& Dir, const QString& Name) {
#ifdef OSTREL_ICON_SVG
    const QString Folder = Dir + QStringLiteral("/hicolor/scalable/apps");
    if (!QDir().mkpath(Folder)) return false;
    QSvgGenerator Svg;
    Svg.setFileName(Folder + QLatin1Char('/') + Name + QStringLiteral(".svg"));
    Svg.setSize(QSize(64, 64));
    Svg.setViewBox(QRect(0, 0, 64, 64));
    Svg.setTitle(QStringLiteral("Ostrel"));
    QPainter P;
    if (!P.begin(&Svg)) return false;
    PaintAppIcon(P, 64);
    return P.end();
#else
    (void)Dir;
    (void)Name;
    std::fprintf(stderr, "ostrel-icons: built without Qt SVG\n");
    return false;
#endif
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication App(argc, argv);
    if (argc < 4) {
        std::fprintf(stderr, "usage: ostrel-icons OUTDIR NAME SIZE... [svg]\n");
        return 2;
    }
    const QString Dir = QString::fromLocal8Bit(argv[1]), Name = QString::fromLocal8Bit(argv[2]);
    for (int I = 3; I < argc; ++I) {
        bool Ok = false;
        if (std::strcmp(argv[I], "svg") == 0) {
            Ok = WriteSvg(Dir, Name);
        } else {
            const int Size = QString::fromLatin1(argv[I]).toInt(&Ok);
            Ok = Ok && Size > 0 && Size <= 1024 && WritePng(Dir, Name, Size);
        }
        if (!Ok) {
            std::fprintf(stderr, "ostrel-icons: cannot write the icon \"%s\" into %s\n", argv[I], argv[1]);
            return 1;
        }
    }
    return 0;
}
