#pragma once
// The line view: draws the field lines of one xDT document in a fixed-pitch font, one line per row,
// with identifier, converted content, optional value comment and optional field name, coloured by
// the kind of line and by the matches of the active search. It scrolls in whole lines and character
// cells and does not own the document it shows.
#include "RowLayout.h"
#include "RowMap.h"
#include "ViewColors.h"
#include "document/RowModel.h"
#include "document/SearchRec.h"

#include <QAbstractScrollArea>
#include <QFont>
#include <cstdint>
#include <functional>
#include <string>

class TXDTPtrList;
class TSortedStrings;
class QPainter;

enum TBorderStyle { bsNone, bsSingle };

// Scroll codes: what a scroll bar or a key asks of an axis.
enum TScrollCode : int {
    scLineUp = 0, // also line left
    scLineDown = 1,
    scPageUp = 2,
    scPageDown = 3,
    scThumbPosition = 4,
    scThumbTrack = 5,
    scTop = 6, // also left
    scBottom = 7,
    scEndScroll = 8,
};

class TXDTPtrView : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit TXDTPtrView(QWidget* Owner = nullptr);
    ~TXDTPtrView() override;

    // The document. The view keeps a reference only; nullptr detaches.
    void SetPtrList(TXDTPtrList* List);
    TXDTPtrList* PtrList() const { return FList; }
    // Reset after a new document or a column switch: character set, column count, ranges, repaint.
    void DataChanged();
    // Cell size, visible counts and scroll bars from the current font and size; re-clamps, repaints.
    void UpdateMetrics();

    bool HasData() const;
    int LineCount() const;
    int FileCodierung() const;
    // The index's own sorted lists; nullptr when no index is attached.
    const TSortedStrings* FeldArtList() const;
    const TSortedStrings* SatzArtList() const;

    int TopLine() const { return FTopLine; }
    void SetTopLine(int Value);
    int LeftCol() const { return FLeftCol; }
    void SetLeftCol(int Value);
    // The scroll-bar handlers: Code is a TScrollCode, Pos the thumb position for the thumb codes.
    void VScroll(int Code, int Pos = 0);
    void HScroll(int Code, int Pos = 0);

    int VisibleLines() const { return FVisibleLines; }
    int VisibleCols() const { return FVisibleCols; }
    int ColCount() const { return FColCount; }
    int CharHeight() const { return FCharHeight; }
    int CharWidth() const { return FCharWidth; }
    bool VScroll32() const { return FVScroll32; }
    bool HScroll32() const { return FHScroll32; }

    int Codierung() const { return FCodierung; }
    void SetCodierung(int Value);
    bool ShowComments() const { return FShowComments; }
    void SetShowComments(bool Value);
    bool ShowFeldArtName() const { return FShowFeldArtName; }
    void SetShowFeldArtName(bool Value);
    // Only the classic names and comments; otherwise those of the document's family.
    bool Classic() const { return FClassic; }
    void SetClassic(bool Value);

    TColor ColorByIndex(int Index) const;
    void SetColorByIndex(int Index, TColor Value);
    // The control's own colour: rows without a line and the area right of the last column.
    TColor Color() const { return FPalette.Control; }
    void SetColor(TColor Value);
    TBorderStyle Border() const { return FBorder; }
    void SetBorder(TBorderStyle Value);

