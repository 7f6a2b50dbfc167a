#include "XDTPtrView.h"

#include "catalogue/XDTCodeTbl.h"
#include "catalogue/XDTComments.h"
#include "document/XDTFile.h"
#include "document/XDTPtrList.h"
#include "support/Ansi.h"
#include "support/StrTools.h"

#include <QApplication>
#include <QFontMetrics>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QWheelEvent>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr TColor kDefaultColors[vcColorCount] = {
    0x000000, // InhaltFontColor
    0xFFFFFF, // InhaltBkColor
    0xF0F0F0, // InhaltOddBkColor
    0x000000, // FeldArtNameFontColor
    0xE6E6E6, // FeldArtNameBkColor
    0xF0F0F0, // FeldArtNameOddBkColor
    0x808080, // KennungBkColor
    0xFFFFFF, // KennungFontColor
    0x0000FF, // SatzBkColor
    0xFFFFFF, // SatzKennungFontColor
    0x000000, // SatzInhaltFontColor
    0xFFFFFF, // SatzCommentFontColor
    0x000000, // SatzFeldArtNameFontColor
    0xFFFFFF, // FoundFontColor
    0xFF0000, // FoundBkColor
    0xFF0000, // CommentFontColor
};
constexpr TColor kOlive = 0x008080;
constexpr TColor kBlack = 0x000000;
constexpr TColor kYellow = 0x00FFFF;

// Display columns of the identifier; the content starts right of it.
constexpr int kKennungCols = 4;

QColor ToQColor(TColor C) {
    return QColor(int(C & 0xFF), int((C >> 8) & 0xFF), int((C >> 16) & 0xFF));
}

// Windows-1252 text for the screen. Every byte must stay exactly one cell wide, so the bytes that
// the text engine would draw with no width or expand (controls, the invalid-character mark 0,
// the soft hyphen) become visible one-cell characters.
QString ToDrawable(std::string_view S) {
    QString R(qsizetype(S.size()), Qt::Uninitialized);
    QChar* D = R.data();
    for (unsigned char C : S) {
        char16_t U = AnsiCharToUnicode(C);
        if (U < 0x20 || (U >= 0x7F && U < 0xA0))
            U = u' ';
        else if (U == 0xAD)
            U = u'-';
        *D++ = QChar(U);
    }
    return R;
}

std::string_view DropFront(std::string_view S, size_t N) {
    return N >= S.size() ? std::string_view() : S.substr(N);
}

void DefaultInfoMessage(const std::string& Text) {
    QMessageBox Box(QMessageBox::Information, QApplication::applicationName(), AnsiToQString(Text),
                    QMessageBox::NoButton, QApplication::activeWindow());
    Box.addButton(QStringLiteral("O&k"), QMessageBox::AcceptRole);
    Box.exec();
}

// The hourglass for the whole application; restored on every path out.
class TWaitCursor {
public:
    TWaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~TWaitCursor() { QApplication::restoreOverrideCursor(); }
    TWaitCursor(const TWaitCursor&) = delete;
    TWaitCursor& operator=(const TWaitCursor&) = delete;
};

} // namespace

// ---------------------------------------------------------------- construction

TXDTPtrView::TXDTPtrView(QWidget* Owner) : QAbstractScrollArea(Owner) {
    std::copy(std::begin(kDefaultColors), std::end(kDefaultColors), FColors);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(1);
    setFocusPolicy(Qt::ClickFocus);

    // Every pixel is painted opaquely, so the system need not clear anything first.
    QWidget* Port = viewport();
    Port->setAutoFillBackground(false);
    Port->setAttribute(Qt::WA_OpaquePaintEvent);
    Port->setAttribute(Qt::WA_NoSystemBackground);

    for (QScrollBar* Bar : {verticalScrollBar(), horizontalScrollBar()}) {
        const Qt::Orientation O = Bar->orientation();
        Bar->setSingleStep(1);
        Bar->installEventFilter(this);
        connect(Bar, &QAbstractSlider::actionTriggered, this, [this, O](int A) { ScrollBarAction(O, A); });
        connect(Bar, &QAbstractSlider::valueChanged, this, [this, O](int V) { ScrollBarValueChanged(O, V); });
    }
    FInfoMessage = DefaultInfoMessage;
    resize(300, 200);
    UpdateMetrics();
}

