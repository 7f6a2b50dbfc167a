// The windows as an X server shows them: each title exactly the window's own, and the main window
// at its stored position. These tests run on a virtual X server (ctest's Xvfb entry runs this
// program there with QT_QPA_PLATFORM=xcb); elsewhere they are skipped. xprop and xwininfo
// (x11-utils) read what the server holds.
#include "ShellTestUtil.h"
#include "background/SpecDlgs.h"
#include "support/AppSplash.h"
#include "support/QtTranslation.h"
#include "view/OstrelSearchDlg.h"

#include <QFileDialog>
#include <QFontDialog>
#include <QGuiApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QWindow>
#include <atomic>
#include <optional>

namespace {

bool OnX11() {
    return QGuiApplication::platformName() == QLatin1String("xcb");
}

// What a tool of x11-utils prints about a window; empty when it cannot be run.
QString XTool(const char* Tool, const QStringList& Args) {
    if (QStandardPaths::findExecutable(QString::fromLatin1(Tool)).isEmpty()) {
        ADD_FAILURE() << Tool << " (x11-utils) is needed on X";
        return {};
    }
    QProcess P;
    QProcessEnvironment Env = QProcessEnvironment::systemEnvironment();
    Env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8")); // texts as UTF-8, not escaped
    P.setProcessEnvironment(Env);
    P.start(QString::fromLatin1(Tool), Args);
    if (!P.waitForFinished(5000) || P.exitCode() != 0) return {};
    return QString::fromUtf8(P.readAllStandardOutput());
}

// A text property of the window as the server holds it (xprop prints NAME = "text"), unset: nullopt.
std::optional<QString> XTextProperty(WId Id, const char* Name) {
    const QString Out =
        XTool("xprop", {QStringLiteral("-id"), QString::number(Id), QStringLiteral("-notype"), Name})
            .trimmed();
    const qsizetype Quote = Out.indexOf(QLatin1Char('"'));
    if (Quote < 0 || !Out.endsWith(QLatin1Char('"'))) return std::nullopt;
    QString Text;
    const QString Quoted = Out.mid(Quote + 1, Out.size() - Quote - 2);
    for (qsizetype I = 0; I < Quoted.size(); ++I) {
        if (Quoted[I] == QLatin1Char('\\') && I + 1 < Quoted.size()) ++I;
        Text += Quoted[I];
    }
    return Text;
}

// The title the window manager shows: both the modern and the old property, which must agree.
std::optional<QString> XTitle(QWidget* W) {
    const std::optional<QString> Net = XTextProperty(W->winId(), "_NET_WM_NAME");
    const std::optional<QString> Old = XTextProperty(W->winId(), "WM_NAME");
    if (!Net || !Old) return std::nullopt;
    EXPECT_EQ(*Net, *Old);
    return Net;
}

void Reject(QWidget* W) {
    if (auto* D = qobject_cast<QDialog*>(W)) D->reject();
}

// Runs Open, which shows a modal window of class T, and returns that window's title as the X server
// has it; Close then deals with the window (by default it is rejected).
template <class T = QWidget>
QString TitleOfModal(const std::function<void()>& Open, const std::function<void(QWidget*)>& Close = Reject) {
    std::optional<QString> Title;
    TModalDriver Driver([&](QWidget* W) {
        if (!qobject_cast<T*>(W)) return false;
        if (!W->isVisible() || !W->windowHandle() || !W->windowHandle()->isExposed()) return false;
        if (!Title) Title = XTitle(W);
        if (!Title) return false;
        Close(W);
        return true;
    });
    Open();
    EXPECT_EQ(Driver.TimedOut, 0);
    return Title.value_or(QStringLiteral("(no title)"));
}

void CloseMsgBox(QWidget* W) {
    if (qobject_cast<TMsgForm*>(W)) ClickMsgButton(W, mrOk);
}

struct TTranslationGuard {
    TTranslationGuard() { EXPECT_TRUE(InstallQtTranslation()); }
    ~TTranslationGuard() { RemoveQtTranslation(); }
};

} // namespace

