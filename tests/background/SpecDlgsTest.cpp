#include "background/SpecDlgs.h"
#include "TestHelpers.h"
#include "support/Ansi.h"
#include "support/DlgTools.h"
#include "support/ResStrings.h"
#include "support/WinText.h"

#include <QGuiApplication>
#include <QScreen>
#include <QStyle>
#include <QTest>
#include <gtest/gtest.h>

namespace {
struct TMainFormGuard {
    ~TMainFormGuard() { SetMainForm(nullptr); }
};

struct TUnits {
    int HMargin, VMargin, HSpacing, VSpacing, ButtonWidth, ButtonHeight, ButtonSpacing;
};
TUnits Units(const QFont& F) {
    const TAverageChar A = MeasureAverageChar(F);
    return {DialogUnitsX(8, A),  DialogUnitsY(8, A),  DialogUnitsX(10, A), DialogUnitsY(10, A),
            DialogUnitsX(50, A), DialogUnitsY(14, A), DialogUnitsX(4, A)};
}

QList<TMsgButton*> ButtonsOf(QWidget* Box) {
    return Box->findChildren<TMsgButton*>(Qt::FindDirectChildrenOnly);
}
} // namespace

TEST(MsgDialog, InfoMessageOverTheMainWindow) {
    TMainFormGuard Guard;
    QWidget Main;
    Main.setGeometry(30, 40, 700, 500);
    SetMainForm(&Main);
    Main.show();
    const std::string Msg = "Keine weiteren Eintr\xE4ge gefunden!";
    for (const Qt::Key Key : {Qt::Key_Return, Qt::Key_Escape}) {
        bool Checked = false;
        TModalWatcher Watch([&](QWidget* W) {
            auto* Box = qobject_cast<TMsgForm*>(W);
            if (!Box || !Box->isVisible() || Checked) return;
            Checked = true;
            const TUnits U = Units(Box->font());
            EXPECT_EQ(Box->windowTitle(), QStringLiteral("Information"));
            auto* Image = Box->findChild<QLabel*>("Image");
            ASSERT_NE(Image, nullptr);
            const QPixmap Info =
                Box->style()->standardIcon(QStyle::SP_MessageBoxInformation, nullptr, Box).pixmap(32, 32);
            EXPECT_FALSE(Image->pixmap().isNull());
            EXPECT_EQ(Image->pixmap().toImage(), Info.toImage());
            EXPECT_EQ(Image->geometry(), QRect(U.HMargin, U.VMargin, 32, 32));
            auto* Label = Box->findChild<QLabel*>("Message");
            ASSERT_NE(Label, nullptr);
            EXPECT_EQ(Label->text(), AnsiToQString(Msg));
            EXPECT_EQ(Label->x(), U.HMargin + 32 + U.HSpacing); // right of the icon
            const auto Buttons = ButtonsOf(Box);
            ASSERT_EQ(Buttons.size(), 1);
            TMsgButton* Ok = Buttons[0];
            EXPECT_EQ(Ok->objectName(), QStringLiteral("OK"));
            EXPECT_EQ(Ok->text(), QStringLiteral("O&k"));
            EXPECT_FALSE(Ok->focusPolicy() & Qt::TabFocus);
            EXPECT_TRUE(Ok->IsDefaultButton());
            EXPECT_TRUE(Ok->IsCancelButton());
            EXPECT_EQ(Ok->x(), (Box->width() - Ok->width()) / 2);
            EXPECT_EQ(Ok->y(), std::max(32, Label->height()) + U.VMargin + U.VSpacing);
            const QRect M = Main.frameGeometry(), R = Box->frameGeometry();
            EXPECT_EQ(R.left(), M.left() + (M.width() - R.width()) / 2);
            EXPECT_EQ(R.top(), M.top() + (M.height() - R.height()) / 2);
            QTest::keyClick(Box, Key);
        });
        EXPECT_EQ(ShowInfoMessage(Msg), mrOk);
        EXPECT_TRUE(Checked);
    }
    Main.hide();
}

TEST(MsgDialog, CentredOnTheScreenWithoutMainWindow) {
    const QRect S = QGuiApplication::primaryScreen()->geometry();
    auto Box = CreateMsgDialog("Hallo", mkWarning, {mbYes, mbNo}, true, {mbYes}, {mbNo});
    const QRect R = Box->frameGeometry();
    EXPECT_EQ(R.left(), S.width() / 2 - R.width() / 2);
    EXPECT_EQ(R.top(), S.height() / 2 - R.height() / 2);
    EXPECT_EQ(Box->windowTitle(), QStringLiteral("Warnung"));
}

