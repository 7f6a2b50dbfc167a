#include "FramePanel.h"

#include "Ansi.h"
#include "WinText.h"

#include <QEvent>
#include <QKeySequence>
#include <QMouseEvent>
#include <QPainter>
#include <QShortcutEvent>
#include <algorithm>
#include <cstdlib>
#include <vector>

// ---------------------------------------------------------------------------------------------------
// Bevels

namespace {

// Colours of the classic 3-D look, taken from the palette.
enum TEdgeColor : signed char {
    ecNone = -1,
    ecHighlight,
    ecLight,
    ecShadow,
    ecDkShadow,
    ecFace,
    ecWindow,
    ecFrame
};

QColor EdgeColor(const QPalette& Pal, int C) {
    switch (C) {
    case ecHighlight:
        return Pal.color(QPalette::Light);
    case ecLight:
        return Pal.color(QPalette::Midlight);
    case ecShadow:
        return Pal.color(QPalette::Dark);
    case ecDkShadow:
        return Pal.color(QPalette::Shadow);
    case ecFace:
        return Pal.color(QPalette::Button);
    case ecWindow:
        return Pal.color(QPalette::Base);
    default:
        return Qt::black;
    }
}

// Indexed by the four edge bits (raised outer 1, sunken outer 2, raised inner 4, sunken inner 8). A lone
// inner edge is drawn in the outer line.
constexpr signed char LTInnerNormal[16] = {-1, -1,         -1,         -1, -1, ecHighlight, ecHighlight, -1,
                                           -1, ecDkShadow, ecDkShadow, -1, -1, -1,          -1,          -1};
constexpr signed char LTOuterNormal[16] = {-1,       ecLight, ecShadow,   -1,      ecHighlight, ecLight,
                                           ecShadow, -1,      ecDkShadow, ecLight, ecShadow,    -1,
                                           -1,       ecLight, ecShadow,   -1};
constexpr signed char RBInnerNormal[16] = {-1, -1,      -1,      -1, -1, ecShadow, ecShadow, -1,
                                           -1, ecLight, ecLight, -1, -1, -1,       -1,       -1};
constexpr signed char RBOuterNormal[16] = {
    -1,      ecDkShadow, ecHighlight, -1, ecShadow, ecDkShadow, ecHighlight, -1,
    ecLight, ecDkShadow, ecHighlight, -1, -1,       ecDkShadow, ecHighlight, -1};
constexpr signed char LTInnerSoft[16] = {-1, -1,       -1,       -1, -1, ecLight, ecLight, -1,
                                         -1, ecShadow, ecShadow, -1, -1, -1,      -1,      -1};
constexpr signed char LTOuterSoft[16] = {
    -1,       ecHighlight, ecDkShadow, -1, ecLight, ecHighlight, ecDkShadow, -1,
    ecShadow, ecHighlight, ecDkShadow, -1, -1,      ecHighlight, ecDkShadow, -1};
constexpr signed char OuterMono[16] = {-1,       ecFrame, ecFrame,  ecFrame, ecWindow, ecFrame,
                                       ecFrame,  ecFrame, ecWindow, ecFrame, ecFrame,  ecFrame,
                                       ecWindow, ecFrame, ecFrame,  ecFrame};
constexpr signed char InnerMono[16] = {-1, -1,       -1,       -1,       -1, ecWindow, ecWindow, ecWindow,
                                       -1, ecWindow, ecWindow, ecWindow, -1, ecWindow, ecWindow, ecWindow};
constexpr signed char OuterFlat[16] = {-1,       ecShadow, ecShadow, ecShadow, ecFace,   ecShadow,
                                       ecShadow, ecShadow, ecFace,   ecShadow, ecShadow, ecShadow,
                                       ecFace,   ecShadow, ecShadow, ecShadow};
constexpr signed char InnerFlat[16] = {-1, -1,     -1,     -1,     -1, ecFace, ecFace, ecFace,
                                       -1, ecFace, ecFace, ecFace, -1, ecFace, ecFace, ecFace};

// One ring of lines: left and top in LT, then right and bottom in RB (which own the corners they share).
void DrawRing(QPainter& P, const QPalette& Pal, int L, int T, int R, int B, int LT, int RB, unsigned Sides) {
    if (R <= L || B <= T) return;
    if (LT >= 0) {
        const QColor C = EdgeColor(Pal, LT);
        if (Sides & beTop) P.fillRect(L, T, R - L, 1, C);
        if (Sides & beLeft) P.fillRect(L, T, 1, B - T, C);
    }
    if (RB >= 0) {
        const QColor C = EdgeColor(Pal, RB);
        if (Sides & beBottom) P.fillRect(L, B - 1, R - L, 1, C);
        if (Sides & beRight) P.fillRect(R - 1, T, 1, B - T, C);
    }
}

} // namespace

