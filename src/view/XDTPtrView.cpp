#include "XDTPtrView.h"

#include "KeyMap.h"
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
#include <cstdlib>
#include <exception>
#include <iterator>

namespace {

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
    return HasData() ? FRows.RowCount(FList->Count()) : 0;
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
    // The widths of what is shown: the classic tables', or those of the document's family.
    TColumnSet C;
    if (HasData()) {
        FCodierung = FList->FileCodierung();
        C.MaxInhaltLen = FList->MaxInhaltLen();
        C.MaxInhaltCommentLen = FList->MaxInhaltCommentLen(CommentKindOf(*FList, FClassic));
        C.MaxFeldArtNameLen = FList->MaxFeldArtNameLen(FClassic, FList->Format().Family);
    }
    C.ShowComments = FShowComments;
    C.ShowFeldArtName = FShowFeldArtName;
    FColumns = C;
    // A reloaded file may hold other bytes at the same place.
    std::fill(std::begin(FLongFacts), std::end(FLongFacts), TLongFacts());
    FColCount = HasData() ? int(std::min<int64_t>(C.ColCount(), INT32_MAX)) : 0;
    UpdateMetrics();
}

TColumnSet TXDTPtrView::Columns() const {
    return FColumns;
}

void TXDTPtrView::SetClassic(bool Value) {
    if (Value == FClassic) return;
    FClassic = Value;
    DataChanged();
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
    return Index >= 0 && Index < vcColorCount ? FPalette.Table[Index] : 0;
}

void TXDTPtrView::SetColorByIndex(int Index, TColor Value) {
    if (Index < 0 || Index >= vcColorCount || FPalette.Table[Index] == Value) return;
    FPalette.Table[Index] = Value;
    viewport()->update();
}

