// Until the main window exists: loads the named file, prints what the status bar will show and
// shows the file in the line view in a plain window.
#include "document/XDTFile.h"
#include "document/XDTPtrList.h"
#include "support/Ansi.h"
#include "support/Exceptions.h"
#include "support/StrTools.h"
#include "view/XDTPtrView.h"

#include <QApplication>
#include <QMainWindow>
#include <QWheelEvent>
#include <cstdio>

namespace {
// The wheel is the window's business: two lines per notch, with Ctrl two columns.
class TPlainWindow : public QMainWindow {
public:
    TXDTPtrView* View = nullptr;

protected:
    void wheelEvent(QWheelEvent* E) override {
        const int Steps = E->angleDelta().y() / 120;
        if (!View || Steps == 0) return;
        if (E->modifiers() & Qt::ControlModifier)
            View->SetLeftCol(View->LeftCol() - 2 * Steps);
        else
            View->SetTopLine(View->TopLine() - 2 * Steps);
    }
};
} // namespace

int main(int argc, char** argv) {
    QApplication App(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: ostrel FILE\n");
        return 2;
    }
    TFileXDTPtrList List;
    try {
        LoadXDTFile(List, argv[1]);
    } catch (const Exception& E) {
        std::printf("%s\n", AnsiToQString(E.Message()).toLocal8Bit().constData());
    }
    std::string Set = "Zeichensatz: Nicht vorhanden";
    if (List.FileCodierung() >= 1 && List.FileCodierung() <= 4)
        Set = "Zeichensatz: \"" + CodierungName(List.FileCodierung()) + "\"";
    for (const std::string& S : {"Zeilen: " + std::to_string(List.Count()),
                                 "Dateigr\xF6\xDF\x65: " + FileSizeToStr(int64_t(List.FileSize())), Set})
        std::printf("%s\n", AnsiToQString(S).toLocal8Bit().constData());
    std::fflush(stdout);

    TPlainWindow Window;
    Window.setWindowTitle(QString::fromLocal8Bit(argv[1]));
    Window.View = CreateLineView(&Window);
    Window.View->SetPtrList(&List);
    if (List.FileCodierung() < 1 || List.FileCodierung() > 4) Window.View->SetCodierung(1);
    Window.resize(1000, 700);
    Window.show();
    return App.exec();
}
