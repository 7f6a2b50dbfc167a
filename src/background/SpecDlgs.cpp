#include "SpecDlgs.h"

#include "support/Ansi.h"
#include "support/DlgTools.h"
#include "support/ResStrings.h"
#include "support/WinText.h"

#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>
#include <QStyle>
#include <algorithm>

namespace {

struct TKindInfo {
    const char* Title; // null: the application title
    QStyle::StandardPixmap Icon;
    bool HasIcon;
};
const TKindInfo KindInfo[] = {
    {SMsgDlgWarning, QStyle::SP_MessageBoxWarning, true},
    {SMsgDlgError, QStyle::SP_MessageBoxCritical, true},
    {SMsgDlgInformation, QStyle::SP_MessageBoxInformation, true},
    {SMsgDlgConfirm, QStyle::SP_MessageBoxQuestion, true},
    {nullptr, QStyle::SP_CustomBase, false},
};

struct TButtonInfo {
    const char* Name;
    const char* Caption;
    int ModalResult;
};
const TButtonInfo ButtonInfo[MsgBtnCount] = {
    {"Yes", SMsgDlgYes, mrYes},
    {"No", SMsgDlgNo, mrNo},
    {"OK", SMsgDlgOK, mrOk},
    {"Cancel", SMsgDlgCancel, mrCancel},
    {"Abort", SMsgDlgAbort, mrAbort},
    {"Retry", SMsgDlgRetry, mrRetry},
    {"Ignore", SMsgDlgIgnore, mrIgnore},
    {"All", SMsgDlgAll, mrAll},
    {"NoToAll", SMsgDlgNoToAll, mrNoToAll},
    {"YesToAll", SMsgDlgYesToAll, mrYesToAll},
    {"Help", SMsgDlgHelp, mrNone},
};

// Caption width + 8 of each button kind, measured once and kept for the whole run.
int ButtonWidths[MsgBtnCount] = {};

THelpHandler& HelpHandler() {
    static THelpHandler Handler;
    return Handler;
}

// The message text is shown as it stands: word breaks, tabs expanded, "&" literal.
constexpr unsigned MessageTextFlags = dtWordBreak | dtExpandTabs | dtNoPrefix;

} // namespace

TMsgButton::TMsgButton(QWidget* Parent, int ModalResult, bool IsDefault, bool IsCancel)
    : QPushButton(Parent), FModalResult(ModalResult), FDefault(IsDefault), FCancel(IsCancel) {
    setAutoDefault(false);
}

void TMsgLabel::paintEvent(QPaintEvent*) {
    QPainter P(this);
    P.setPen(palette().color(QPalette::WindowText));
    unsigned Flags = MessageTextFlags;
    if (layoutDirection() == Qt::RightToLeft) Flags |= dtRtlReading | dtRight;
    WinDrawText(&P, font(), text(), rect(), Flags);
}

TMsgForm::TMsgForm() : QDialog(nullptr) {
    setFont(MessageFont());
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
}

void TMsgForm::DoHelpButton() {
    if (HelpHandler()) HelpHandler()(FHelpContext, FHelpFile);
}

void TMsgForm::keyPressEvent(QKeyEvent* E) {
    const bool DialogKey =
        E->key() == Qt::Key_Escape || E->key() == Qt::Key_Return || E->key() == Qt::Key_Enter;
    if (!DialogKey) {
        QDialog::keyPressEvent(E);
        return;
    }
    // Buttons react to the plain keys only; with Shift, Ctrl or Alt the keys do nothing.
    E->accept();
    if (E->modifiers() & ~Qt::KeypadModifier) return;
    const auto Buttons = findChildren<TMsgButton*>(Qt::FindDirectChildrenOnly);
    auto Usable = [](TMsgButton* B) { return B->isEnabled() && B->isVisible(); };
    if (E->key() == Qt::Key_Escape) {
        // The first cancel button reacts; without one Escape does nothing.
        for (TMsgButton* B : Buttons)
            if (B->IsCancelButton() && Usable(B)) {
                B->click();
                break;
            }
        return;
    }
    // Enter: the focused button, else the first default button.
    auto* Focused = qobject_cast<TMsgButton*>(focusWidget());
    if (Focused && Usable(Focused)) {
        Focused->click();
        return;
    }
    for (TMsgButton* B : Buttons)
        if (B->IsDefaultButton() && Usable(B)) {
            B->click();
            break;
        }
}

void TMsgForm::reject() {
    done(mrCancel);
}

void SetHelpHandler(THelpHandler Handler) {
    HelpHandler() = std::move(Handler);
}

int MsgButtonWidth(TMsgBtn Button) {
    return ButtonWidths[Button];
}

