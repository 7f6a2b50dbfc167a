#pragma once
// Shared helpers of the main-window tests: one application, a temporary program folder with its
// options file, xDT files written on demand, and a driver for the modal windows the commands open.
#include "background/ExThread.h"
#include "background/SpecDlgs.h"
#include "shell/OstrelMain.h"
#include "support/Ansi.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

inline void EnsureApp() {
    if (QApplication::instance()) return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int Argc = 1;
    static char Name[] = "test_shell";
    static char* Argv[] = {Name, nullptr};
    new QApplication(Argc, Argv);
}

// One xDT line: length, identifier, content, CR LF.
inline std::string XdtLine(int FeldArt, const std::string& Inhalt) {
    char Head[8];
    std::snprintf(Head, sizeof Head, "%03d%04d", int(Inhalt.size() + 9), FeldArt);
    return Head + Inhalt + "\r\n";
}

inline std::string ReadFileBytes(const std::string& Path) {
    std::ifstream F(Path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(F), {});
}

// Calls Fn with the active modal window from a timer, so it runs inside whatever modal loop is going
// on; Fn returns true once it has dealt with the window. After the time limit it closes what is open.
class TModalDriver {
public:
    explicit TModalDriver(std::function<bool(QWidget*)> Fn, int TimeoutMs = 10000) : FFn(std::move(Fn)) {
        FTimer.setInterval(5);
        QObject::connect(&FTimer, &QTimer::timeout, [this, TimeoutMs] {
            QWidget* Modal = QApplication::activeModalWidget();
            if (!Modal) return;
            if (FElapsed.elapsed() > TimeoutMs) {
                ++TimedOut;
                if (auto* D = qobject_cast<QDialog*>(Modal))
                    D->QDialog::done(QDialog::Rejected);
                else
                    Modal->close();
                return;
            }
            if (FFn(Modal)) ++Handled;
        });
        FElapsed.start();
        FTimer.start();
    }
    int Handled = 0;
    int TimedOut = 0;

private:
    std::function<bool(QWidget*)> FFn;
    QTimer FTimer;
    QElapsedTimer FElapsed;
};

// The text of one of our message boxes, and a click on its button with the given result.
inline QString MsgText(QWidget* Box) {
    const auto* L = Box->findChild<TMsgLabel*>();
    return L ? L->text() : QString();
}
inline bool ClickMsgButton(QWidget* Box, int ModalResult) {
    for (TMsgButton* B : Box->findChildren<TMsgButton*>())
        if (B->ModalResult() == ModalResult) {
            B->click();
            return true;
        }
    return false;
}

// Waits, serving events, until Cond holds or a few seconds have passed.
inline bool ServeUntil(const std::function<bool()>& Cond, int TimeoutMs = 5000) {
    QElapsedTimer T;
    T.start();
    while (!Cond()) {
        if (T.elapsed() > TimeoutMs) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

class ShellTest : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureApp();
        ASSERT_TRUE(Tmp.isValid());
        ASSERT_TRUE(QDir(Tmp.path()).mkpath("prog"));
        ASSERT_TRUE(QDir(Tmp.path()).mkpath("docs"));
        Paths.ProgramDir = Dir("prog/");
        Paths.OptionsFile = Dir("prog/ostrel.INI");
        Paths.FallbackOptionsFile = Dir("config/Ostrel/ostrel.INI");
    }

    std::string Dir(const std::string& Rel) const { return (Tmp.path() + "/").toStdString() + Rel; }
    std::string WriteFile(const std::string& Rel, const std::string& Bytes) const {
        const std::string P = Dir(Rel);
        std::ofstream F(P, std::ios::binary);
        F << Bytes;
        return P;
    }
    // A document without a declared character set: a record with N further lines.
    std::string Doc(const std::string& Rel, int Lines = 5, const std::string& Extra = "") const {
        std::string S = XdtLine(8000, "8220");
        for (int I = 1; I < Lines; ++I) S += XdtLine(3101, "Zeile " + std::to_string(I) + Extra);
        return WriteFile(Rel, S);
    }

    // The window as the classic program (these tests hold its specified behaviour) unless a test of
    // the extended one clears Classic first.
    std::unique_ptr<TFormOstrel> MakeForm(const QStringList& Params = {}) {
        qputenv("OSTREL_KLASSISCH", Classic ? "1" : "0");
        return std::make_unique<TFormOstrel>(Params, Paths);
    }
    static void ShowActive(TFormOstrel& Form) {
        Form.show();
        Form.activateWindow();
        (void)QTest::qWaitForWindowActive(&Form);
    }
    // A key as the user types it into the window. The offscreen platform does not hand the activation
    // back to the window when a modal window closes, as window managers do; so that is done here.
    static void Press(TFormOstrel& Form, Qt::Key Key, Qt::KeyboardModifiers Mods = Qt::NoModifier) {
        if (QApplication::activeWindow() != &Form) ShowActive(Form);
        QWidget* Target = Form.focusWidget() ? Form.focusWidget() : &Form;
        QTest::keyClick(Target, Key, Mods);
    }
    static QAction* Action(TFormOstrel& Form, const char* Name) { return Form.findChild<QAction*>(Name); }
    static QString Found(TFormOstrel& Form) { return Form.findChild<QLabel*>("StaticTextFound")->text(); }

    QTemporaryDir Tmp;
    TOstrelPaths Paths;
    bool Classic = true;
};

// Tests whose windows load documents, so run the loader's worker thread (the thread stages pick
// them by the suite name).
class ShellLoadTest : public ShellTest {};

inline QString Title(const std::string& Path = {}) {
    const QString T = QStringLiteral("Brenlo Ostrel V2.1");
    return Path.empty() ? T : T + " - [" + QString::fromStdString(Path) + "]";
}

// Readable QString values in failure messages.
inline void PrintTo(const QString& S, std::ostream* Os) {
    *Os << '"' << S.toStdString() << '"';
}
