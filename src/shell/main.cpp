// Until the main window exists: loads the named file (or the bundled sample) and prints what the
// status bar will show.
#include "document/XDTFile.h"
#include "document/XDTPtrList.h"
#include "support/Ansi.h"
#include "support/Exceptions.h"
#include "support/StrTools.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication App(argc, argv);
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
                                 "Dateigr\xF6\xDF"
                                 "e: " +
                                     FileSizeToStr(int64_t(List.FileSize())),
                                 Set})
        std::printf("%s\n", AnsiToQString(S).toLocal8Bit().constData());
    return 0;
}