TEST(MsgDialog, EscCaptionAndForcedTabStops) {
    auto Box = CreateMsgDialog("Weiter", mkConfirmation, {mbOK}, true, {}, {mbOK});
    EXPECT_EQ(Box->windowTitle(), AnsiToQString("Best\xE4tigung"));
    TMsgButton* Ok = ButtonsOf(Box.get()).at(0);
    EXPECT_EQ(Ok->text(), QStringLiteral("Esc"));
    EXPECT_FALSE(Ok->IsDefaultButton());
    EXPECT_FALSE(Ok->focusPolicy() & Qt::TabFocus); // no default button: no tab stops

    Box = CreateMsgDialog("Weiter", mkConfirmation, {mbOK}, true, {mbOK}, {mbOK});
    Ok = ButtonsOf(Box.get()).at(0);
    EXPECT_EQ(Ok->text(), QStringLiteral("O&k"));
    EXPECT_TRUE(Ok->focusPolicy() & Qt::TabFocus);

    Box = CreateMsgDialog("Weiter", mkConfirmation, {mbOK, mbCancel}, true, {}, {mbOK});
    EXPECT_EQ(Box->findChild<QPushButton*>("OK")->text(), QStringLiteral("Esc"));
    Box = CreateMsgDialog("Weiter", mkConfirmation, {mbOK}, true, {}, {mbOK, mbCancel});
    EXPECT_EQ(Box->findChild<QPushButton*>("OK")->text(), QStringLiteral("O&k"));
}

TEST(MsgDialog, ButtonsInOrderWithTheirResults) {
    auto Box =
        CreateMsgDialog("Alles?", mkError, TMsgButtons::FromBits(0x7FF), true, {mbNo, mbAll}, {mbCancel});
    EXPECT_EQ(Box->windowTitle(), QStringLiteral("Fehler"));
    const auto Buttons = ButtonsOf(Box.get());
    ASSERT_EQ(Buttons.size(), 11);
    const char* Names[] = {"Yes",    "No",  "OK",      "Cancel",   "Abort", "Retry",
                           "Ignore", "All", "NoToAll", "YesToAll", "Help"};
    const char* Texts[] = {"&Ja",         "&Nein", "O&k",        "A&bbrechen", "A&bbrechen", "&Wiederholen",
                           "&Ignorieren", "&Alle", "&Alle Nein", "A&lle Ja",   "&Hilfe"};
    const int Results[] = {6, 7, 1, 2, 3, 4, 5, 8, 9, 10, 0};
    const TUnits U = Units(Box->font());
    const int W = Buttons[0]->width();
    EXPECT_GE(W, U.ButtonWidth);
    for (int I = 0; I < 11; ++I) {
        EXPECT_EQ(Buttons[I]->objectName(), QString::fromLatin1(Names[I]));
        EXPECT_EQ(Buttons[I]->text(), QString::fromLatin1(Texts[I]));
        EXPECT_EQ(Buttons[I]->ModalResult(), Results[I]);
        EXPECT_EQ(Buttons[I]->width(), W);
        EXPECT_EQ(Buttons[I]->x(), Buttons[0]->x() + I * (W + U.ButtonSpacing));
        EXPECT_GE(W, MsgButtonWidth(TMsgBtn(I)));
        EXPECT_GT(MsgButtonWidth(TMsgBtn(I)), 8);
    }
    // The row decides the width here, centred between the margins.
    EXPECT_EQ(Box->width(), 11 * W + 10 * U.ButtonSpacing + 2 * U.HMargin);
    EXPECT_EQ(Buttons[0]->x(), U.HMargin);
    EXPECT_TRUE(Buttons[1]->IsDefaultButton());
    EXPECT_TRUE(Buttons[7]->IsDefaultButton());
    EXPECT_TRUE(Buttons[3]->IsCancelButton());
    EXPECT_FALSE(Buttons[4]->IsCancelButton());
}

