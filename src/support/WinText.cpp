#include "WinText.h"

#include <QFontMetrics>
#include <QPainter>
#include <QTextLayout>
#include <QtMath>
#include <algorithm>
#include <memory>
#include <vector>

namespace {

// The caption with its "&" markers removed, and where the marked characters ended up.
struct TPrepared {
    QString Text;
    std::vector<int> Marks;
};

TPrepared PrepareText(const QString& S, bool Prefix) {
    TPrepared P;
    if (!Prefix) {
        P.Text = S;
        return P;
    }
    P.Text.reserve(S.size());
    for (qsizetype I = 0; I < S.size(); ++I) {
        if (S[I] != u'&') {
            P.Text.append(S[I]);
            continue;
        }
        if (I + 1 >= S.size()) break; // a lone trailing marker is dropped
        ++I;
        if (S[I] != u'&') P.Marks.push_back(int(P.Text.size()));
        P.Text.append(S[I]);
    }
    return P;
}

struct TLine {
    QTextLine Line;
    int Layout = 0; // index into the layouts
    int Width = 0;
};

// Lays the prepared text out in lines: one per paragraph, or more where word breaks are allowed.
class TTextLines {
public:
    TTextLines(const QFont& Font, const TPrepared& P, unsigned Flags, int Width) {
        const bool Single = (Flags & dtSingleLine) != 0;
        const bool Wrap = !Single && (Flags & dtWordBreak) != 0;
        QFontMetrics Fm(Font);
        QTextOption Opt;
        Opt.setWrapMode(Wrap ? QTextOption::WordWrap : QTextOption::NoWrap);
        Opt.setTabStopDistance(8.0 * Fm.averageCharWidth());

        // Paragraph boundaries; a single line shows line breaks as blanks.
        std::vector<std::pair<qsizetype, qsizetype>> Paras;
        const QString& T = P.Text;
        qsizetype Start = 0;
        for (qsizetype I = 0; I <= T.size(); ++I) {
            const bool End = I == T.size();
            if (!End && T[I] != u'\n' && T[I] != u'\r') continue;
            if (End || !Single) {
                Paras.emplace_back(Start, I - Start);
                if (!End && T[I] == u'\r' && I + 1 < T.size() && T[I + 1] == u'\n') ++I;
                Start = I + 1;
            }
        }
        for (const auto& [ParaStart, ParaLen] : Paras) {
            QString Text = T.mid(ParaStart, ParaLen);
            if (Single) {
                Text.replace(u'\r', u' ');
                Text.replace(u'\n', u' ');
            }
            auto Lay = std::make_unique<QTextLayout>(Text, Font);
            Lay->setTextOption(Opt);
            QList<QTextLayout::FormatRange> Formats;
            for (int M : P.Marks) {
                if (M < ParaStart || M >= ParaStart + ParaLen) continue;
                QTextLayout::FormatRange R;
                R.start = int(M - ParaStart);
                R.length = 1;
                R.format.setFontUnderline(true);
                Formats.append(R);
            }
            Lay->setFormats(Formats);
            Lay->beginLayout();
            for (;;) {
                QTextLine L = Lay->createLine();
                if (!L.isValid()) break;
                L.setLineWidth(Wrap ? qMax(Width, 0) : 1e7);
                L.setPosition(QPointF(0, 0));
                // The sum of the advances, as text extents count; a blank at a word break does not count.
                const qreal W = std::min(L.naturalTextWidth(), L.horizontalAdvance());
                FLines.push_back({L, int(FLayouts.size()), qRound(W)});
            }
            Lay->endLayout();
            FLayouts.push_back(std::move(Lay));
        }
    }
    const std::vector<TLine>& Lines() const { return FLines; }
    QTextLayout& Layout(int I) { return *FLayouts[I]; }
    int MaxWidth() const {
        int W = 0;
        for (const TLine& L : FLines) W = qMax(W, L.Width);
        return W;
    }

private:
    std::vector<std::unique_ptr<QTextLayout>> FLayouts;
    std::vector<TLine> FLines;
};

void DrawPlain(QPainter& P, const QFont& Font, const QString& S, int X, int Y) {
    QTextLayout Lay(S, Font);
    QTextOption Opt;
    Opt.setWrapMode(QTextOption::NoWrap);
    Opt.setTabStopDistance(8.0 * QFontMetrics(Font).averageCharWidth());
    Lay.setTextOption(Opt);
    Lay.beginLayout();
    QTextLine L = Lay.createLine();
    if (L.isValid()) {
        L.setLineWidth(1e7);
        L.setPosition(QPointF(0, 0));
    }
    Lay.endLayout();
    Lay.draw(&P, QPointF(X, Y));
}

} // namespace

