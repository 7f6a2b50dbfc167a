#include "TestUtil.h"
#include "support/Ansi.h"
#include "support/AppIcon.h"
#include "support/AppSplash.h"
#include "support/DlgTools.h"
#include "support/FramePanel.h"
#include "support/ResStrings.h"
#include "support/VerInfo.h"
#include "support/WinText.h"

#include <QApplication>
#include <QCoreApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <algorithm>
#include <functional>
#include <gtest/gtest.h>
#include <set>

using testutil::TempDir;

namespace {

const std::string kLegal = "Copyright \xA9 2026 Brenlo Software & Partner";

// A program file whose version block names Product. Built while the test runs, so that this block
// never sits in the test program itself, where it would be taken for the program's own.
std::string FileWithProduct(const TempDir& D, const std::string& Name, const std::string& Product) {
    const TVersionStrings Strings{
        3, 4, 5, 6, 0x0407, 1252, {{{"ProductName", Product.c_str()}, {"LegalCopyright", kLegal.c_str()}}}};
    const TVersionBlob Blob = BuildVersionBlob(Strings);
    return D.Write(Name, std::string(64, 'x') +
                             std::string(reinterpret_cast<const char*>(Blob.Bytes.data()), Blob.Size));
}

std::vector<TBrenloSinglePanel*> Panels(const TAppSplashForm& F) {
    std::vector<TBrenloSinglePanel*> R;
    while (auto* P = F.findChild<TBrenloSinglePanel*>(QStringLiteral("SPanel%1").arg(R.size() + 1)))
        R.push_back(P);
    return R;
}

std::vector<std::string> Captions(const TAppSplashForm& F) {
    std::vector<std::string> R;
    for (const auto* P : Panels(F)) R.push_back(P->Caption());
    return R;
}

std::string SpelledOut(const QString& S) {
    std::string R;
    for (char C : QStringToAnsi(S)) {
        if (!R.empty()) R += ' ';
        R += C;
    }
    return R;
}

// The application title for one test; the old one comes back afterwards.
struct TTitleGuard {
    std::string Old = ApplicationTitle();
    explicit TTitleGuard(const std::string& Title) { SetApplicationTitle(Title); }
    ~TTitleGuard() { SetApplicationTitle(Old); }
};

// Records the opened targets instead of starting a browser.
struct TOpenRecorder {
    std::vector<QUrl> Opened;
    std::function<void(const QUrl&)> Hook() {
        return [this](const QUrl& U) { Opened.push_back(U); };
    }
};

// Runs Action on the modal window once it is up. Should Action fail to close it, the window is closed
// after some seconds anyway, so that no test hangs; Closed tells whether that was needed.
struct TModalCloser {
    bool ForcedClose = false;
    bool Seen = false;
    explicit TModalCloser(std::function<void(QWidget*)> Action) {
        QTimer::singleShot(0, [this, Action] {
            if (QWidget* W = QApplication::activeModalWidget()) {
                Seen = true;
                Action(W);
            }
        });
        QTimer::singleShot(5000, [this] {
            if (QWidget* W = QApplication::activeModalWidget()) {
                ForcedClose = true;
                W->close();
            }
        });
    }
};

QWidget* KeyTarget(QWidget* W) {
    return W->focusWidget() ? W->focusWidget() : W;
}

} // namespace