TXDTPtrView::~TXDTPtrView() = default;

TXDTPtrView* CreateLineView(QWidget* MainWindow) {
    auto* View = new TXDTPtrView(MainWindow);
    QFont F(QStringLiteral("Courier New"));
    F.setStyleHint(QFont::TypeWriter);
    F.setFixedPitch(true);
    F.setPointSize(12);
    F.setBold(true);
    View->setFont(F);
    View->setFocusPolicy(Qt::StrongFocus);
    if (auto* Main = qobject_cast<QMainWindow*>(MainWindow)) Main->setCentralWidget(View);
    return View;
}

// ---------------------------------------------------------------- document

void TXDTPtrView::SetPtrList(TXDTPtrList* List) {
    FList = List;
    DataChanged();
}

bool TXDTPtrView::HasData() const {
    return FList && FList->UpdateCount() == 0;
}
int TXDTPtrView::LineCount() const {
    return HasData() ? FList->Count() : 0;
}
int TXDTPtrView::FileCodierung() const {
    return FList ? FList->FileCodierung() : 0;
}
const TSortedStrings* TXDTPtrView::FeldArtList() const {
    return FList ? &FList->FeldArtList() : nullptr;
}
const TSortedStrings* TXDTPtrView::SatzArtList() const {
    return FList ? &FList->SatzArtList() : nullptr;
}

void TXDTPtrView::DataChanged() {
    if (HasData()) {
        FCodierung = FList->FileCodierung();
        const int64_t Cols = int64_t(kKennungCols) +
                             (FShowComments ? FList->MaxInhaltCommentLen() : FList->MaxInhaltLen()) +
                             (FShowFeldArtName ? int64_t(FList->MaxFeldArtNameLen()) + 2 : 0);
        FColCount = int(std::min<int64_t>(Cols, INT32_MAX));
    } else {
        FColCount = 0;
    }
    UpdateMetrics();
}

// ---------------------------------------------------------------- properties

void TXDTPtrView::SetCodierung(int Value) {
    if (Value == FCodierung) return;
    FCodierung = Value;
    viewport()->update();
}

void TXDTPtrView::SetShowComments(bool Value) {
    if (Value == FShowComments) return;
    FShowComments = Value;
    DataChanged();
}

void TXDTPtrView::SetShowFeldArtName(bool Value) {
    if (Value == FShowFeldArtName) return;
    FShowFeldArtName = Value;
    DataChanged();
}

TColor TXDTPtrView::ColorByIndex(int Index) const {
    return Index >= 0 && Index < vcColorCount ? FColors[Index] : 0;
}

void TXDTPtrView::SetColorByIndex(int Index, TColor Value) {
    if (Index < 0 || Index >= vcColorCount || FColors[Index] == Value) return;
    FColors[Index] = Value;
    viewport()->update();
}

void TXDTPtrView::SetColor(TColor Value) {
    if (Value == FColor) return;
    FColor = Value;
    viewport()->update();
}

void TXDTPtrView::SetBorder(TBorderStyle Value) {
    if (Value == FBorder) return;
    FBorder = Value;
    // The frame changes the client area; the resize that follows updates the metrics.
    setFrameStyle(Value == bsSingle ? (QFrame::Box | QFrame::Plain) : QFrame::NoFrame);
}

void TXDTPtrView::SetInfoMessageHandler(std::function<void(const std::string&)> Handler) {
    FInfoMessage = Handler ? std::move(Handler) : DefaultInfoMessage;
}

// ---------------------------------------------------------------- metrics and scrolling