int WinLineHeight(const QFont& Font, unsigned Flags) {
    QFontMetrics Fm(Font);
    int H = Fm.height();
    if (Flags & dtExternalLeading) H += qMax(0, Fm.leading());
    return H;
}

QRect WinDrawText(QPainter* Painter, const QFont& Font, const QString& Text, const QRect& R, unsigned Flags) {
    const bool Calc = (Flags & dtCalcRect) != 0;
    const bool Single = (Flags & dtSingleLine) != 0;
    const int Lh = WinLineHeight(Font, Flags);
    if (Text.isEmpty()) {
        if (!Calc) return R;
        return QRect(R.left(), R.top(), 0, Single ? Lh : 0);
    }
    const TPrepared P = PrepareText(Text, (Flags & dtNoPrefix) == 0);
    TTextLines Lines(Font, P, Flags, R.width());
    if (Calc) return QRect(R.left(), R.top(), Lines.MaxWidth(), int(Lines.Lines().size()) * Lh);
    if (!Painter) return R;

    Painter->save();
    if (!(Flags & dtNoClip)) Painter->setClipRect(R, Qt::IntersectClip);
    int Y = R.top();
    if (Single) {
        if (Flags & dtBottom)
            Y = R.top() + R.height() - Lh;
        else if (Flags & dtVCenter)
            Y = R.top() + (R.height() - Lh) / 2;
    }
    const unsigned Ellipsis = Flags & (dtPathEllipsis | dtEndEllipsis | dtWordEllipsis);
    QFontMetrics Fm(Font);
    for (const TLine& L : Lines.Lines()) {
        QTextLayout& Lay = Lines.Layout(L.Layout);
        int W = L.Width;
        QString Elided;
        if (Ellipsis && W > R.width()) {
            const QString Part = Lay.text().mid(L.Line.textStart(), L.Line.textLength());
            Elided = Fm.elidedText(Part, (Ellipsis & dtPathEllipsis) ? Qt::ElideMiddle : Qt::ElideRight,
                                   qMax(R.width(), 0));
            W = Fm.horizontalAdvance(Elided);
        }
        int X = R.left();
        if (Flags & dtCenter)
            X = R.left() + (R.width() - W) / 2;
        else if (Flags & dtRight)
            X = R.left() + R.width() - W;
        if (Elided.isNull())
            L.Line.draw(Painter, QPointF(X - L.Line.x(), Y));
        else
            DrawPlain(*Painter, Font, Elided, X, Y);
        Y += Lh;
    }
    Painter->restore();
    return R;
}

QSize WinTextExtent(const QFont& Font, const QString& Text, unsigned Flags, int Width) {
    return WinDrawText(nullptr, Font, Text, QRect(0, 0, Width, 0), Flags | dtCalcRect).size();
}

QChar AccelChar(const QString& Caption) {
    for (qsizetype I = 0; I + 1 < Caption.size(); ++I) {
        if (Caption[I] != u'&') continue;
        if (Caption[I + 1] != u'&') return Caption[I + 1];
        ++I;
    }
    return QChar();
}

TAverageChar MeasureAverageChar(const QFont& Font) {
    static const QString Letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    QFontMetrics Fm(Font);
    return {Fm.horizontalAdvance(Letters) / 52, Fm.height()};
}

int MulDiv(int A, int B, int C) {
    if (C == 0) return -1;
    const long long P = static_cast<long long>(A) * B;
    long long Q = P / C;
    const long long Rem = P % C;
    // Round half away from zero.
    if (2 * (Rem < 0 ? -Rem : Rem) >= (C < 0 ? -C : C)) Q += ((P < 0) != (C < 0)) ? -1 : 1;
    return static_cast<int>(Q);
}