void TXDTPtrView::SetColor(TColor Value) {
    if (Value == FPalette.Control) return;
    FPalette.Control = Value;
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
    const Qt::KeyboardModifiers Mods =
        Event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    bool Done = false;
    for (const TKeyBinding& B : kKeyMap) {
        if (B.Key != Event->key() || B.Mods != Mods) continue;
        Done = true;
        const bool Vert = B.Axis == Qt::Vertical;
        if (B.Divisor == 0) {
            Vert ? VScroll(B.Code) : HScroll(B.Code);
            continue;
        }
        const int Step = (Vert ? FVisibleLines : FVisibleCols) / B.Divisor;
        const int64_t V = int64_t(Vert ? FTopLine : FLeftCol) + Step;
        const int Target = int(std::clamp<int64_t>(V, INT32_MIN, INT32_MAX));
        Vert ? SetTopLine(Target) : SetLeftCol(Target);
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
    const QColor Color = ToQColor(FPalette.Control);
    if (FCharHeight < 1 || FCharWidth < 1) {
        P.fillRect(Exposed, Color);
        return;
    }
    P.setFont(FPaintFont);
    const TRowLayoutParams Params = LayoutParams();
    const int Rows = LineCount();
    // Only the rows that meet the exposed area; the cost does not depend on the file's size.
    const int First = std::max(0, Exposed.top() / FCharHeight);
    const int Last = std::min(FVisibleLines - 1, Exposed.bottom() / FCharHeight);
    for (int R = First; R <= Last; ++R) {
        const int Top = R * FCharHeight;
        const int64_t Row = int64_t(FTopLine) + R;
        const QRect Line(0, Top, Width, FCharHeight);
        if (Row >= Rows) {
            P.fillRect(Line, Color);
            continue;
        }
        // Nothing may leave an event handler: a row that cannot be made (out of memory) shows the
        // control's colour, and the other rows are painted.
        try {
            PaintRow(P, int(Row), Top, Exposed, Params);
        } catch (const std::exception&) {
            P.setClipping(false);
            P.fillRect(Line, Color);
        }
    }
    // Below the last row (only when the view has not caught up with a resize yet).
    const int Bottom = (Last + 1) * FCharHeight;
    if (Bottom <= Exposed.bottom()) P.fillRect(QRect(0, Bottom, Width, Exposed.bottom() - Bottom + 1), Color);
}

TRowLayoutParams TXDTPtrView::LayoutParams() const {
    TRowLayoutParams R;
    R.Columns = Columns();
    R.LeftCol = FLeftCol;
    R.VisibleCols = FVisibleCols;
    R.WindowCols = (int64_t(viewport()->width()) + FCharWidth - 1) / FCharWidth;
    R.Palette = &FPalette;
    R.Search = &FSearchRec;
    return R;
}

void TXDTPtrView::PaintRow(QPainter& P, int Row, int Top, const QRect& Exposed,
                           const TRowLayoutParams& Params) {
    const int Entry = FRows.EntryOfRow(Row);
    int LineMatches = -1;
    MakePaintTexts(Entry, Params, LineMatches);
    for (const TRowCell& C : FLayout.Build(FTexts, (Entry & 1) != 0, Params, LineMatches))
        DrawCell(P, C, Top, Exposed, Params.WindowCols);
}

namespace {
// Contents longer than this are made as the window the row shows of them.
constexpr int32_t kWindowedInhalt = 4096;
} // namespace

// The texts of a row for painting. A long content costs only the window the row shows: the visible
// cells, one more for a glyph cut at the right, and the reach of a match into them from either side.
void TXDTPtrView::MakePaintTexts(int Entry, const TRowLayoutParams& Params, int& LineMatches) {
    const TRowOptions Options{FCodierung, FShowComments, FShowFeldArtName, FClassic};
    LineMatches = -1;
    const TXDTPtrItem Item = FList->Items(Entry);
    if (Item.InhaltLen <= kWindowedInhalt) {
        MakeRowTexts(*FList, Entry, Options, FTexts);
        return;
    }
    const TInhaltFacts Facts = LongInhaltFacts(Item.Inhalt(), Options);
    const TXDTSearchRec& Sr = FSearchRec;
    const int64_t M = int64_t(Sr.MatchText.size());
    const int64_t Cut = std::max(0, Params.LeftCol - kKennungCols); // the first visible position, zero-based
    const int64_t From = std::max<int64_t>(0, Cut + 1 - std::max<int64_t>(M, 1));
    const int64_t End = Cut + std::max<int64_t>(int64_t(Params.VisibleCols) + M, Params.WindowCols + 2);
    MakeRowTextsWindow(*FList, Entry, Options, From, End - From, Facts, FTexts);
    if (Sr.SearchMode == smNone || M == 0) return;
    // The whole-line test: a visible match of "contains" is one; "begins with" and "equals" need the
    // start of the content only, as long as the search text.
    if (Sr.FeldOption == foContains) {
        LineMatches = 1;
    } else if (Sr.FeldOption == foEquals && Facts.Size != M) {
        LineMatches = 0;
    } else {
        MakeRowTextsWindow(*FList, Entry, TRowOptions{FCodierung, false, false, FClassic}, 0, M, Facts,
                           FHeadTexts);
        LineMatches = MatchesFolded(Sr, FoldForMatch(Sr, FHeadTexts.Inhalt, FHeadFolded)) ? 1 : 0;
    }
}

// The length and validity of a long content: measured once, then remembered for it.
TInhaltFacts TXDTPtrView::LongInhaltFacts(std::string_view Raw, const TRowOptions& Options) {
    for (const TLongFacts& F : FLongFacts)
        if (F.Raw == Raw.data() && F.Size == Raw.size() && F.Codierung == Options.Codierung &&
            F.Classic == Options.Classic)
            return F.Facts;
    TLongFacts& F = FLongFacts[FNextLongFacts];
    FNextLongFacts = (FNextLongFacts + 1) % int(std::size(FLongFacts));
    F = {Raw.data(), Raw.size(), Options.Codierung, Options.Classic, MeasureInhalt(Raw, Options)};
    return F.Facts;
}

// One opaque cell: the rectangle filled, the text drawn at the row's top and clipped to it. The layout
// gives only cells that start inside the row; a cell is cut at the row's end, and cells outside the
// exposed area are skipped.
void TXDTPtrView::DrawCell(QPainter& P, const TRowCell& Cell, int Top, const QRect& Exposed,
                           int64_t WindowCols) {
    const int64_t Cells = std::min(Cell.Width, WindowCols - Cell.First);
    if (Cells <= 0) return;
    const int X = int(Cell.First * FCharWidth), Width = int(Cells * FCharWidth);
    const QRect R(X, Top, Width, FCharHeight);
    if (!R.intersects(Exposed)) return;
    P.fillRect(R, ToQColor(Cell.Bk));
    std::string_view Text = Cell.Text;
    if (Text.empty()) return;
    // Characters beyond the cell or the exposed area would only be clipped away.
    const int64_t TextX = int64_t(X) + int64_t(Cell.Indent) * FCharWidth;
    const int64_t Right = std::min<int64_t>(int64_t(X) + Width, int64_t(Exposed.right()) + 1);
    if (Right <= TextX) return;
    const size_t Fit = size_t((Right - TextX + FCharWidth - 1) / FCharWidth + 1);
    if (Text.size() > Fit) Text = Text.substr(0, Fit);
    P.setClipRect(R);
    P.setPen(ToQColor(Cell.Fg));
    P.drawText(QPoint(int(TextX), Top + FAscent), ToDrawable(Text));
    P.setClipping(false);
}

// ---------------------------------------------------------------- search

void TXDTPtrView::SetSearchRec(const TXDTSearchRec& Value) {
    if (SameSearchRec(FSearchRec, Value)) return;
    FSearchRec = Value;
    NormalizeSearchRec(FSearchRec);
    ResetSearchPosition();
    viewport()->update();
}

// The next search starts at the top, and nothing has been reported yet.
void TXDTPtrView::ResetSearchPosition() {
    FSearchLineIndex = 0;
    FSearchCol = 0;
    FFoundLine = 0;
    FLastTopLine = -1;
    FLastLeftCol = -1;
    FLastFoundLine = -1;
}

// The one-based position of the first match in the converted content of Entry at or after SearchCol;
// 0 when the line does not match.
int TXDTPtrView::MatchPosition(int Entry, TRowTexts& Texts, std::string& Folded) const {
    MakeRowTexts(*FList, Entry, TRowOptions{FCodierung, false, false, FClassic}, Texts);
    const std::string_view S = FoldForMatch(FSearchRec, Texts.Inhalt, Folded);
    return MatchesFolded(FSearchRec, S) ? PosFrom(FSearchRec.MatchText, S, std::max(FSearchCol, 1)) : 0;
}

// The left column that shows a find at content position D (one-based; -1: the start of the line) of
// Len characters. The classic rule first: 0 for a find within the window's width, else the current
// column while the find starts inside the window, else the column that puts it right of the identifier.
// That rule ignores the identifier and the length, so where its column hides part of the match, the
// match moves right of the identifier, or, longer than the window, to its left edge.
int TXDTPtrView::FindLeftCol(int D, int Len) const {
    int64_t Left;
    if (D <= FVisibleCols)
        Left = 0;
    else if (D < FLeftCol || int64_t(D) > int64_t(FLeftCol) + FVisibleCols)
        Left = int64_t(D) - 1;
    else
        Left = FLeftCol;
    if (D < 0) return int(Left);
    // Only whole cells count as visible; the partly visible column at the right does not.
    const int64_t Cols = std::max(1, viewport()->width() / std::max(1, FCharWidth));
    const int64_t Start = int64_t(D) + (kKennungCols - 1), End = Start + std::max(Len, 1);
    auto Shows = [&](int64_t L) { return L <= Start && std::min(End, Start + Cols) <= L + Cols; };
    if (Shows(Left)) return int(Left);
    Left = End - (int64_t(D) - 1) <= Cols ? int64_t(D) - 1 : Start;
    return int(std::min<int64_t>(Left, INT32_MAX));
}

bool TXDTPtrView::FindNext() {
    FFoundLine = 0;
    const TXDTSearchRec& Sr = FSearchRec;
    // A document that is being loaded counts as none, as for painting.
    if (Sr.SearchMode == smNone || !HasData()) return false;
    {
        TWaitCursor Wait;
        const int N = FList->Count();
        TRowTexts Texts;
        std::string Folded;
        for (int A = std::max(FSearchLineIndex, 0); A < N; ++A) {
            const int Row = FRows.RowOfEntry(A);
            // Lines of other fields are passed over before their content is converted.
            const bool Field = Sr.FeldArt == 0 || (Sr.FeldArt > 0 && FList->FeldArt(A) == Sr.FeldArt);
            // The content position of the match, 0 for none; -1: without a text every line of the
            // field is a find, at the start of the line.
            int D = 0;
            if (Field && Row >= 0) D = Sr.MatchText.empty() ? -1 : MatchPosition(A, Texts, Folded);
            if (D == 0) {
                // The remembered column belongs to the line of the last find only.
                FSearchCol = 0;
                continue;
            }
            SetTopLine(Row);
            SetLeftCol(FindLeftCol(D, int(std::min<size_t>(Sr.MatchText.size(), INT32_MAX))));
            FSearchCol = D < 0 ? 0 : D + 1;
            FSearchLineIndex = A;
            FFoundLine = A + 1;
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
    ResetSearchPosition();
    return false;
}
