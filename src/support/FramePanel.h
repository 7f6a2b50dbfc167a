#pragma once
// Framed panels: an outer border of its own colour, a margin ring that can carry a bevel, a client
// area for child widgets and the caption, and inside it a text box with its own margins, alignment,
// vertical layout, word wrap, ellipsis, drop shadow and maximum width. The progress window stacks
// TBrenloPanel controls, the about window TBrenloSinglePanel controls.
//
// The frame is painted by the panel itself; contentsRect() (and ClientRect()) is the client area.
// Child widgets are positioned in widget coordinates: add ClientRect().topLeft() to place them
// relative to the client area. Captions are Windows-1252 strings.
#include <QColor>
#include <QPointer>
#include <QWidget>
#include <string>

class QPainter;
class QPalette;

enum TBevelType {
    btNone,
    btBump,
    btEtched,
    btRaised,
    btSunken,
    btRaisedInner,
    btSunkenInner,
    btRaisedOuter,
    btSunkenOuter
};
enum TEllipsisType { elNone, elPath, elEnd, elWord };
enum TBevelKind { bkNone, bkTile, bkSoft, bkFlat };
enum TBevelEdge : unsigned { beLeft = 1, beTop = 2, beRight = 4, beBottom = 8 };
using TBevelEdges = unsigned;
constexpr TBevelEdges beAll = beLeft | beTop | beRight | beBottom;
enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };
enum TAlignment { taLeftJustify, taRightJustify, taCenter };
enum TTextLayout { tlTop, tlCenter, tlBottom };

// Edge bits and flags of the bevel drawing (the classic DrawEdge values).
enum : unsigned {
    bdrRaisedOuter = 0x1,
    bdrSunkenOuter = 0x2,
    bdrRaisedInner = 0x4,
    bdrSunkenInner = 0x8,
    bfSoft = 0x1000,
    bfFlat = 0x4000,
    bfMono = 0x8000,
};
// The edge bits of a bevel type.
unsigned BevelTypeEdge(TBevelType T);
// Draws a bevel on the rectangle (right and bottom exclusive). Sides are TBevelEdge bits.
void DrawEdge(QPainter& P, const QPalette& Pal, const QRect& R, unsigned Edge, unsigned Sides,
              unsigned Flags);

// Arranges the aligned panels of Parent the way docked controls are arranged: top-aligned ones
// stacked from the top in the order of their current tops, bottom-aligned ones from the bottom,
// then left, right, and the client-aligned ones fill what is left. Panels run it themselves when
// their alignment or size changes and when the parent is resized.
void AlignPanels(QWidget* Parent);

class TBaseCustomPanel : public QWidget {
    Q_OBJECT
public:
    explicit TBaseCustomPanel(QWidget* Parent = nullptr);

    int BorderLeft() const { return FBorderLeft; }
    int BorderTop() const { return FBorderTop; }
    int BorderRight() const { return FBorderRight; }
    int BorderBottom() const { return FBorderBottom; }
    void SetBorderLeft(int Value);
    void SetBorderTop(int Value);
    void SetBorderRight(int Value);
    void SetBorderBottom(int Value);
    QColor BorderColor() const { return FBorderColor; }
    void SetBorderColor(const QColor& Value);

    int ClientLeft() const { return FClientLeft; }
    int ClientTop() const { return FClientTop; }
    int ClientRight() const { return FClientRight; }
    int ClientBottom() const { return FClientBottom; }
    void SetClientLeft(int Value);
    void SetClientTop(int Value);
    void SetClientRight(int Value);
    void SetClientBottom(int Value);

    TBevelType BevelType() const { return FBevelType; }
    void SetBevelType(TBevelType Value);
    TBevelKind BevelKind() const { return FBevelKind; }
    void SetBevelKind(TBevelKind Value);
    TBevelEdges BevelEdges() const { return FBevelEdges; }
    void SetBevelEdges(TBevelEdges Value);
    // False: the bevel is drawn flat and monochrome.
    bool Ctl3D() const { return FCtl3D; }
    void SetCtl3D(bool Value);

    // Background of margin ring and client area.
    QColor Color() const { return FColor; }
    void SetColor(const QColor& Value);

    TAlign Align() const { return FAlign; }
    void SetAlign(TAlign Value);

    // Geometry in the parent; an aligned panel lets its siblings follow.
    void SetBounds(int Left, int Top, int Width, int Height);
    void SetTop(int Top) { SetBounds(x(), Top, width(), height()); }
    void SetHeight(int Height) { SetBounds(x(), y(), width(), Height); }
    void SetWidth(int Width) { SetBounds(x(), y(), Width, height()); }

    // The client area in widget coordinates: the panel less border and margin ring.
    QRect ClientRect() const;

    // Fits the height to one line of the font; nothing in the frame-only panel.
    virtual void AdjustHeight() {}

signals:
    void Clicked();
    void DoubleClicked();

protected:
    // Paints the client area; the painter is clipped to it.
    virtual void PaintClient(QPainter& P);
    // The frame widths, bevel or colour changed.
    void FrameChanged();