unsigned BevelTypeEdge(TBevelType T) {
    static constexpr unsigned Edges[] = {0, 9, 6, 5, 10, 4, 8, 1, 2};
    return (T >= btNone && T <= btSunkenOuter) ? Edges[T] : 0;
}

void DrawEdge(QPainter& P, const QPalette& Pal, const QRect& R, unsigned Edge, unsigned Sides,
              unsigned Flags) {
    const unsigned I = Edge & 0xF;
    int LTi, LTo, RBi, RBo;
    if (Flags & bfMono) {
        LTi = RBi = InnerMono[I];
        LTo = RBo = OuterMono[I];
    } else if (Flags & bfFlat) {
        LTi = RBi = InnerFlat[I];
        LTo = RBo = OuterFlat[I];
    } else if (Flags & bfSoft) {
        LTi = LTInnerSoft[I];
        LTo = LTOuterSoft[I];
        RBi = RBInnerNormal[I];
        RBo = RBOuterNormal[I];
    } else {
        LTi = LTInnerNormal[I];
        LTo = LTOuterNormal[I];
        RBi = RBInnerNormal[I];
        RBo = RBOuterNormal[I];
    }
    const int L = R.left(), T = R.top(), Rt = R.left() + R.width(), B = R.top() + R.height();
    DrawRing(P, Pal, L, T, Rt, B, LTo, RBo, Sides);
    if (LTi >= 0 || RBi >= 0) {
        // The inner ring sits inside the sides that got an outer line.
        DrawRing(P, Pal, L + ((Sides & beLeft) ? 1 : 0), T + ((Sides & beTop) ? 1 : 0),
                 Rt - ((Sides & beRight) ? 1 : 0), B - ((Sides & beBottom) ? 1 : 0), LTi, RBi, Sides);
    }
}

// ---------------------------------------------------------------------------------------------------
// Alignment of panels in their parent

void AlignPanels(QWidget* Parent) {
    static std::vector<QWidget*> Busy; // parents being arranged (user-interface thread only)
    if (!Parent || std::find(Busy.begin(), Busy.end(), Parent) != Busy.end()) return;
    Busy.push_back(Parent);
    struct TGuard {
        ~TGuard() { Busy.pop_back(); }
    } Guard;

    std::vector<TBaseCustomPanel*> Tops, Bottoms, Lefts, Rights, Clients;
    for (QObject* C : Parent->children()) {
        auto* P = qobject_cast<TBaseCustomPanel*>(C);
        if (!P || P->isWindow()) continue;
        if (P->isHidden() && P->testAttribute(Qt::WA_WState_ExplicitShowHide)) continue;
        switch (P->Align()) {
        case alTop:
            Tops.push_back(P);
            break;
        case alBottom:
            Bottoms.push_back(P);
            break;
        case alLeft:
            Lefts.push_back(P);
            break;
        case alRight:
            Rights.push_back(P);
            break;
        case alClient:
            Clients.push_back(P);
            break;
        default:
            break;
        }
    }
    std::stable_sort(Tops.begin(), Tops.end(), [](auto* A, auto* B) { return A->y() < B->y(); });
    std::stable_sort(Bottoms.begin(), Bottoms.end(),
                     [](auto* A, auto* B) { return A->y() + A->height() > B->y() + B->height(); });
    std::stable_sort(Lefts.begin(), Lefts.end(), [](auto* A, auto* B) { return A->x() < B->x(); });
    std::stable_sort(Rights.begin(), Rights.end(),
                     [](auto* A, auto* B) { return A->x() + A->width() > B->x() + B->width(); });

    const QRect Area = Parent->contentsRect();
    int L = Area.left(), T = Area.top(), R = Area.left() + Area.width(), B = Area.top() + Area.height();
    for (auto* P : Tops) {
        P->setGeometry(L, T, std::max(R - L, 0), P->height());
        T += P->height();
    }
    for (auto* P : Bottoms) {
        B -= P->height();
        P->setGeometry(L, B, std::max(R - L, 0), P->height());
    }
    for (auto* P : Lefts) {
        P->setGeometry(L, T, P->width(), std::max(B - T, 0));
        L += P->width();
    }
    for (auto* P : Rights) {
        R -= P->width();
        P->setGeometry(R, T, P->width(), std::max(B - T, 0));
    }
    for (auto* P : Clients) P->setGeometry(L, T, std::max(R - L, 0), std::max(B - T, 0));
}