void TXDTPtrView::UpdateMetrics() {
    const QFont F = font();
    const QFontMetrics Fm(F);
    const int H = Fm.height();
    const int W = Fm.horizontalAdvance(QLatin1Char('D'));
    // A font that measures nothing keeps the metrics in force.
    if (H < 1 || W < 1) return;
    FCharHeight = H;
    FCharWidth = W;
    FAscent = Fm.ascent();
    // Glyph advances are fractional; spacing them to whole cells keeps text, cells and marks aligned.
    FPaintFont = F;
    const qreal Adjust = qreal(W) - QFontMetricsF(F).horizontalAdvance(QLatin1Char('D'));
    if (Adjust != 0) FPaintFont.setLetterSpacing(QFont::AbsoluteSpacing, Adjust);

    FVisibleLines = viewport()->height() / FCharHeight + 1;
    FVisibleCols = viewport()->width() / FCharWidth + 1;

    const int VMax = std::max(0, LineCount());
    const int VPage = int(std::min<int64_t>(int64_t(VMax) + 1, FVisibleLines));
    SetScrollBar(Qt::Vertical, VMax, VPage);
    FVScroll32 = VMax > 32767;
    const int HMax = std::max(0, FColCount);
    const int HPage = int(std::min<int64_t>(int64_t(HMax) + 1, FVisibleCols));
    SetScrollBar(Qt::Horizontal, HMax, HPage);
    FHScroll32 = HMax > 32767;

    // One step forward and back on each axis brings a position outside the new range back into it
    // (the setters ignore a repeated value, so setting the same position again would not).
    FRedrawOff = true;
    VScroll(scLineDown);
    VScroll(scLineUp);
    HScroll(scLineDown);
    HScroll(scLineUp);
    FRedrawOff = false;
    viewport()->update();
}

// A range 0..Max seen a page of Page at a time: the last page starts at Max - Page + 1, the bar's maximum.
void TXDTPtrView::SetScrollBar(Qt::Orientation Orientation, int Max, int Page) {
    QScrollBar* Bar = Orientation == Qt::Vertical ? verticalScrollBar() : horizontalScrollBar();
    FSyncingBar = true;
    Bar->setRange(0, std::max(0, int(int64_t(Max) - Page + 1)));
    Bar->setPageStep(std::max(1, Page));
    FSyncingBar = false;
}

void TXDTPtrView::SetTopLine(int Value) {
    if (Value == FTopLine) return;
    MoveTo(Qt::Vertical, Value, LineCount(), FVisibleLines, FTopLine);
}

void TXDTPtrView::SetLeftCol(int Value) {
    MoveTo(Qt::Horizontal, Value, FColCount, FVisibleCols, FLeftCol);
}

// Clamps Value to 0..Count − Visible + 1 and moves there: less than a page moves the pixels and
// repaints the uncovered strip only, a page or more repaints everything.
void TXDTPtrView::MoveTo(Qt::Orientation Axis, int Value, int Count, int Visible, int& Position) {
    const int A = std::max(int(std::min<int64_t>(Value, int64_t(Count) - Visible + 1)), 0);
    if (A == Position) return;
    const int D = Position - A;
    Position = A;
    FSyncingBar = true;
    (Axis == Qt::Vertical ? verticalScrollBar() : horizontalScrollBar())->setValue(A);
    FSyncingBar = false;
    if (FRedrawOff) return;
    if (std::abs(int64_t(D)) >= Visible)
        viewport()->update();
    else if (Axis == Qt::Vertical)
        viewport()->scroll(0, D * FCharHeight);
    else
        viewport()->scroll(D * FCharWidth, 0);
}

namespace {
// The position a scroll code asks for on one axis (the setter clamps it); false for codes that
// do not move.
bool ScrollTarget(int Code, int Pos, int Current, int Visible, int Last, int& Target) {
    int64_t V;
    switch (Code) {
    case scLineUp:
        V = int64_t(Current) - 1;
        break;
    case scLineDown:
        V = int64_t(Current) + 1;
        break;
    case scPageUp:
        V = int64_t(Current) - (Visible - 1);
        break;
    case scPageDown:
        V = int64_t(Current) + (Visible - 1);
        break;
    case scThumbPosition:
    case scThumbTrack:
        V = Pos;
        break;
    case scTop:
        V = 0;
        break;
    case scBottom:
        V = Last;
        break;
    default:
        return false;
    }
    Target = int(std::clamp<int64_t>(V, INT32_MIN, INT32_MAX));
    return true;
}

// Scroll codes of the scroll-bar actions, in the order of QAbstractSlider::SliderAction.
constexpr int kActionCodes[] = {scEndScroll, scLineDown, scLineUp, scPageDown,
                                scPageUp,    scTop,      scBottom, scThumbTrack};
static_assert(QAbstractSlider::SliderSingleStepAdd == 1 && QAbstractSlider::SliderMove == 7);
} // namespace

void TXDTPtrView::VScroll(int Code, int Pos) {
    int V;
    if (ScrollTarget(Code, Pos, FTopLine, FVisibleLines, LineCount(), V)) SetTopLine(V);
}

