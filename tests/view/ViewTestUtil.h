#pragma once
// Shared helpers of the line-view tests: an in-memory document, a shown view, and cell-wise
// inspection of what the view painted.
#include "document/XDTPtrList.h"
#include "view/XDTPtrView.h"

#include <QApplication>
#include <QEvent>
#include <QImage>
#include <QRegion>
#include <QTest>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

// Lines whose contents live in the document itself; the index points into them.
class TTestDoc {
public:
    void Add(int FeldArt, const std::string& Inhalt) {
        FContents.push_back(Inhalt);
        const std::string& S = FContents.back();
        List.Add(FeldArt, S.data(), int32_t(S.size()));
    }
    TXDTPtrList List;

private:
    std::deque<std::string> FContents;
};

// One application for the whole test program, created on first use and kept to the end.
inline void EnsureApp() {
    if (QApplication::instance()) return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int Argc = 1;
    static char Name[] = "test_view";
    static char* Argv[] = {Name, nullptr};
    new QApplication(Argc, Argv);
}

// Criteria of a field search, as the search dialog installs them.
inline TXDTSearchRec FeldSearch(int FeldArt, const std::string& Text, uint8_t Option = foContains,
                                bool Case = false) {
    TXDTSearchRec R;
    R.SearchMode = smFeld;
    R.FeldOption = Option;
    R.CaseSensitive = Case;
    R.FeldArt = FeldArt;
    R.SearchText = Text;
    return R;
}

inline TColor ToTColor(QRgb C) {
    return TColor(qRed(C)) | TColor(qGreen(C)) << 8 | TColor(qBlue(C)) << 16;
}

// Records the regions the viewport paints.
class TPaintSpy : public QObject {
public:
    std::vector<QRegion> Regions;
    bool eventFilter(QObject*, QEvent* E) override {
        if (E->type() == QEvent::Paint) Regions.push_back(static_cast<QPaintEvent*>(E)->region());
        return false;
    }
};

class TViewFixture {
public:
    // A top-level view as the main window creates it, with a viewport of Rows × Cols cells plus
    // a few pixels (so one more row and column are partly visible).
    explicit TViewFixture(int Rows = 10, int Cols = 60) {
        EnsureApp();
        View.reset(CreateLineView(nullptr));
        // These suites hold the classic view; tests of the extended one switch it off.
        View->SetClassic(true);
        View->show();
        (void)QTest::qWaitForWindowExposed(View.get());
        SetCells(Rows, Cols);
    }
    void SetCells(int Rows, int Cols, int ExtraPx = 3) {
        const QSize Want(Cols * View->CharWidth() + ExtraPx, Rows * View->CharHeight() + ExtraPx);
        QSize Outer = View->size() + (Want - View->viewport()->size());
        View->resize(Outer);
        QApplication::processEvents();
    }
    void Attach(TTestDoc& Doc) {
        View->SetPtrList(&Doc.List);
        QApplication::processEvents();
    }
    QImage Shot() const { return View->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32); }

    QRect CellRect(int Row, int Col, int NCols = 1) const {
        return QRect(Col * View->CharWidth(), Row * View->CharHeight(), NCols * View->CharWidth(),
                     View->CharHeight());
    }
    // The most frequent colour in a run of cells: its background.
    TColor Bg(const QImage& Img, int Row, int Col, int NCols = 1) const {
        std::map<QRgb, int> Hist;
        const QRect R = CellRect(Row, Col, NCols).intersected(Img.rect());
        for (int Y = R.top(); Y <= R.bottom(); ++Y)
            for (int X = R.left(); X <= R.right(); ++X) ++Hist[Img.pixel(X, Y) & 0xFFFFFF];
        QRgb Best = 0;
        int N = -1;
        for (auto [C, K] : Hist)
            if (K > N) Best = C, N = K;
        return ToTColor(Best);
    }
    // True when some pixel in the cells has exactly this colour (solid glyph strokes do).
    bool HasInk(const QImage& Img, int Row, int Col, int NCols, TColor C) const {
        const QRect R = CellRect(Row, Col, NCols).intersected(Img.rect());
        for (int Y = R.top(); Y <= R.bottom(); ++Y)
            for (int X = R.left(); X <= R.right(); ++X)
                if (ToTColor(Img.pixel(X, Y)) == C) return true;
        return false;
    }
    // Which pixels of the cells differ from their background: the glyphs' shape.
    std::vector<bool> InkMask(const QImage& Img, int Row, int Col, int NCols) const {
        const TColor B = Bg(Img, Row, Col, NCols);
        std::vector<bool> M;
        const QRect R = CellRect(Row, Col, NCols);
        for (int Y = R.top(); Y <= R.bottom(); ++Y)
            for (int X = R.left(); X <= R.right(); ++X) M.push_back(ToTColor(Img.pixel(X, Y)) != B);
        return M;
    }

    std::unique_ptr<TXDTPtrView> View;
};

inline int Mismatches(const std::vector<bool>& A, const std::vector<bool>& B) {
    int N = 0;
    for (size_t I = 0; I < A.size() && I < B.size(); ++I) N += A[I] != B[I];
    return N;
}