TEST(MsgDialog, KeysFocusAndHelp) {
    int HelpContext = -1;
    std::string HelpFile;
    SetHelpHandler([&](int Context, const std::string& File) {
        HelpContext = Context;
        HelpFile = File;
    });
    int Step = 0;
    QString Focused;
    bool OpenAfterHelp = false, OpenAfterEscape = false;
    TModalWatcher Watch([&](QWidget* W) {
        auto* Box = qobject_cast<TMsgForm*>(W);
        if (!Box || !Box->isVisible()) return;
        switch (Step++) {
        case 0:
            Focused = Box->focusWidget() ? Box->focusWidget()->objectName() : QString();
            Box->findChild<QPushButton*>("Help")->click();
            break;
        case 1:
            OpenAfterHelp = Box->isVisible();
            QTest::keyClick(Box, Qt::Key_Escape); // no cancel button: nothing happens
            break;
        case 2:
            OpenAfterEscape = Box->isVisible();
            QTest::keyClick(Box, Qt::Key_Return); // the focused button, the last default one
            break;
        default:
            break;
        }
    });
    const int Result = ShowMsgDialogHelp("Frage", mkConfirmation, {mbYes, mbNo, mbHelp}, true, {mbYes, mbNo},
                                         {}, 42, -1, -1, "x.hlp");
    SetHelpHandler(nullptr);
    EXPECT_EQ(Result, mrNo);
    EXPECT_EQ(Focused, QStringLiteral("No"));
    EXPECT_TRUE(OpenAfterHelp);
    EXPECT_TRUE(OpenAfterEscape);
    EXPECT_EQ(HelpContext, 42);
    EXPECT_EQ(HelpFile, "x.hlp");

    // Closing by the title bar ends the box like a cancel, also without a cancel button.
    TModalWatcher Closer([](QWidget* W) {
        if (auto* Box = qobject_cast<TMsgForm*>(W); Box && Box->isVisible()) Box->close();
    });
    EXPECT_EQ(ShowMsgDialog("Zu", mkWarning, {mbYes}, false, {mbYes}, {}), mrCancel);
}

TEST(MsgDialog, CustomKindWrapsLongTextAndGivenPosition) {
    SetApplicationTitle("Brenlo Ostrel V2.1");
    const int Half = QGuiApplication::primaryScreen()->geometry().width() / 2;
    std::string Long;
    for (int I = 0; I < 60; ++I) Long += "Wort\tund ";
    auto Box = CreateMsgDialog(Long, mkCustom, {}, false, {}, {});
    const TUnits U = Units(Box->font());
    EXPECT_EQ(Box->windowTitle(), QStringLiteral("Brenlo Ostrel V2.1"));
    EXPECT_EQ(Box->findChild<QLabel*>("Image"), nullptr);
    auto* Label = Box->findChild<QLabel*>("Message");
    EXPECT_EQ(Label->x(), U.HMargin);
    EXPECT_LE(Label->width(), Half);
    EXPECT_GT(Label->width(), Half / 2);
    EXPECT_GE(Label->height(), 3 * WinLineHeight(Box->font(), 0));
    EXPECT_EQ(Label->size(),
              WinTextExtent(Box->font(), AnsiToQString(Long), dtWordBreak | dtExpandTabs | dtNoPrefix, Half));
    // No buttons: as wide as the text plus margins, the button row's height still reserved.
    EXPECT_TRUE(ButtonsOf(Box.get()).isEmpty());
    EXPECT_EQ(Box->width(), Label->width() + 2 * U.HMargin);
    EXPECT_EQ(Box->height(), Label->height() + U.ButtonHeight + U.VSpacing + 2 * U.VMargin);

    // "&" in a message shows as it is.
    Box = CreateMsgDialog("A & B", mkCustom, {mbOK}, false, {mbOK}, {mbOK});
    QFontMetrics Fm(Box->font());
    EXPECT_EQ(Box->findChild<QLabel*>("Message")->width(), Fm.horizontalAdvance("A & B"));

    // One given coordinate: the other stays centred on the screen.
    const QRect S = QGuiApplication::primaryScreen()->geometry();
    TModalWatcher Watch([&](QWidget* W) {
        auto* B = qobject_cast<TMsgForm*>(W);
        if (!B || !B->isVisible()) return;
        EXPECT_EQ(B->frameGeometry().left(), 10);
        EXPECT_EQ(B->frameGeometry().top(), S.height() / 2 - B->frameGeometry().height() / 2);
        B->findChild<QPushButton*>("OK")->click();
    });
    EXPECT_EQ(ShowMsgDialog("Links", mkInformation, {mbOK}, false, {mbOK}, {mbOK}, 0, 10, -1), mrOk);
}