void TXDTPtrView::HScroll(int Code, int Pos) {
    int V;
    if (ScrollTarget(Code, Pos, FLeftCol, FVisibleCols, FColCount, V)) SetLeftCol(V);
}

// A scroll-bar action arrives before the bar takes its new value: it is mapped to the scroll code,
// the view moves by its own rules, and the bar is put where the view ended.
void TXDTPtrView::ScrollBarAction(Qt::Orientation Orientation, int Action) {
    const bool Vert = Orientation == Qt::Vertical;
    QScrollBar* Bar = Vert ? verticalScrollBar() : horizontalScrollBar();
    const int Code =
        Action >= 0 && Action < int(std::size(kActionCodes)) ? kActionCodes[Action] : scEndScroll;
    if (Vert)
        VScroll(Code, Bar->sliderPosition());
    else
        HScroll(Code, Bar->sliderPosition());
    Bar->setSliderPosition(Vert ? FTopLine : FLeftCol);
}

void TXDTPtrView::ScrollBarValueChanged(Qt::Orientation Orientation, int Value) {
    if (FSyncingBar) return;
    if (Orientation == Qt::Vertical)
        SetTopLine(Value);
    else
        SetLeftCol(Value);
}

// The setters move the pixels themselves; the base class must not scroll a second time.
void TXDTPtrView::scrollContentsBy(int, int) {}

// ---------------------------------------------------------------- events

void TXDTPtrView::resizeEvent(QResizeEvent* Event) {
    QAbstractScrollArea::resizeEvent(Event);
    UpdateMetrics();
}

void TXDTPtrView::changeEvent(QEvent* Event) {
    QAbstractScrollArea::changeEvent(Event);
    if (Event->type() != QEvent::FontChange || FStrippingFont) return;
    // Only the weight survives a font change; slanted or lined text would break the cells.
    QFont F = font();
    if (F.italic() || F.underline() || F.strikeOut()) {
        F.setItalic(false);
        F.setUnderline(false);
        F.setStrikeOut(false);
        FStrippingFont = true;
        setFont(F);
        FStrippingFont = false;
    }
    UpdateMetrics();
}

void TXDTPtrView::keyPressEvent(QKeyEvent* Event) {
    Event->ignore();
    if (!HasData()) return;
    // Exactly one of these modifier sets, or none; any combination does nothing.
    const Qt::KeyboardModifiers Mods =
        Event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    const bool Plain = Mods == Qt::NoModifier, Ctrl = Mods == Qt::ControlModifier;
    const bool Shift = Mods == Qt::ShiftModifier, Alt = Mods == Qt::AltModifier;
    const int Key = Event->key();
    bool Done = true;
    if (Key == Qt::Key_PageUp || Key == Qt::Key_PageDown || Key == Qt::Key_Home || Key == Qt::Key_End) {
        const bool Forward = Key == Qt::Key_PageDown || Key == Qt::Key_End;
        const bool Page = Key == Qt::Key_PageUp || Key == Qt::Key_PageDown;
        const int Edge = Forward ? scBottom : scTop;
        if (Plain && Page) {
            VScroll(Forward ? scPageDown : scPageUp);
        } else if (Plain) {
            HScroll(Edge); // Home and End stay in the line
        } else if (Ctrl) {
            VScroll(Edge);
            if (!Page) HScroll(Edge);
        } else {
            Done = false;
        }
    } else if (Key == Qt::Key_Left || Key == Qt::Key_Right || Key == Qt::Key_Up || Key == Qt::Key_Down) {
        const bool Vert = Key == Qt::Key_Up || Key == Qt::Key_Down;
        const bool Forward = Key == Qt::Key_Right || Key == Qt::Key_Down;
        auto Scroll = [&](int Code) { Vert ? VScroll(Code) : HScroll(Code); };
        if (Plain) {
            Scroll(Forward ? scLineDown : scLineUp);
        } else if (Ctrl) {
            Scroll(Forward ? scPageDown : scPageUp);
        } else if (Shift || Alt) {
            // Half a window with Shift, a quarter with Alt.
            const int Visible = Vert ? FVisibleLines : FVisibleCols;
            const int Step = Shift ? Visible / 2 : Visible / 4;
            const int64_t V = int64_t(Vert ? FTopLine : FLeftCol) + (Forward ? Step : -Step);
            const int Target = int(std::clamp<int64_t>(V, INT32_MIN, INT32_MAX));
            Vert ? SetTopLine(Target) : SetLeftCol(Target);
        } else {
            Done = false;
        }
    } else {
        Done = false;
    }
    if (Done) Event->accept();
}