TEST_F(ShellLoadTest, X11EveryWindowShowsItsOwnTitle) {
    if (!OnX11()) GTEST_SKIP() << "needs an X server (ctest runs it on Xvfb)";
    TTranslationGuard German;
    const std::string P = Doc("docs/plain.ldt", 5);
    auto Form = MakeForm({QString::fromStdString(P)});
    ShowActive(*Form);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Form.get()));
    std::optional<QString> Main;
    EXPECT_TRUE(ServeUntil([&] { return (Main = XTitle(Form.get())) && *Main == Title(P); }));
    EXPECT_EQ(Main.value_or(QString()), Title(P));

    EXPECT_EQ(TitleOfModal<TFormXDTSearchDlg>([&] { Form->cmSearchClick(); }), "Such-Optionen");
    EXPECT_EQ(TitleOfModal<TAppSplashForm>([&] { Form->cmInfoClick(); }), "Info");
    EXPECT_EQ(
        TitleOfModal<TMsgForm>([&] { ShowInfoMessage("Keine weiteren Eintr\xE4ge gefunden!"); }, CloseMsgBox),
        "Information");

    // The progress window, while the load is held until its title has been read.
    std::atomic<bool> Release{false};
    Form->SetBeforeLoadHook([&](TLoadFileThread&) {
        for (int I = 0; I < 10000 && !Release; ++I) QThread::msleep(1);
    });
    EXPECT_EQ(TitleOfModal<TThreadInfoForm>([&] { Form->LoadFile(P); }, [&](QWidget*) { Release = true; }),
              "Information");
    Form->SetBeforeLoadHook(nullptr);

    // The worker's error box bears the application title: the program's name and the document.
    const std::string Bad =
        WriteFile("docs/bad.ldt", XdtLine(8000, "8220") + "kaputt\r\n" + XdtLine(3101, "x"));
    EXPECT_EQ(TitleOfModal<TMsgForm>([&] { Form->LoadFile(Bad); }, CloseMsgBox), Title(Bad));

    // Qt's own dialogs keep their own titles too, in German.
    QString OpenTitle, FontTitle;
    EXPECT_EQ(TitleOfModal<QFileDialog>([&] { Form->cmOpenClick(); },
                                        [&](QWidget* W) {
                                            OpenTitle = W->windowTitle();
                                            qobject_cast<QDialog*>(W)->reject();
                                        }),
              QString::fromUtf8("Öffnen"));
    EXPECT_EQ(OpenTitle, QString::fromUtf8("Öffnen"));
    EXPECT_EQ(TitleOfModal<QFontDialog>([&] { Form->cmFontClick(); },
                                        [&](QWidget* W) {
                                            FontTitle = W->windowTitle();
                                            qobject_cast<QDialog*>(W)->reject();
                                        }),
              FontTitle);
    EXPECT_EQ(FontTitle, QString::fromUtf8("Schriftart auswählen"));
    // After all that the main window still shows the document's title alone.
    EXPECT_EQ(XTitle(Form.get()).value_or(QString()), Title(Bad));
}

TEST_F(ShellTest, X11NormalFirstStartOpensAtTheStoredPosition) {
    if (!OnX11()) GTEST_SKIP() << "needs an X server (ctest runs it on Xvfb)";
    const QRect Area = QGuiApplication::primaryScreen()->availableGeometry();
    if (!Area.contains(QRect(200, 118, 1109, 507)))
        GTEST_SKIP() << "the screen is too small for the stored layout";
    WriteFile("prog/ostrel.INI", "[Options]\r\nWindow Maximized=0\r\n");
    auto Form = MakeForm();
    Form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Form.get()));
    // Where the server has put the window (no window manager on Xvfb: no frame around it either).
    QString Info;
    const QRegularExpression Corner(
        QStringLiteral("Absolute upper-left X:\\s+(-?\\d+)\\s+Absolute upper-left Y:\\s+(-?\\d+)"));
    QRegularExpressionMatch M;
    EXPECT_TRUE(ServeUntil([&] {
        Info = XTool("xwininfo", {QStringLiteral("-id"), QString::number(Form->winId())});
        M = Corner.match(Info);
        return M.hasMatch() && M.captured(1) == "200" && M.captured(2) == "118";
    })) << Info.toStdString();
    EXPECT_EQ(Form->frameGeometry().topLeft(), QPoint(200, 118));
    EXPECT_EQ(Form->size(), QSize(1109, 507));
}