TEST(About, ShowsTheProgramsOwnVersionResource) {
    TOpenRecorder Recorder;
    TAppSplashForm F(nullptr, nullptr, true, true, true, {}, Recorder.Hook());
    EXPECT_EQ(F.windowTitle(), QStringLiteral("Info"));
    EXPECT_EQ(Captions(F), (std::vector<std::string>{"Brenlo Ostrel", "Version 2.1", kLegal, HomePageLine(),
                                                     EmailLine()}));
    const auto P = Panels(F);
    ASSERT_EQ(P.size(), 5u);

    // The legal line shows its "&": no accelerator, and the ampersand counts in the width.
    EXPECT_FALSE(P[2]->ShowAccelChar());
    EXPECT_TRUE(P[2]->TextFormatFlags() & dtNoPrefix);
    const QString Legal = AnsiToQString(kLegal);
    EXPECT_EQ(P[2]->NeededWidth() - P[2]->ClientLeft() - P[2]->ClientRight() - P[2]->TextLeft() -
                  P[2]->TextRight(),
              WinTextExtent(P[2]->font(), Legal, 0x720 | dtNoPrefix).width());

    // Title line: grey, bold 36 points (the name fits), shadow, icon area at the left.
    EXPECT_EQ(P[0]->Color(), QColor(128, 128, 128));
    EXPECT_EQ(P[0]->font().pointSize(), 36);
    EXPECT_TRUE(P[0]->font().bold());
    EXPECT_EQ(P[0]->ShadowWidth(), 1);
    QLabel* Image = F.IconImage();
    ASSERT_NE(Image, nullptr);
    EXPECT_EQ(Image->objectName(), QStringLiteral("Image"));
    EXPECT_EQ(Image->width(), 32 + 2 * IconMargin);
    EXPECT_EQ(P[0]->TextLeft(), Image->width());
    EXPECT_GE(P[0]->ClientRect().height(), 32 + 2 * IconMargin);
    EXPECT_EQ(Image->geometry(),
              P[0]->ClientRect().adjusted(0, 0, -(P[0]->ClientRect().width() - Image->width()), 0));
    EXPECT_EQ(Image->alignment(), Qt::AlignCenter);

    // Further lines: 10 points, the address lines bold and blue; no frame, no text margins above and below.
    for (size_t I = 1; I < P.size(); ++I) {
        SCOPED_TRACE(I);
        EXPECT_EQ(P[I]->font().pointSize(), 10);
        EXPECT_EQ(P[I]->FontColor(), I >= 3 ? QColor(0, 0, 255) : QColor(0, 0, 128));
        EXPECT_EQ(P[I]->font().bold(), I >= 3);
        EXPECT_EQ(P[I]->BorderLeft() + P[I]->BorderTop() + P[I]->BorderRight() + P[I]->BorderBottom(), 0);
        EXPECT_EQ(P[I]->TextTop() + P[I]->TextBottom(), 0);
    }

    // Size: widest line (at least the button and its margins), stack, button below it, centred.
    int Needed = 0, Stack = 0;
    for (const auto* Q : P) Needed = std::max(Needed, Q->NeededWidth()), Stack += Q->height();
    QPushButton* Ok = F.OkButton();
    ASSERT_NE(Ok, nullptr);
    EXPECT_EQ(Ok->objectName(), QStringLiteral("OkBtn"));
    EXPECT_EQ(Ok->text(), QStringLiteral("O&k"));
    EXPECT_TRUE(Ok->isDefault());
    EXPECT_EQ(F.width(), std::max(Needed, 91));
    EXPECT_GE(F.width(), 91);
    EXPECT_EQ(F.height(), Stack + 25 + 16);
    EXPECT_EQ(Ok->geometry(), QRect((F.width() - 75) / 2, Stack + 8, 75, 25));

    // Shown, the lines lie one below the other over the whole width, the title as high as the icon area.
    F.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&F));
    int Top = 0;
    for (const auto* Q : P) {
        EXPECT_EQ(Q->geometry(), QRect(0, Top, F.width(), Q->height()));
        Top += Q->height();
    }
    EXPECT_EQ(Top, Stack);
    EXPECT_EQ(P[0]->ClientRect().height(), Image->height());
    F.close();
    EXPECT_TRUE(Recorder.Opened.empty());
}

TEST(About, WithoutVersionResourceTheTitleFallsBack) {
    TempDir D;
    const std::string Plain = D.Write("plain.bin", std::string(3000, 'z'));
    {
        TTitleGuard Title("Brenlo Ostrel V2.1");
        TAppSplashForm F(nullptr, nullptr, true, true, true, Plain);
        EXPECT_EQ(Captions(F), (std::vector<std::string>{"Brenlo Ostrel V2.1", HomePageLine(), EmailLine()}));
    }
    {
        TTitleGuard Title("");
        const std::vector<std::string> Extra{"Zeile 1", "Zeile & 2"};
        TAppSplashForm F(nullptr, &Extra, true, false, false, Plain);
        EXPECT_EQ(Captions(F), (std::vector<std::string>{"plain.bin", "Zeile 1", "Zeile & 2"}));
        EXPECT_GE(F.width(), 91);
    }
    {
        // A missing file has no resource either.
        TTitleGuard Title("");
        TAppSplashForm F(nullptr, nullptr, true, false, false, D.File("gone.exe"));
        EXPECT_EQ(Captions(F), (std::vector<std::string>{"gone.exe"}));
    }
}