    void paintEvent(QPaintEvent* E) override;
    void mousePressEvent(QMouseEvent* E) override;
    void mouseReleaseEvent(QMouseEvent* E) override;
    void mouseDoubleClickEvent(QMouseEvent* E) override;
    void resizeEvent(QResizeEvent* E) override;
    bool event(QEvent* E) override;
    bool eventFilter(QObject* Watched, QEvent* E) override;

private:
    void SetFrameValue(int& Field, int Value);
    void WatchParent();

    int FBorderLeft = 2, FBorderTop = 2, FBorderRight = 2, FBorderBottom = 2;
    QColor FBorderColor;
    int FClientLeft = 2, FClientTop = 2, FClientRight = 2, FClientBottom = 2;
    TBevelType FBevelType = btBump;
    TBevelKind FBevelKind = bkNone;
    TBevelEdges FBevelEdges = beAll;
    bool FCtl3D = true;
    QColor FColor;
    TAlign FAlign = alNone;
    bool FPressed = false;
    QPointer<QWidget> FWatchedParent;
};

class TBrenloCustomPanel : public TBaseCustomPanel {
    Q_OBJECT
public:
    explicit TBrenloCustomPanel(QWidget* Parent = nullptr);

    std::string Caption() const { return FCaption; }
    void SetCaption(const std::string& Value);

    bool AutoHeight() const { return FAutoHeight; }
    void SetAutoHeight(bool Value);

    int TextLeft() const { return FTextLeft; }
    int TextTop() const { return FTextTop; }
    int TextRight() const { return FTextRight; }
    int TextBottom() const { return FTextBottom; }
    void SetTextLeft(int Value);
    void SetTextTop(int Value);
    void SetTextRight(int Value);
    void SetTextBottom(int Value);
    // 0: no limit.
    int MaxTextWidth() const { return FMaxTextWidth; }
    void SetMaxTextWidth(int Value);

    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment Value);
    TTextLayout Layout() const { return FLayout; }
    void SetLayout(TTextLayout Value);
    TEllipsisType EllipsisType() const { return FEllipsisType; }
    void SetEllipsisType(TEllipsisType Value);

    QColor ShadowColor() const { return FShadowColor; }
    void SetShadowColor(const QColor& Value);
    // Offset of the shadow right and down; negative: left and up; 0: no shadow.
    int ShadowWidth() const { return FShadowWidth; }
    void SetShadowWidth(int Value);

    // Receives the focus when the caption's accelerator is pressed.
    QWidget* FocusControl() const { return FFocusControl.data(); }
    void SetFocusControl(QWidget* Value);
    bool ShowAccelChar() const { return FShowAccelChar; }
    void SetShowAccelChar(bool Value);

    // Colour of the caption.
    QColor FontColor() const;
    void SetFontColor(const QColor& Value);

    void AdjustHeight() override;
    // Fits the height to the caption as it wraps in the current width.
    void FitHeightToText();
    // Width the caption needs on one line, with all frame and text margins.
    int NeededWidth() const;
    // Text flags (TTextFlag) of the caption.
    unsigned TextFormatFlags() const;

protected:
    // Only the multi-line panel offers these.
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool Value);
    bool SingleLine() const { return FSingleLine; }
    void SetSingleLine(bool Value);

    void PaintClient(QPainter& P) override;
    bool event(QEvent* E) override;
    void changeEvent(QEvent* E) override;

private:
    void SetLayoutValue(int& Field, int Value);
    void UpdateShortcut();
    int FrameHeight() const;

    std::string FCaption;
    bool FAutoHeight = false;
    int FTextLeft = 4, FTextTop = 4, FTextRight = 4, FTextBottom = 4;
    int FMaxTextWidth = 0;
    TAlignment FAlignment = taLeftJustify;
    TTextLayout FLayout = tlTop;
    TEllipsisType FEllipsisType = elEnd;
    bool FSingleLine = true;
    QColor FShadowColor = Qt::white;
    int FShadowWidth = 0;
    QPointer<QWidget> FFocusControl;
    bool FShowAccelChar = true;
    bool FWordWrap = false;
    int FShortcutId = 0;
};

// The text line of the progress window: every property, including word wrap and single line.
class TBrenloPanel : public TBrenloCustomPanel {
    Q_OBJECT
public:
    explicit TBrenloPanel(QWidget* Parent = nullptr);
    using TBrenloCustomPanel::SetSingleLine;
    using TBrenloCustomPanel::SetWordWrap;
    using TBrenloCustomPanel::SingleLine;
    using TBrenloCustomPanel::WordWrap;
};

// The text line of the about window: always one line, height kept fitted to the font.
class TBrenloSinglePanel : public TBrenloCustomPanel {
    Q_OBJECT
public:
    explicit TBrenloSinglePanel(QWidget* Parent = nullptr);
};
