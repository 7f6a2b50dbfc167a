// What painting allocates: a long line costs what its visible cells cost, and a row that cannot be
// made for want of memory leaves the paint event as the control's colour, the other rows painted.
// To see allocations, this test program replaces the global operator new; it refuses only while a
// test has armed it, and only inside the view's own paint handler.
#include "ViewTestUtil.h"

#include <gtest/gtest.h>

#include <QPaintEvent>
#include <atomic>
#include <cstdlib>
#include <new>

namespace {

// While armed: refuse every allocation of at least FailFrom bytes, or of exactly FailExactly bytes.
std::atomic<bool> gArmed{false};
std::atomic<size_t> gFailFrom{0}, gFailExactly{0};
std::atomic<int> gRefused{0};

void* Allocate(size_t N) {
    if (gArmed.load(std::memory_order_relaxed)) {
        const size_t From = gFailFrom.load(std::memory_order_relaxed);
        if ((From != 0 && N >= From) || N == gFailExactly.load(std::memory_order_relaxed)) {
            gRefused.fetch_add(1, std::memory_order_relaxed);
            throw std::bad_alloc();
        }
    }
    if (void* P = std::malloc(N ? N : 1)) return P;
    throw std::bad_alloc();
}

} // namespace

void* operator new(size_t N) {
    return Allocate(N);
}
void* operator new[](size_t N) {
    return Allocate(N);
}
void* operator new(size_t N, const std::nothrow_t&) noexcept {
    try {
        return Allocate(N);
    } catch (...) {
        return nullptr;
    }
}
void* operator new[](size_t N, const std::nothrow_t&) noexcept {
    try {
        return Allocate(N);
    } catch (...) {
        return nullptr;
    }
}
void operator delete(void* P) noexcept {
    std::free(P);
}
void operator delete[](void* P) noexcept {
    std::free(P);
}
void operator delete(void* P, size_t) noexcept {
    std::free(P);
}
void operator delete[](void* P, size_t) noexcept {
    std::free(P);
}
void operator delete(void* P, const std::nothrow_t&) noexcept {
    std::free(P);
}
void operator delete[](void* P, const std::nothrow_t&) noexcept {
    std::free(P);
}

namespace {

constexpr TColor kGrey = 0x808080, kBlue = 0xFF0000, kControl = 0x3366CC;

// The view with the allocation rule armed during its paint handler only.
class TArmedView : public TXDTPtrView {
public:
    bool Arm = false;

protected:
    void paintEvent(QPaintEvent* Event) override {
        struct TArmed {
            explicit TArmed(bool On) { gArmed = On; }
            ~TArmed() { gArmed = false; }
        } Armed(Arm);
        TXDTPtrView::paintEvent(Event);
    }
};

class PaintMemoryTest : public ::testing::Test {
protected:
    void SetUp() override {
        gRefused = 0;
        View.SetClassic(true);
        View.SetColor(kControl);
        View.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&View));
        View.resize(View.size() +
                    (QSize(40 * View.CharWidth(), 6 * View.CharHeight()) - View.viewport()->size()));
        QApplication::processEvents();
    }
    void TearDown() override {
        View.Arm = false;
        gFailFrom = 0;
        gFailExactly = 0;
    }
    QImage Shot() {
        const QPixmap Px = View.viewport()->grab();
        return Px.toImage().convertToFormat(QImage::Format_RGB32);
    }
    TColor At(const QImage& Img, int Row, int Col) const {
        const QRect R(Col * View.CharWidth(), Row * View.CharHeight(), View.CharWidth(), View.CharHeight());
        return ToTColor(Img.pixel(R.left() + 1, R.top() + 1));
    }
    const bool AppMade = (EnsureApp(), true); // before the view
    TArmedView View;
    TTestDoc Doc;
};

TEST_F(PaintMemoryTest, ALongLineIsPaintedWithoutMemoryInProportionToIt) {
    std::string Long(2 << 20, '.');
    Long.replace(1000000, 2, "ab");
    Doc.Add(3101, "Meier");
    Doc.Add(3101, Long);
    Doc.Add(3102, "Hans");
    View.SetShowComments(true);
    View.SetShowFeldArtName(true);
    // Armed from the first paint of the document on, before any buffer could have grown.
    gFailFrom = 256 << 10;
    View.Arm = true;
    View.SetPtrList(&Doc.List);
    View.SetSearchRec(FeldSearch(0, "ab"));
    QApplication::processEvents();
    View.SetLeftCol(1000000); // content position 1000001 at the fifth visible column
    ASSERT_EQ(View.LeftCol(), 1000000);
    const QImage Img = Shot();
    EXPECT_EQ(gRefused, 0);
    EXPECT_EQ(At(Img, 1, 4), kBlue); // the match, marked
    EXPECT_EQ(At(Img, 1, 5), kBlue);
    EXPECT_NE(At(Img, 1, 3), kControl); // the content around it
    EXPECT_NE(At(Img, 1, 6), kControl);
    EXPECT_NE(At(Img, 1, 39), kControl);

    // At the end of the long line: its last characters, then the name column from column 14.
    View.SetLeftCol(int(Long.size()) - 10);
    const QImage End = Shot();
    EXPECT_EQ(gRefused, 0);
    for (int Col : {0, 13, 14}) {
        EXPECT_NE(At(End, 0, Col), kControl) << Col;
        EXPECT_NE(At(End, 1, Col), kControl) << Col;
    }
}

TEST_F(PaintMemoryTest, ARowThatCannotBeMadeShowsTheControlColourAndTheOthersArePainted) {
    // The first row's content needs a buffer of 3001 bytes, the only allocation of that size.
    Doc.Add(3101, std::string(3000, 'x'));
    Doc.Add(3102, "Hans");
    Doc.Add(3103, "Otto");
    gFailExactly = 3001;
    View.Arm = true;
    View.SetPtrList(&Doc.List);
    QApplication::processEvents();
    const QImage Img = Shot();
    EXPECT_GT(gRefused, 0);
    for (int Col : {0, 3, 4, 20, 39}) EXPECT_EQ(At(Img, 0, Col), kControl) << Col;
    EXPECT_EQ(At(Img, 1, 0), kGrey); // the identifier of the next rows
    EXPECT_EQ(At(Img, 2, 0), kGrey);

    View.Arm = false;
    const QImage Again = Shot();
    EXPECT_EQ(At(Again, 0, 0), kGrey);
}

} // namespace