// ---------------------------------------------------------------------------------------------------
// TBaseCustomPanel

TBaseCustomPanel::TBaseCustomPanel(QWidget* Parent) : QWidget(Parent) {
    FBorderColor = palette().color(QPalette::Button);
    FColor = palette().color(QPalette::Button);
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(185, 41);
    setContentsMargins(FBorderLeft + FClientLeft, FBorderTop + FClientTop, FBorderRight + FClientRight,
                       FBorderBottom + FClientBottom);
}

void TBaseCustomPanel::SetFrameValue(int& Field, int Value) {
    Value = std::max(Value, 0);
    if (Field == Value) return;
    Field = Value;
    FrameChanged();
}

void TBaseCustomPanel::SetBorderLeft(int Value) {
    SetFrameValue(FBorderLeft, Value);
}
void TBaseCustomPanel::SetBorderTop(int Value) {
    SetFrameValue(FBorderTop, Value);
}
void TBaseCustomPanel::SetBorderRight(int Value) {
    SetFrameValue(FBorderRight, Value);
}
void TBaseCustomPanel::SetBorderBottom(int Value) {
    SetFrameValue(FBorderBottom, Value);
}
void TBaseCustomPanel::SetClientLeft(int Value) {
    SetFrameValue(FClientLeft, Value);
}
void TBaseCustomPanel::SetClientTop(int Value) {
    SetFrameValue(FClientTop, Value);
}
void TBaseCustomPanel::SetClientRight(int Value) {
    SetFrameValue(FClientRight, Value);
}
void TBaseCustomPanel::SetClientBottom(int Value) {
    SetFrameValue(FClientBottom, Value);
}

void TBaseCustomPanel::SetBorderColor(const QColor& Value) {
    if (FBorderColor == Value) return;
    FBorderColor = Value;
    FrameChanged();
}

void TBaseCustomPanel::SetBevelType(TBevelType Value) {
    if (FBevelType == Value) return;
    FBevelType = Value;
    FrameChanged();
}

void TBaseCustomPanel::SetBevelKind(TBevelKind Value) {
    if (FBevelKind == Value) return;
    FBevelKind = Value;
    FrameChanged();
}

void TBaseCustomPanel::SetBevelEdges(TBevelEdges Value) {
    Value &= beAll;
    if (FBevelEdges == Value) return;
    FBevelEdges = Value;
    FrameChanged();
}

void TBaseCustomPanel::SetCtl3D(bool Value) {
    if (FCtl3D == Value) return;
    FCtl3D = Value;
    FrameChanged();
}

void TBaseCustomPanel::SetColor(const QColor& Value) {
    if (FColor == Value) return;
    FColor = Value;
    FrameChanged();
}

void TBaseCustomPanel::SetAlign(TAlign Value) {
    if (FAlign == Value) return;
    FAlign = Value;
    WatchParent();
    AlignPanels(parentWidget());
}

void TBaseCustomPanel::SetBounds(int Left, int Top, int Width, int Height) {
    const QRect R(Left, Top, std::max(Width, 0), std::max(Height, 0));
    if (geometry() != R) setGeometry(R);
    if (FAlign != alNone) AlignPanels(parentWidget());
}

QRect TBaseCustomPanel::ClientRect() const {
    return contentsRect();
}

void TBaseCustomPanel::FrameChanged() {
    setContentsMargins(FBorderLeft + FClientLeft, FBorderTop + FClientTop, FBorderRight + FClientRight,
                       FBorderBottom + FClientBottom);
    update();
    AlignPanels(this);
    AdjustHeight();
}

void TBaseCustomPanel::PaintClient(QPainter& P) {
    P.fillRect(ClientRect(), FColor);
}

