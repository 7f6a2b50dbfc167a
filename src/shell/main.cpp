// The program entry: the application, its main window and the message loop.
//
// With OSTREL_SCREENSHOT=path in the environment the program saves a picture of its window as PNG
// once the window has been shown for a moment, and ends; for machines without a screen.
#include "shell/OstrelMain.h"
#include "support/AppIcon.h"
#include "support/QtTranslation.h"

#include <QApplication>
#include <QByteArray>
#include <QTimer>
#include <cstdio>

int main(int argc, char** argv) {
    // Every argument is the program's own: exactly one names the document to open. Qt is given the
    // program's name alone, so that it neither takes arguments out of the count nor reads a
    // document called "-reverse" as its option (its settings come from the environment instead).
    const QStringList Params = TFormOstrel::CommandLineParams(argc, argv);
    int QtArgc = 1;
    QApplication App(QtArgc, argv);
    QApplication::setApplicationName(QStringLiteral("Ostrel"));
    QApplication::setWindowIcon(AppIcon());
    // Ties the windows to the installed desktop entry (its name and icon on Wayland).
    QGuiApplication::setDesktopFileName(QStringLiteral(OSTREL_APP_ID));
    InstallQtTranslation();

    TFormOstrel Form(Params, TFormOstrel::ProgramPaths());
    Form.show();

    const QByteArray Shot = qgetenv("OSTREL_SCREENSHOT");
    if (!Shot.isEmpty()) {
        const int DelayMs = qEnvironmentVariableIsSet("OSTREL_SCREENSHOT_DELAY")
                                ? qEnvironmentVariableIntValue("OSTREL_SCREENSHOT_DELAY")
                                : 2000;
        QTimer::singleShot(DelayMs, &Form, [&Form, Shot] {
            const bool Saved = Form.grab().save(QString::fromLocal8Bit(Shot), "PNG");
            std::fprintf(Saved ? stdout : stderr, "%s %s\n", Saved ? "Screenshot:" : "Cannot write",
                         Shot.constData());
            std::fflush(stdout);
            // Ends without writing the options: the picture leaves the user's settings as they were.
            QApplication::exit(Saved ? 0 : 1);
        });
    }
    return App.exec();
}