std::unique_ptr<TMsgForm> CreateMsgDialog(const std::string& Msg, TMsgKind Kind, TMsgButtons Buttons,
                                          bool TabStops, TMsgButtons DefaultButtons,
                                          TMsgButtons CancelButtons) {
    if (ApplicationMinimized()) FlashApplication();
    QApplication::beep();
    if (DefaultButtons.Empty()) TabStops = false;
    if (Kind < mkWarning || Kind > mkCustom) Kind = mkCustom;

    auto Form = std::make_unique<TMsgForm>();
    Form->setLayoutDirection(QGuiApplication::layoutDirection());
    const QFont Font = Form->font();
    const TAverageChar Avg = MeasureAverageChar(Font);
    const int HorzMargin = DialogUnitsX(8, Avg);
    const int VertMargin = DialogUnitsY(8, Avg);
    const int HorzSpacing = DialogUnitsX(10, Avg);
    const int VertSpacing = DialogUnitsY(10, Avg);
    int ButtonWidth = DialogUnitsX(50, Avg);
    const int ButtonHeight = DialogUnitsY(14, Avg);
    const int ButtonSpacing = DialogUnitsX(4, Avg);

    for (int B = 0; B < MsgBtnCount; ++B) {
        if (!Buttons.Has(TMsgBtn(B))) continue;
        if (ButtonWidths[B] == 0)
            ButtonWidths[B] =
                WinTextExtent(Font, AnsiToQString(ButtonInfo[B].Caption), dtSingleLine).width() + 8;
        ButtonWidth = std::max(ButtonWidth, ButtonWidths[B]);
    }

    // The message wraps at half the screen width.
    QScreen* Screen = QGuiApplication::primaryScreen();
    const int ScreenWidth = Screen ? Screen->geometry().width() : 800;
    const QString Text = AnsiToQString(Msg);
    const QSize TextSize = WinTextExtent(Font, Text, MessageTextFlags, ScreenWidth / 2);

    const TKindInfo& Info = KindInfo[Kind];
    int BlockWidth = TextSize.width();
    int BlockHeight = TextSize.height();
    if (Info.HasIcon) {
        BlockWidth += HorzSpacing + 32;
        BlockHeight = std::max(BlockHeight, 32);
    }
    const int N = Buttons.Count();
    const int RowWidth = N == 0 ? 0 : N * ButtonWidth + (N - 1) * ButtonSpacing;
    const int ClientWidth = std::max(BlockWidth, RowWidth) + 2 * HorzMargin;
    const int ClientHeight = BlockHeight + ButtonHeight + VertSpacing + 2 * VertMargin;
    Form->setFixedSize(ClientWidth, ClientHeight);
    CenterFormOnScreen(Form.get());

    Form->setWindowTitle(AnsiToQString(Info.Title ? std::string(Info.Title) : ApplicationTitle()));

    if (Info.HasIcon) {
        auto* Image = new QLabel(Form.get());
        Image->setObjectName(QStringLiteral("Image"));
        Image->setPixmap(Form->style()->standardIcon(Info.Icon, nullptr, Form.get()).pixmap(32, 32));
        Image->setGeometry(HorzMargin, VertMargin, 32, 32);
    }

    auto* Label = new TMsgLabel(Text, Form.get());
    Label->setObjectName(QStringLiteral("Message"));
    Label->setWordWrap(true);
    int LabelLeft = BlockWidth + HorzMargin - TextSize.width();
    if (Form->layoutDirection() == Qt::RightToLeft) LabelLeft = ClientWidth - LabelLeft - TextSize.width();
    Label->setGeometry(LabelLeft, VertMargin, TextSize.width(), TextSize.height());

    const bool EscCaption = DefaultButtons.Empty() && CancelButtons == TMsgButtons{mbOK};
    int Left = (ClientWidth - RowWidth) / 2;
    const int Top = BlockHeight + VertMargin + VertSpacing;
    TMsgButton* Focus = nullptr;
    for (int B = 0; B < MsgBtnCount; ++B) {
        const TMsgBtn Btn = TMsgBtn(B);
        if (!Buttons.Has(Btn)) continue;
        const bool IsDefault = DefaultButtons.Has(Btn);
        auto* Button =
            new TMsgButton(Form.get(), ButtonInfo[B].ModalResult, IsDefault, CancelButtons.Has(Btn));
        Button->setObjectName(QString::fromLatin1(ButtonInfo[B].Name));
        Button->setText(AnsiToQString(Btn == mbOK && EscCaption ? SMsgDlgEsc : ButtonInfo[B].Caption));
        // Without tab stops the Tab key skips the buttons; they still take the focus when clicked.
        Button->setFocusPolicy(TabStops ? Qt::StrongFocus : Qt::ClickFocus);
        if (IsDefault) {
            Button->setDefault(true);
            Focus = Button;
        }
        Button->setGeometry(Left, Top, ButtonWidth, ButtonHeight);
        Left += ButtonWidth + ButtonSpacing;
        TMsgForm* F = Form.get();
        if (Btn == mbHelp) {
            QObject::connect(Button, &QPushButton::clicked, F, &TMsgForm::DoHelpButton);
        } else {
            const int Result = ButtonInfo[B].ModalResult;
            QObject::connect(Button, &QPushButton::clicked, F, [F, Result] { F->done(Result); });
        }
    }
    if (Focus) Focus->setFocus();
    return Form;
}

int ShowMsgDialogHelp(const std::string& Msg, TMsgKind Kind, TMsgButtons Buttons, bool TabStops,
                      TMsgButtons DefaultButtons, TMsgButtons CancelButtons, int HelpContext, int X, int Y,
                      const std::string& HelpFileName) {
    std::unique_ptr<TMsgForm> Form =
        CreateMsgDialog(Msg, Kind, Buttons, TabStops, DefaultButtons, CancelButtons);
    Form->SetHelpContext(HelpContext);
    Form->SetHelpFile(HelpFileName);
    if (X >= 0 || Y >= 0) {
        const QPoint P = Form->frameGeometry().topLeft();
        Form->move(X >= 0 ? X : P.x(), Y >= 0 ? Y : P.y());
    } else if (MainFormVisible()) {
        CenterFormOnForm(Form.get(), MainForm());
    }
    return Form->exec();
}

int ShowMsgDialog(const std::string& Msg, TMsgKind Kind, TMsgButtons Buttons, bool TabStops,
                  TMsgButtons DefaultButtons, TMsgButtons CancelButtons, int HelpContext, int X, int Y) {
    return ShowMsgDialogHelp(Msg, Kind, Buttons, TabStops, DefaultButtons, CancelButtons, HelpContext, X, Y,
                             std::string());
}

int ShowInfoMessage(const std::string& Msg) {
    return ShowMsgDialog(Msg, mkInformation, {mbOK}, false, {mbOK}, {mbOK}, 0, -1, -1);
}