void TBaseCustomPanel::paintEvent(QPaintEvent*) {
    QPainter P(this);
    const QRect Client = ClientRect();
    const int W = width(), H = height();

    // The frame: everything outside the client area.
    P.save();
    QRegion Frame(rect());
    if (!Client.isEmpty()) Frame -= QRegion(Client);
    P.setClipRegion(Frame);
    if (FBorderTop) P.fillRect(0, 0, W, FBorderTop, FBorderColor);
    if (FBorderBottom) P.fillRect(0, H - FBorderBottom, W, FBorderBottom, FBorderColor);
    const int MidH = H - FBorderTop - FBorderBottom;
    if (MidH > 0) {
        if (FBorderLeft) P.fillRect(0, FBorderTop, FBorderLeft, MidH, FBorderColor);
        if (FBorderRight) P.fillRect(W - FBorderRight, FBorderTop, FBorderRight, MidH, FBorderColor);
    }
    const QRect Ring(FBorderLeft, FBorderTop, W - FBorderLeft - FBorderRight, MidH);
    if (!Ring.isEmpty()) {
        P.fillRect(Ring, FColor);
        if (FBevelType != btNone) {
            unsigned Flags = 0;
            if (FBevelKind == bkSoft) Flags |= bfSoft;
            if (FBevelKind == bkFlat) Flags |= bfFlat;
            if (!FCtl3D) Flags |= bfMono;
            DrawEdge(P, palette(), Ring, BevelTypeEdge(FBevelType), FBevelEdges, Flags);
        }
    }
    P.restore();

    if (!Client.isEmpty()) {
        P.save();
        P.setClipRect(Client);
        PaintClient(P);
        P.restore();
    }
}

void TBaseCustomPanel::mousePressEvent(QMouseEvent* E) {
    if (E->button() == Qt::LeftButton) FPressed = true;
    QWidget::mousePressEvent(E);
}

void TBaseCustomPanel::mouseReleaseEvent(QMouseEvent* E) {
    const bool Click = FPressed && E->button() == Qt::LeftButton && rect().contains(E->position().toPoint());
    FPressed = false;
    QWidget::mouseReleaseEvent(E);
    if (Click) emit Clicked();
}

void TBaseCustomPanel::mouseDoubleClickEvent(QMouseEvent* E) {
    QWidget::mouseDoubleClickEvent(E);
    if (E->button() == Qt::LeftButton) emit DoubleClicked();
}

void TBaseCustomPanel::resizeEvent(QResizeEvent* E) {
    QWidget::resizeEvent(E);
    // Resized from outside (SetBounds arranges at once): the siblings follow.
    if (FAlign != alNone) AlignPanels(parentWidget());
}

void TBaseCustomPanel::WatchParent() {
    QWidget* Parent = FAlign != alNone ? parentWidget() : nullptr;
    if (FWatchedParent == Parent) return;
    if (FWatchedParent) FWatchedParent->removeEventFilter(this);
    FWatchedParent = Parent;
    if (Parent) Parent->installEventFilter(this);
}

bool TBaseCustomPanel::event(QEvent* E) {
    if (E->type() == QEvent::ParentChange) {
        WatchParent();
        if (FAlign != alNone) AlignPanels(parentWidget());
    }
    return QWidget::event(E);
}

bool TBaseCustomPanel::eventFilter(QObject* Watched, QEvent* E) {
    if (Watched == FWatchedParent && E->type() == QEvent::Resize) AlignPanels(FWatchedParent);
    return QWidget::eventFilter(Watched, E);
}

// ---------------------------------------------------------------------------------------------------
// TBrenloCustomPanel

TBrenloCustomPanel::TBrenloCustomPanel(QWidget* Parent) : TBaseCustomPanel(Parent) {
    SetBevelType(btNone);
    SetBevelEdges(0);
}

void TBrenloCustomPanel::SetCaption(const std::string& Value) {
    if (FCaption == Value) return;
    FCaption = Value;
    UpdateShortcut();
    update();
}

void TBrenloCustomPanel::SetLayoutValue(int& Field, int Value) {
    if (Field == Value) return;
    Field = Value;
    AdjustHeight();
    update();
}

void TBrenloCustomPanel::SetAutoHeight(bool Value) {
    if (FAutoHeight == Value) return;
    FAutoHeight = Value;
    AdjustHeight();
    update();
}

void TBrenloCustomPanel::SetTextLeft(int Value) {
    SetLayoutValue(FTextLeft, std::max(Value, 0));
}
void TBrenloCustomPanel::SetTextTop(int Value) {
    SetLayoutValue(FTextTop, std::max(Value, 0));
}
void TBrenloCustomPanel::SetTextRight(int Value) {
    SetLayoutValue(FTextRight, std::max(Value, 0));
}
void TBrenloCustomPanel::SetTextBottom(int Value) {
    SetLayoutValue(FTextBottom, std::max(Value, 0));
}
void TBrenloCustomPanel::SetShadowWidth(int Value) {
    SetLayoutValue(FShadowWidth, Value);
}