#define OSTREL_VIEW_COLOR(Name)                                                                              \
    TColor Name() const {                                                                                    \
        return ColorByIndex(vc##Name);                                                                       \
    }                                                                                                        \
    void Set##Name(TColor Value) {                                                                           \
        SetColorByIndex(vc##Name, Value);                                                                    \
    }
    OSTREL_VIEW_COLOR(InhaltFontColor)
    OSTREL_VIEW_COLOR(InhaltBkColor)
    OSTREL_VIEW_COLOR(InhaltOddBkColor)
    OSTREL_VIEW_COLOR(FeldArtNameFontColor)
    OSTREL_VIEW_COLOR(FeldArtNameBkColor)
    OSTREL_VIEW_COLOR(FeldArtNameOddBkColor)
    OSTREL_VIEW_COLOR(KennungBkColor)
    OSTREL_VIEW_COLOR(KennungFontColor)
    OSTREL_VIEW_COLOR(SatzBkColor)
    OSTREL_VIEW_COLOR(SatzKennungFontColor)
    OSTREL_VIEW_COLOR(SatzInhaltFontColor)
    OSTREL_VIEW_COLOR(SatzCommentFontColor)
    OSTREL_VIEW_COLOR(SatzFeldArtNameFontColor)
    OSTREL_VIEW_COLOR(FoundFontColor)
    OSTREL_VIEW_COLOR(FoundBkColor)
    OSTREL_VIEW_COLOR(CommentFontColor)
#undef OSTREL_VIEW_COLOR

    // Search: the criteria, installing new ones, and stepping from find to find.
    const TXDTSearchRec& SearchRec() const {
        return FSearchRec;
    }
    void SetSearchRec(const TXDTSearchRec& Value);
    // True when a new find was reported; FoundLine then holds its one-based line number.
    bool FindNext();
    int FoundLine() const {
        return FFoundLine;
    }
    // Shows "nothing more found" to the user; the main window routes it to its message box.
    // The default is a plain information box.
    void SetInfoMessageHandler(std::function<void(const std::string&)> Handler);

protected:
    void paintEvent(QPaintEvent* Event) override;
    void resizeEvent(QResizeEvent* Event) override;
    void changeEvent(QEvent* Event) override;
    void keyPressEvent(QKeyEvent* Event) override;
    void mousePressEvent(QMouseEvent* Event) override;
    void wheelEvent(QWheelEvent* Event) override;
    void scrollContentsBy(int Dx, int Dy) override;
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    void MoveTo(Qt::Orientation Axis, int Value, int Count, int Visible, int& Position);
    TColumnSet Columns() const;
    TRowLayoutParams LayoutParams() const;
    void PaintRow(QPainter& P, int Row, int Top, const QRect& Exposed, const TRowLayoutParams& Params);
    void MakePaintTexts(int Entry, const TRowLayoutParams& Params, int& LineMatches);
    TInhaltFacts LongInhaltFacts(std::string_view Raw, const TRowOptions& Options);
    void DrawCell(QPainter& P, const TRowCell& Cell, int Top, const QRect& Exposed, int64_t WindowCols);
    void ResetSearchPosition();
    int MatchPosition(int Entry, TRowTexts& Texts, std::string& Folded) const;
    int FindLeftCol(int D, int Len) const;
    void ScrollBarAction(Qt::Orientation Orientation, int Action);
    void ScrollBarValueChanged(Qt::Orientation Orientation, int Value);
    void SetScrollBar(Qt::Orientation Orientation, int Max, int Page);

    TXDTPtrList* FList = nullptr;
    int FTopLine = 0;
    int FLeftCol = 0;
    int FLastTopLine = -1;
    int FLastLeftCol = -1;
    int FVisibleLines = 0;
    int FVisibleCols = 0;
    int FColCount = 0;
    int FCharHeight = 0;
    int FCharWidth = 0;
    int FAscent = 0;
    TViewPalette FPalette = kDefaultPalette;
    TBorderStyle FBorder = bsSingle;
    bool FShowComments = false;
    bool FShowFeldArtName = false;
    bool FClassic = false;
    TColumnSet FColumns;
    bool FVScroll32 = false;
    bool FHScroll32 = false;
    int FSearchLineIndex = 0;
    int FSearchCol = 0;
    int FFoundLine = 0;
    int FLastFoundLine = -1;
    int FCodierung = 0;
    TXDTSearchRec FSearchRec;
    TRowMap FRows;

    TRowTexts FTexts;     // the texts of the row being painted, reused row after row
    TRowLayout FLayout;   // its cells
    TRowTexts FHeadTexts; // the start of a long content, for the whole-line test of a search
    std::string FHeadFolded;
    // The measures of the last long contents painted, so that painting one again costs its window only.
    struct TLongFacts {
        const char* Raw = nullptr;
        size_t Size = 0;
        int Codierung = 0;
        bool Classic = false;
        TInhaltFacts Facts;
    };
    TLongFacts FLongFacts[8];
    int FNextLongFacts = 0;

    QFont FPaintFont;         // the control's font with every glyph one cell wide
    bool FRedrawOff = false;  // while the position is re-clamped: no pixel scrolling
    bool FSyncingBar = false; // while the view itself moves a scroll bar
    bool FStrippingFont = false;
    std::function<void(const std::string&)> FInfoMessage;
};

// Creates the view for the main window (owner and parent): "Courier New" 12 pt bold, fixed pitch,
// filling the window's client area, reachable by Tab.
TXDTPtrView* CreateLineView(QWidget* MainWindow);
