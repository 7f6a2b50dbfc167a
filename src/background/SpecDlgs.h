#pragma once
// The program's own message box: five kinds of message with German titles and the platform's icons,
// any combination of eleven buttons with German captions, chosen default and cancel buttons, and
// optional tab stops. Built in code with sizes in dialog units of the message font.
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>

enum TMsgKind { mkWarning, mkError, mkInformation, mkConfirmation, mkCustom };

// Button kinds, in the order they are laid out.
enum TMsgBtn {
    mbYes,
    mbNo,
    mbOK,
    mbCancel,
    mbAbort,
    mbRetry,
    mbIgnore,
    mbAll,
    mbNoToAll,
    mbYesToAll,
    mbHelp
};
constexpr int MsgBtnCount = 11;

// A set of button kinds (bit i for kind i).
class TMsgButtons {
public:
    constexpr TMsgButtons() = default;
    constexpr TMsgButtons(std::initializer_list<TMsgBtn> Buttons) {
        for (TMsgBtn B : Buttons) FBits |= 1u << B;
    }
    static constexpr TMsgButtons FromBits(unsigned Bits) {
        TMsgButtons S;
        S.FBits = Bits & ((1u << MsgBtnCount) - 1);
        return S;
    }
    constexpr bool Has(TMsgBtn B) const { return (FBits >> B) & 1u; }
    constexpr bool Empty() const { return FBits == 0; }
    constexpr unsigned Bits() const { return FBits; }
    constexpr int Count() const {
        int N = 0;
        for (int I = 0; I < MsgBtnCount; ++I) N += (FBits >> I) & 1u;
        return N;
    }
    constexpr bool operator==(const TMsgButtons&) const = default;

private:
    unsigned FBits = 0;
};

// Modal results.
enum : int {
    mrNone = 0,
    mrOk = 1,
    mrCancel = 2,
    mrAbort = 3,
    mrRetry = 4,
    mrIgnore = 5,
    mrYes = 6,
    mrNo = 7,
    mrAll = 8,
    mrNoToAll = 9,
    mrYesToAll = 10
};

// A button of the box: closes it with its modal result (0: does not close); a default button reacts
// to Enter when no other button has the focus, a cancel button to Escape.
class TMsgButton : public QPushButton {
    Q_OBJECT
public:
    TMsgButton(QWidget* Parent, int ModalResult, bool IsDefault, bool IsCancel);
    int ModalResult() const { return FModalResult; }
    bool IsDefaultButton() const { return FDefault; }
    bool IsCancelButton() const { return FCancel; }

private:
    int FModalResult;
    bool FDefault;
    bool FCancel;
};

// The message text, word-wrapped and with tabs expanded exactly as it was measured; "&" shows as is.
class TMsgLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;

protected:
    void paintEvent(QPaintEvent* E) override;
};

class TMsgForm : public QDialog {
    Q_OBJECT
public:
    TMsgForm();
    int HelpContext() const { return FHelpContext; }
    void SetHelpContext(int Value) { FHelpContext = Value; }
    std::string HelpFile() const { return FHelpFile; }
    void SetHelpFile(const std::string& Value) { FHelpFile = Value; }
    // Click handler of the Help button: asks the help handler for the help context.
    void DoHelpButton();

protected:
    void keyPressEvent(QKeyEvent* E) override;
    // Closing by the title bar or Alt+F4 ends the box like a cancel.
    void reject() override;

private:
    int FHelpContext = 0;
    std::string FHelpFile;
};

// The help system behind Help buttons: receives help context and help file. None by default.
using THelpHandler = std::function<void(int HelpContext, const std::string& HelpFile)>;
void SetHelpHandler(THelpHandler Handler);

// Builds a box centred on the screen, not shown yet. Texts are Windows-1252.
std::unique_ptr<TMsgForm> CreateMsgDialog(const std::string& Msg, TMsgKind Kind, TMsgButtons Buttons,
                                          bool TabStops, TMsgButtons DefaultButtons,
                                          TMsgButtons CancelButtons);
// Builds, places and shows a box modally; returns its modal result. X, Y >= 0 give the position;
// with both negative the box is centred over the visible main window, or else on the screen.
int ShowMsgDialogHelp(const std::string& Msg, TMsgKind Kind, TMsgButtons Buttons, bool TabStops,
                      TMsgButtons DefaultButtons, TMsgButtons CancelButtons, int HelpContext, int X, int Y,
                      const std::string& HelpFileName);
int ShowMsgDialog(const std::string& Msg, TMsgKind Kind, TMsgButtons Buttons, bool TabStops,
                  TMsgButtons DefaultButtons, TMsgButtons CancelButtons, int HelpContext = 0, int X = -1,
                  int Y = -1);
// An information box with one "O&k" button that Enter and Escape press.
int ShowInfoMessage(const std::string& Msg);

// Width of a button kind's caption + 8, measured once by the first box that shows it; 0 before.
int MsgButtonWidth(TMsgBtn Button);