void TXDTPtrView::mousePressEvent(QMouseEvent* Event) {
    QAbstractScrollArea::mousePressEvent(Event);
    if (!hasFocus()) setFocus(Qt::MouseFocusReason);
    Event->accept();
}

// The wheel belongs to the main window, which scrolls the view through the setters.
void TXDTPtrView::wheelEvent(QWheelEvent* Event) {
    Event->ignore();
}

bool TXDTPtrView::eventFilter(QObject* Watched, QEvent* Event) {
    // Nor may the scroll bars turn the wheel into scrolling of their own: pass it on.
    if (Event->type() == QEvent::Wheel &&
        (Watched == verticalScrollBar() || Watched == horizontalScrollBar())) {
        Event->ignore();
        return true;
    }
    return QAbstractScrollArea::eventFilter(Watched, Event);
}

// ---------------------------------------------------------------- painting

void TXDTPtrView::paintEvent(QPaintEvent* Event) {
    QPainter P(viewport());
    const QRect Exposed = Event->rect();
    const int Width = viewport()->width();
    if (FCharHeight < 1 || FCharWidth < 1) {
        P.fillRect(Exposed, ToQColor(FColor));
        return;
    }
    P.setFont(FPaintFont);
    const int Lines = LineCount();
    // Only the rows that meet the exposed area; the cost does not depend on the file's size.
    const int First = std::max(0, Exposed.top() / FCharHeight);
    const int Last = std::min(FVisibleLines - 1, Exposed.bottom() / FCharHeight);
    for (int R = First; R <= Last; ++R) {
        const int Top = R * FCharHeight;
        const int64_t I = int64_t(FTopLine) + R;
        if (I < Lines)
            PaintLine(P, int(I), Top, Exposed);
        else
            P.fillRect(QRect(0, Top, Width, FCharHeight), ToQColor(FColor));
    }
    // Below the last row (only when the view has not caught up with a resize yet).
    const int Bottom = (Last + 1) * FCharHeight;
    if (Bottom <= Exposed.bottom())
        P.fillRect(QRect(0, Bottom, Width, Exposed.bottom() - Bottom + 1), ToQColor(FColor));
}

// One opaque cell: the rectangle filled, the text drawn from its left edge at the row's top and
// clipped to it. Cells outside the exposed area are skipped.
void TXDTPtrView::DrawCell(QPainter& P, int X, int Width, int Top, TColor Bk, TColor Fg,
                           std::string_view Text, const QRect& Exposed) {
    if (Width <= 0) return;
    const QRect R(X, Top, Width, FCharHeight);
    if (!R.intersects(Exposed)) return;
    P.fillRect(R, ToQColor(Bk));
    if (Text.empty()) return;
    // Characters beyond the cell or the exposed area would only be clipped away.
    const int64_t Right = std::min<int64_t>(int64_t(X) + Width, int64_t(Exposed.right()) + 1);
    const size_t Fit = size_t((Right - X + FCharWidth - 1) / FCharWidth + 1);
    if (Text.size() > Fit) Text = Text.substr(0, Fit);
    P.setClipRect(R);
    P.setPen(ToQColor(Fg));
    P.drawText(QPoint(X, Top + FAscent), ToDrawable(Text));
    P.setClipping(false);
}