void TBrenloCustomPanel::SetMaxTextWidth(int Value) {
    Value = std::max(Value, 0);
    if (FMaxTextWidth == Value) return;
    FMaxTextWidth = Value;
    update();
}

void TBrenloCustomPanel::SetAlignment(TAlignment Value) {
    if (FAlignment == Value) return;
    FAlignment = Value;
    AdjustHeight();
    update();
}

void TBrenloCustomPanel::SetLayout(TTextLayout Value) {
    if (FLayout == Value) return;
    FLayout = Value;
    AdjustHeight();
    update();
}

void TBrenloCustomPanel::SetWordWrap(bool Value) {
    if (FWordWrap == Value) return;
    FWordWrap = Value;
    AdjustHeight();
    update();
}

void TBrenloCustomPanel::SetSingleLine(bool Value) {
    if (FSingleLine == Value) return;
    FSingleLine = Value;
    AdjustHeight();
    update();
}

void TBrenloCustomPanel::SetEllipsisType(TEllipsisType Value) {
    if (FEllipsisType == Value) return;
    FEllipsisType = Value;
    update();
}

void TBrenloCustomPanel::SetShadowColor(const QColor& Value) {
    if (FShadowColor == Value) return;
    FShadowColor = Value;
    update();
}

void TBrenloCustomPanel::SetShowAccelChar(bool Value) {
    if (FShowAccelChar == Value) return;
    FShowAccelChar = Value;
    UpdateShortcut();
    update();
}

void TBrenloCustomPanel::SetFocusControl(QWidget* Value) {
    if (FFocusControl == Value) return;
    FFocusControl = Value; // guarded: cleared when that control is destroyed
    UpdateShortcut();
}

QColor TBrenloCustomPanel::FontColor() const {
    return palette().color(QPalette::WindowText);
}

void TBrenloCustomPanel::SetFontColor(const QColor& Value) {
    if (FontColor() == Value) return;
    QPalette Pal = palette();
    Pal.setColor(QPalette::WindowText, Value);
    setPalette(Pal);
    update();
}

int TBrenloCustomPanel::FrameHeight() const {
    return std::abs(FShadowWidth) + ClientTop() + ClientBottom() + BorderTop() + BorderBottom() + FTextTop +
           FTextBottom;
}

void TBrenloCustomPanel::AdjustHeight() {
    if (!FAutoHeight || Align() == alClient) return;
    if (Align() != alNone && Align() != alTop && Align() != alBottom) return;
    // One line of the font, with its external leading.
    SetHeight(FrameHeight() + WinLineHeight(font(), dtExternalLeading | dtSingleLine));
}

void TBrenloCustomPanel::FitHeightToText() {
    if (!FAutoHeight || Align() == alClient) return;
    if (Align() != alNone && Align() != alTop && Align() != alBottom) return;
    const int W = width() - std::abs(FShadowWidth) - BorderLeft() - BorderRight() - FTextLeft - FTextRight -
                  ClientLeft() - ClientRight();
    const QSize S = WinTextExtent(font(), AnsiToQString(FCaption), TextFormatFlags() | 0x700, W);
    SetHeight(FrameHeight() + S.height());
}

int TBrenloCustomPanel::NeededWidth() const {
    const int Frame = std::abs(FShadowWidth) + ClientLeft() + ClientRight() + BorderLeft() + BorderRight() +
                      FTextLeft + FTextRight;
    const unsigned Flags = 0x720 | (FShowAccelChar ? 0u : unsigned(dtNoPrefix));
    return Frame + WinTextExtent(font(), AnsiToQString(FCaption), Flags).width();
}

unsigned TBrenloCustomPanel::TextFormatFlags() const {
    unsigned F = dtExpandTabs | dtExternalLeading;
    if (!FShowAccelChar) F |= dtNoPrefix;
    TAlignment A = FAlignment;
    if (layoutDirection() == Qt::RightToLeft) {
        F |= dtRtlReading;
        if (A == taLeftJustify)
            A = taRightJustify;
        else if (A == taRightJustify)
            A = taLeftJustify;
    }
    if (A == taRightJustify) F |= dtRight;
    if (A == taCenter) F |= dtCenter;
    if (FLayout == tlCenter) F |= dtVCenter;
    if (FLayout == tlBottom) F |= dtBottom;
    static constexpr unsigned Ellipsis[] = {0, dtPathEllipsis, dtEndEllipsis, dtWordEllipsis};
    F |= Ellipsis[FEllipsisType];
    if (FWordWrap) F |= dtWordBreak;
    if (FSingleLine) F |= dtSingleLine;
    return F;
}