TEST(About, LongProductNameShrinksTheTitle) {
    TempDir D;
    std::set<int> Sizes;
    for (int N = 6; N <= 40; ++N) {
        SCOPED_TRACE(N);
        const std::string Name(size_t(N), 'W');
        TAppSplashForm F(nullptr, nullptr, true, false, false,
                         FileWithProduct(D, "p" + std::to_string(N), Name));
        const auto P = Panels(F);
        ASSERT_EQ(Captions(F), (std::vector<std::string>{Name, "Version 3.4", kLegal}));
        const int Size = P[0]->font().pointSize();
        Sizes.insert(Size);
        // The largest of 36, 34, ... 10 at which the regular name needs at most 400 pixels with the
        // panel's default frame, or 8.
        auto Needs = [&](int Pt) {
            QFont Font(QStringLiteral("Arial"));
            Font.setPointSize(Pt);
            return 16 + WinTextExtent(Font, QString::fromLatin1(Name.c_str()), 0x720 | dtNoPrefix).width();
        };
        EXPECT_EQ(Size % 2, 0);
        EXPECT_GE(Size, 8);
        EXPECT_LE(Size, 36);
        if (Size > 8) {
            EXPECT_LE(Needs(Size), 400);
        }
        if (Size < 36) {
            EXPECT_GT(Needs(Size + 2), 400);
        }
        EXPECT_TRUE(P[0]->font().bold());
    }
    // From the first size to the last, through most of the steps between.
    EXPECT_TRUE(Sizes.count(36) && Sizes.count(8)) << ::testing::PrintToString(Sizes);
    EXPECT_GE(Sizes.size(), 10u) << ::testing::PrintToString(Sizes);
}

TEST(About, OnlyTheAddressLinesOpenTheirTargets) {
    TOpenRecorder Recorder;
    TAppSplashForm F(nullptr, nullptr, true, true, true, {}, Recorder.Hook());
    F.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&F));
    const auto P = Panels(F);
    ASSERT_EQ(P.size(), 5u);
    for (size_t I = 0; I < 3; ++I) {
        QTest::mouseClick(P[I], Qt::LeftButton, {}, P[I]->rect().center());
        EXPECT_EQ(P[I]->cursor().shape(), Qt::ArrowCursor);
    }
    QTest::mouseClick(F.IconImage(), Qt::LeftButton);
    EXPECT_TRUE(Recorder.Opened.empty());

    // Anywhere on the line: middle and far left edge.
    QTest::mouseClick(P[3], Qt::LeftButton, {}, P[3]->rect().center());
    QTest::mouseClick(P[3], Qt::LeftButton, {}, QPoint(1, 1));
    QTest::mouseClick(P[4], Qt::LeftButton, {}, QPoint(P[4]->width() - 2, P[4]->height() / 2));
    ASSERT_EQ(Recorder.Opened.size(), 3u);
    EXPECT_EQ(Recorder.Opened[0], HomePageUrl());
    EXPECT_EQ(Recorder.Opened[1], HomePageUrl());
    EXPECT_EQ(Recorder.Opened[2], EmailUrl());
    EXPECT_EQ(P[3]->cursor().shape(), Qt::PointingHandCursor);
    F.close();

    // The lines spell out the addresses they open.
    EXPECT_TRUE(HomePageUrl().isValid());
    EXPECT_EQ(EmailUrl().scheme(), QStringLiteral("mailto"));
    const std::string Home = HomePageLine(), Mail = EmailLine();
    EXPECT_EQ(Home.rfind("Homepage: ", 0), 0u);
    EXPECT_EQ(Mail.rfind("E-Mail: ", 0), 0u);
    const std::string Host = SpelledOut(HomePageUrl().host()), Address = SpelledOut(EmailUrl().path());
    EXPECT_EQ(Home.substr(Home.size() - std::min(Home.size(), Host.size())), Host);
    EXPECT_EQ(Mail.substr(Mail.size() - std::min(Mail.size(), Address.size())), Address);
}