void TXDTPtrView::PaintLine(QPainter& P, int Index, int Top, const QRect& Exposed) {
    const TXDTPtrItem Item = FList->Items(Index);
    const std::string_view Raw = Item.Inhalt();
    const bool Odd = (Index & 1) != 0;
    const bool IsSatz = Item.FeldArt == FeldArtByIndex(FeldArtRowSatzArt);
    const bool IsLab = Item.FeldArt == FeldArtByIndex(FeldArtRowTestIdent) ||
                       Item.FeldArt == FeldArtByIndex(FeldArtRowAnforderung);
    const int Wc = FCharWidth;
    const int RowRight = viewport()->width();
    const TXDTSearchRec& Sr = FSearchRec;
    const bool Active = Sr.SearchMode != smNone;

    // The texts of the row.
    char KennBuf[16];
    std::snprintf(KennBuf, sizeof KennBuf, "%4.4d", int(Item.FeldArt));
    const std::string Converted = ConvertCodierungStr(FCodierung, Raw);
    const bool Invalid = Converted.find('\0') != std::string::npos;
    std::string Comment, Padded, Name;
    if (FShowComments) {
        Comment = " ";
        Comment += InhaltComment(Item.FeldArt, Raw);
        Padded = PadToWidth(Converted + Comment, FList->MaxInhaltCommentLen());
    } else {
        Padded = PadToWidth(Converted, FList->MaxInhaltLen());
    }
    if (FShowFeldArtName) {
        Name = " ";
        Name += FeldArtNameView(Item.FeldArt);
        Name += ' ';
    }
    std::string_view K = KennBuf, T = Converted, N = Comment, W = Padded, F = Name;

    // Cut what is scrolled off to the left.
    int64_t S = FLeftCol, G = 0;
    if (S <= kKennungCols) {
        K = DropFront(K, size_t(S));
    } else {
        K = {};
        S -= kKennungCols;
        if (int64_t(W.size()) < S) {
            G = S - int64_t(W.size());
            W = {};
            F = DropFront(F, size_t(G));
        } else {
            W = W.substr(size_t(S));
        }
        if (int64_t(T.size()) < S) {
            S -= int64_t(T.size());
            T = {};
            if (FShowComments) N = DropFront(N, size_t(S));
        } else {
            T = T.substr(size_t(S));
        }
    }

    // Column edges in pixels, clamped so that very long lines cannot overflow.
    auto Px = [Wc](int64_t Cells) { return int(std::min<int64_t>(Cells * Wc, INT32_MAX / 2)); };
    const int KRight = Px(int64_t(K.size()));
    const int E = KRight + Px(int64_t(W.size()));
    const int NLeft = KRight + Px(int64_t(T.size()));
    int RestLeft = E;

    // Identifier.
    const bool Marked = Active && Sr.FeldArt > 0 && Item.FeldArt == Sr.FeldArt &&
                        (Sr.MatchText.empty() || (Sr.SearchMode == smSatz && Converted == Sr.MatchText));
    TColor Bk, Fg;
    if (Marked)
        Bk = FColors[vcFoundBkColor], Fg = FColors[vcFoundFontColor];
    else if (IsSatz)
        Bk = FColors[vcSatzBkColor], Fg = FColors[vcSatzKennungFontColor];
    else if (IsLab)
        Bk = kOlive, Fg = FColors[vcKennungFontColor];
    else
        Bk = FColors[vcKennungBkColor], Fg = FColors[vcKennungFontColor];
    DrawCell(P, 0, KRight, Top, Bk, Fg, K, Exposed);

    // Content column with the text only; the comment is drawn over its right part.
    if (IsSatz)
        Bk = FColors[vcSatzBkColor], Fg = FColors[vcSatzInhaltFontColor];
    else if (IsLab)
        Bk = kOlive, Fg = kBlack;
    else
        Bk = FColors[Odd ? vcInhaltOddBkColor : vcInhaltBkColor], Fg = FColors[vcInhaltFontColor];
    DrawCell(P, KRight, E - KRight, Top, Invalid ? kYellow : Bk, Fg, T, Exposed);

    if (FShowComments) {
        if (IsSatz)
            Bk = FColors[vcSatzBkColor], Fg = FColors[vcSatzCommentFontColor];
        else if (IsLab)
            Bk = kOlive, Fg = kBlack;
        else
            Bk = FColors[Odd ? vcInhaltOddBkColor : vcInhaltBkColor], Fg = FColors[vcCommentFontColor];
        DrawCell(P, NLeft, Px(int64_t(N.size())), Top, Bk, Fg, N, Exposed);
    }

    if (FShowFeldArtName) {
        if (IsSatz)
            Bk = FColors[vcSatzBkColor], Fg = FColors[vcSatzFeldArtNameFontColor];
        else if (IsLab)
            Bk = kOlive, Fg = kBlack;
        else
            Bk = FColors[Odd ? vcFeldArtNameOddBkColor : vcFeldArtNameBkColor],
            Fg = FColors[vcFeldArtNameFontColor];
        const int FWidth = Px(std::max<int64_t>(0, int64_t(FList->MaxFeldArtNameLen()) + 2 - G));
        DrawCell(P, E, FWidth, Top, Bk, Fg, F, Exposed);
        RestLeft = E + FWidth;
    }

    if (RestLeft < RowRight) DrawCell(P, RestLeft, RowRight - RestLeft, Top, FColor, FColor, {}, Exposed);

    // The matches of the active search inside the content, drawn last.
    if (!Active || Sr.MatchText.empty() || Converted.empty() ||
        (Sr.FeldArt != 0 && Sr.FeldArt != Item.FeldArt))
        return;
    const std::string_view O = Converted;
    std::string Upper;
    const std::string_view Sv = FoldForMatch(Sr, Converted, Upper);
    const std::string_view M = Sr.MatchText;
    if (!MatchesFolded(Sr, Sv)) return;
    const int B = FLeftCol <= kKennungCols ? 1 : FLeftCol - (kKennungCols - 1);
    int Pos = 1, Len = 0;
    for (;;) {
        const int Q = NextVisibleMatch(M, Sv, Pos, B, FVisibleCols, Len);
        if (Q == 0) break;
        const int X = Px(int64_t(Q) + (kKennungCols - 1) - FLeftCol);
        DrawCell(P, X, Px(Len), Top, FColors[vcFoundBkColor], FColors[vcFoundFontColor],
                 O.substr(size_t(Q - 1), size_t(Len)), Exposed);
        if (Sr.FeldOption != foContains) break;
    }
}