void TBrenloCustomPanel::PaintClient(QPainter& P) {
    const QRect R = ClientRect();
    if (!R.isEmpty()) P.fillRect(R, Color());
    const QFont Font = font();

    // Text box, in exclusive edges.
    const int BoxL = R.left() + FTextLeft, BoxT = R.top() + FTextTop;
    int BoxR = R.left() + R.width() - FTextRight;
    const int BoxB = R.top() + R.height() - FTextBottom;
    if (FMaxTextWidth > 0 && FMaxTextWidth < BoxR - BoxL) BoxR = BoxL + FMaxTextWidth;
    if (BoxR <= BoxL || BoxB <= BoxT) return;
    int L = BoxL, T = BoxT, Rt = BoxR, B = BoxB;

    const unsigned F = TextFormatFlags();
    const QString Text = AnsiToQString(FCaption);
    if (!FSingleLine && FLayout != tlTop) {
        const QRect M = WinDrawText(nullptr, Font, Text, QRect(L, T, Rt - L, B - T), F | dtCalcRect);
        const int Gap = B - (M.top() + M.height());
        T += FLayout == tlCenter ? Gap / 2 : Gap;
        T = std::max(T, BoxT);
        B = std::min(B, BoxB);
        L = std::max(L, BoxL);
        Rt = std::min(Rt, BoxR);
    }
    const QRect TextRect(L, T, Rt - L, B - T);

    if (!isEnabled()) {
        P.setPen(palette().color(QPalette::Light));
        WinDrawText(&P, Font, Text, TextRect.translated(1, 1), F);
        P.setPen(palette().color(QPalette::Dark));
        WinDrawText(&P, Font, Text, TextRect, F);
    } else if (FShadowWidth != 0) {
        const int S = FShadowWidth;
        int Dx = 0, Dy = 0;
        if (FAlignment == taCenter)
            Dx = -S / 2;
        else if ((FAlignment == taLeftJustify && S < 0) || (FAlignment == taRightJustify && S > 0))
            Dx = -S;
        if (FLayout == tlCenter)
            Dy = -S / 2;
        else if ((FLayout == tlTop && S < 0) || (FLayout == tlBottom && S > 0))
            Dy = -S;
        const QRect Shadow = TextRect.translated(Dx, Dy);
        P.setPen(FShadowColor);
        WinDrawText(&P, Font, Text, Shadow.translated(S, S), F);
        P.setPen(FontColor());
        WinDrawText(&P, Font, Text, Shadow, F);
    } else {
        P.setPen(FontColor());
        WinDrawText(&P, Font, Text, TextRect, F);
    }
}

void TBrenloCustomPanel::UpdateShortcut() {
    if (FShortcutId) {
        releaseShortcut(FShortcutId);
        FShortcutId = 0;
    }
    if (!FShowAccelChar || !FFocusControl) return;
    const QString Text = AnsiToQString(FCaption);
    if (AccelChar(Text).isNull()) return;
    FShortcutId = grabShortcut(QKeySequence::mnemonic(Text));
}

bool TBrenloCustomPanel::event(QEvent* E) {
    if (E->type() == QEvent::Shortcut) {
        auto* S = static_cast<QShortcutEvent*>(E);
        if (S->shortcutId() == FShortcutId && FShortcutId != 0) {
            QWidget* Target = FFocusControl.data();
            if (isEnabled() && FShowAccelChar && Target && Target->isEnabled() && Target->isVisible() &&
                Target->focusPolicy() != Qt::NoFocus)
                Target->setFocus(Qt::ShortcutFocusReason);
            return true;
        }
    }
    return TBaseCustomPanel::event(E);
}

void TBrenloCustomPanel::changeEvent(QEvent* E) {
    switch (E->type()) {
    case QEvent::FontChange:
        AdjustHeight();
        update();
        break;
    case QEvent::EnabledChange:
    case QEvent::PaletteChange:
        update();
        break;
    default:
        break;
    }
    TBaseCustomPanel::changeEvent(E);
}

// ---------------------------------------------------------------------------------------------------

TBrenloPanel::TBrenloPanel(QWidget* Parent) : TBrenloCustomPanel(Parent) {}

TBrenloSinglePanel::TBrenloSinglePanel(QWidget* Parent) : TBrenloCustomPanel(Parent) {
    SetSingleLine(true);
    SetWordWrap(false);
    SetAutoHeight(true);
}