TEST(About, EnterAndEscapeClose) {
    {
        TAppSplashForm F(nullptr, nullptr, true, true, true);
        TModalCloser Closer([](QWidget* W) { QTest::keyClick(KeyTarget(W), Qt::Key_Escape); });
        EXPECT_EQ(F.exec(), QDialog::Accepted); // the OK button is the cancel button too
        EXPECT_TRUE(Closer.Seen);
        EXPECT_FALSE(Closer.ForcedClose);
    }
    {
        TAppSplashForm F(nullptr, nullptr, true, true, true);
        TModalCloser Closer([](QWidget* W) { QTest::keyClick(KeyTarget(W), Qt::Key_Return); });
        EXPECT_EQ(F.exec(), QDialog::Accepted);
        EXPECT_FALSE(Closer.ForcedClose);
    }
    // ShowAbout shows the window modally and frees it afterwards.
    bool Shown = false;
    TModalCloser Closer([&Shown](QWidget* W) {
        auto* F = qobject_cast<TAppSplashForm*>(W);
        Shown = F && Panels(*F).size() == 5 && Panels(*F)[1]->Caption() == "Version 2.1";
        QTest::keyClick(KeyTarget(W), Qt::Key_Enter, Qt::KeypadModifier);
    });
    ShowAbout();
    EXPECT_TRUE(Shown);
    EXPECT_FALSE(Closer.ForcedClose);
    for (QWidget* W : QApplication::topLevelWidgets()) EXPECT_EQ(qobject_cast<TAppSplashForm*>(W), nullptr);
}

TEST(About, CentredOverTheVisibleMainWindow) {
    QRect Area;
    ASSERT_TRUE(GetWorkArea(Area));
    QWidget Main;
    Main.setGeometry(Area.left() + 50, Area.top() + 60, 700, 500);
    Main.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&Main));
    SetMainForm(&Main);
    struct TReset {
        ~TReset() { SetMainForm(nullptr); }
    } Reset;
    TAppSplashForm F(nullptr, nullptr, true, true, true);
    const QRect Ref = Main.frameGeometry(), Outer = F.frameGeometry();
    EXPECT_EQ(Outer.topLeft(), QPoint(Ref.left() + (Ref.width() - Outer.width()) / 2,
                                      Ref.top() + (Ref.height() - Outer.height()) / 2));
}

TEST(About, BorderlessVariant) {
    TempDir D;
    TTitleGuard Title("Brenlo Ostrel V2.1");
    const std::vector<std::string> Extra{"Lade Kataloge"};
    TAppSplashForm F(nullptr, &Extra, false, false, false, D.Write("plain", "no resource"));
    EXPECT_EQ(Captions(F),
              (std::vector<std::string>{"Brenlo Ostrel V2.1", "Lade Kataloge", SInitialisierung}));
    EXPECT_EQ(F.OkButton(), nullptr);
    EXPECT_EQ(F.findChild<QPushButton*>(), nullptr);
    EXPECT_TRUE(F.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(F.windowFlags() & Qt::WindowStaysOnTopHint);
    const auto P = Panels(F);
    ASSERT_EQ(P.size(), 3u);
    EXPECT_EQ(P[2]->font().pointSize(), 14);
    EXPECT_EQ(P[1]->font().pointSize(), 10);
    int Needed = 0, Stack = 0;
    for (size_t I = 0; I < P.size(); ++I) {
        SCOPED_TRACE(I);
        EXPECT_EQ(P[I]->BorderColor(), QColor(0, 0, 255));
        EXPECT_EQ(P[I]->BorderLeft(), 8);
        EXPECT_EQ(P[I]->BorderRight(), 8);
        EXPECT_EQ(P[I]->BorderTop(), I == 0 ? 8 : 0);
        EXPECT_EQ(P[I]->BorderBottom(), I == 2 ? 8 : 0);
        EXPECT_EQ(P[I]->TextTop(), 4); // default margins
        EXPECT_EQ(P[I]->TextBottom(), 4);
        Needed = std::max(Needed, P[I]->NeededWidth());
        Stack += P[I]->height();
    }
    EXPECT_EQ(F.size(), QSize(Needed, Stack));
}

TEST(About, IconIsDrawnInCode) {
    const QPixmap Pix = AppIconPixmap(32);
    ASSERT_EQ(Pix.size(), QSize(32, 32));
    const QImage Img = Pix.toImage();
    EXPECT_EQ(qAlpha(Img.pixel(0, 0)), 0);             // transparent corner
    EXPECT_EQ(Img.pixel(16, 6) & 0xFFFFFF, 0xFF0000u); // the red record line
    EXPECT_FALSE(AppIcon().availableSizes().isEmpty());
}