// ---------------------------------------------------------------- search

void TXDTPtrView::SetSearchRec(const TXDTSearchRec& Value) {
    if (SameSearchRec(FSearchRec, Value)) return;
    FSearchRec = Value;
    NormalizeSearchRec(FSearchRec);
    FSearchLineIndex = 0;
    FSearchCol = 0;
    FFoundLine = 0;
    FLastTopLine = -1;
    FLastLeftCol = -1;
    FLastFoundLine = -1;
    viewport()->update();
}

bool TXDTPtrView::FindNext() {
    FFoundLine = 0;
    const TXDTSearchRec& Sr = FSearchRec;
    // A document that is being loaded counts as none, as for painting.
    if (Sr.SearchMode == smNone || !HasData()) return false;
    {
        TWaitCursor Wait;
        const int N = FList->Count();
        std::string S, Upper;
        for (int A = std::max(FSearchLineIndex, 0); A < N; ++A) {
            const TXDTPtrItem Item = FList->Items(A);
            if (Sr.FeldArt != 0 && !(Sr.FeldArt > 0 && Item.FeldArt == Sr.FeldArt)) {
                // The remembered column belongs to the line of the last find only.
                FSearchCol = 0;
                continue;
            }
            if (Sr.MatchText.empty()) {
                SetTopLine(A);
                SetLeftCol(0);
                FSearchCol = 0;
                FSearchLineIndex = A;
                FFoundLine = A + 1;
            } else {
                S = ConvertCodierungStr(FCodierung, Item.Inhalt());
                const std::string_view Folded = FoldForMatch(Sr, S, Upper);
                const int D =
                    MatchesFolded(Sr, Folded) ? PosFrom(Sr.MatchText, Folded, std::max(FSearchCol, 1)) : 0;
                if (D == 0) {
                    FSearchCol = 0;
                    continue;
                }
                SetTopLine(A);
                if (D <= FVisibleCols)
                    SetLeftCol(0);
                else if (D < FLeftCol || int64_t(D) > int64_t(FLeftCol) + FVisibleCols)
                    SetLeftCol(D - 1);
                FSearchCol = D + 1;
                FSearchLineIndex = A;
                FFoundLine = A + 1;
            }
            if (FTopLine == FLastTopLine && FLeftCol == FLastLeftCol && FFoundLine == FLastFoundLine) {
                // The view would not change: not reported, the search goes on.
                FSearchCol = 0;
                continue;
            }
            FLastTopLine = FTopLine;
            FLastLeftCol = FLeftCol;
            FLastFoundLine = FFoundLine;
            return true;
        }
    }
    FInfoMessage("Keine weiteren Eintr\xE4ge gefunden!");
    FSearchLineIndex = 0;
    FSearchCol = 0;
    FFoundLine = 0;
    FLastTopLine = -1;
    FLastLeftCol = -1;
    FLastFoundLine = -1;
    return false;
}
