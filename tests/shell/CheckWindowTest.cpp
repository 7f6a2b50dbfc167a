// The check report in the viewer: checked after each load of a small file (the fifth status panel),
// the list beside the view on demand, its sorting, copying and jumps to a line; tolerant loading and
// its option; the classic program without them.
#include "ShellTestUtil.h"
#include "document/RowModel.h"
#include "document/XDTPtrList.h"
#include "shell/CheckPanel.h"
#include "view/XDTPtrView.h"

#include <QClipboard>
#include <QHeaderView>
#include <QStandardItemModel>
#include <QTreeView>

namespace {

// The main window with its worker threads (load and check): a thread test.
class CheckWindowThread : public ShellTest {};

// A KVDT container: a field no table knows in line 2 (a warning), then content lines; line Bad
// (1-based, from 3 on) has a length one too large (an error).
std::string Lines(int N, int Bad = 0) {
    std::string S = XdtLine(8000, "con0") + XdtLine(6220, "x");
    for (int I = 3; I <= N; ++I) {
        std::string L = XdtLine(3101, "Zeile " + std::to_string(I));
        if (I == Bad) L[2] = char(L[2] + 1);
        S += L;
    }
    return S;
}

QString Cell(QStandardItemModel* M, int Row, int Col) {
    return M->index(Row, Col).data().toString();
}

} // namespace

TEST_F(CheckWindowThread, SmallFilesAreCheckedAfterEveryLoad) {
    Classic = false;
    const std::string Bad = WriteFile("docs/bad.ldt", Lines(10, 4));
    auto Form = MakeForm({QString::fromStdString(Bad)});
    // The four panels as ever, the counts in the fifth.
    EXPECT_EQ(Form->StatusText(0), "Zeilen: 10");
    EXPECT_EQ(Form->StatusText(4), QString::fromUtf8("Prüfung: 1 Fehler, 1 Warnung"));
    ASSERT_TRUE(Form->CheckResult().has_value());
    EXPECT_EQ(Form->CheckResult()->Errors, 1);
    EXPECT_EQ(Form->CheckPanel(), nullptr); // the list opens on demand only

    const std::string Good = WriteFile("docs/good.ldt", XdtLine(8000, "con0") + XdtLine(9106, "4"));
    Form->LoadFile(Good);
    EXPECT_EQ(Form->StatusText(4), QString::fromUtf8("Prüfung: keine Fehler oder Warnungen"));
    // A path without a file: no document, no report.
    Form->LoadFile(Dir("docs/missing.ldt"));
    EXPECT_EQ(Form->StatusText(4), QString());
    EXPECT_FALSE(Form->CheckResult().has_value());
    EXPECT_FALSE(Action(*Form, "cmCheckFile")->isEnabled());
}

TEST_F(CheckWindowThread, CheckCommandListsTheProblemsAndShowsTheirLines) {
    Classic = false;
    const std::string P = WriteFile("docs/long.ldt", Lines(200, 150));
    auto Form = MakeForm({QString::fromStdString(P)});
    Form->resize(900, 400);
    ShowActive(*Form);
    QAction* Check = Action(*Form, "cmCheckFile");
    ASSERT_NE(Check, nullptr);
    EXPECT_TRUE(Check->isEnabled());
    EXPECT_EQ(Check->text(), QString::fromUtf8("Datei prüfen"));
    Check->trigger();
    TCheckPanel* Panel = Form->CheckPanel();
    ASSERT_NE(Panel, nullptr);
    EXPECT_TRUE(Panel->isVisible());
    QStandardItemModel* M = Panel->Model();
    ASSERT_EQ(M->rowCount(), 2);
    EXPECT_EQ(Cell(M, 0, 0), "2");
    EXPECT_EQ(Cell(M, 0, 1), "Warnung");
    EXPECT_EQ(Cell(M, 0, 2), "unbekannt");
    EXPECT_EQ(Cell(M, 1, 0), "150");
    EXPECT_EQ(Cell(M, 1, 1), "Fehler");
    EXPECT_EQ(Cell(M, 1, 2), "laenge");
    EXPECT_EQ(Cell(M, 1, 3), QString::fromUtf8("Längenangabe 019, die Zeile hat 18 Byte (mit CR LF)"));
    EXPECT_EQ(Panel->SummaryLabel()->text(), "KVDT: 1 Fehler, 1 Warnung, 0 Hinweise");

    // A click on a problem moves the view to its line (entry 149 of the 200).
    QTreeView* V = Panel->View();
    EXPECT_EQ(Form->View()->TopLine(), 0);
    // (On the line column: the message column may lie beyond the narrow list's edge.) The list is
    // laid out first.
    ASSERT_TRUE(
        ServeUntil([&] { return V->viewport()->rect().contains(V->visualRect(M->index(1, 0)).center()); }));
    QTest::mouseClick(V->viewport(), Qt::LeftButton, {}, V->visualRect(M->index(1, 0)).center());
    EXPECT_EQ(Form->View()->TopLine(), 149);
    // Enter on the other one.
    V->setFocus();
    V->setCurrentIndex(M->index(0, 0));
    QTest::keyClick(V, Qt::Key_Return);
    EXPECT_EQ(Form->View()->TopLine(), 1);

    // Sorted by severity: the error first; by line again: in file order.
    V->sortByColumn(1, Qt::AscendingOrder);
    EXPECT_EQ(Cell(M, 0, 1), "Fehler");
    V->sortByColumn(0, Qt::AscendingOrder);
    EXPECT_EQ(Cell(M, 0, 0), "2");

    // Ctrl+C copies the selected rows.
    V->selectAll();
    QTest::keyClick(V, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(
        QApplication::clipboard()->text(),
        QString::fromUtf8("2\tWarnung\tunbekannt\tFeldkennung 6220 ist für KVDT nicht bekannt\n"
                          "150\tFehler\tlaenge\tLängenangabe 019, die Zeile hat 18 Byte (mit CR LF)\n"));
}

TEST_F(CheckWindowThread, AFileWithoutProblemsSaysSo) {
    Classic = false;
    auto Form = MakeForm({QString::fromStdString(
        WriteFile("docs/good.ldt", XdtLine(8000, "con0") + XdtLine(9106, "4") + XdtLine(8000, "con9")))});
    Action(*Form, "cmCheckFile")->trigger();
    ASSERT_NE(Form->CheckPanel(), nullptr);
    EXPECT_EQ(Form->CheckPanel()->SummaryLabel()->text(), "Keine Probleme gefunden.");
    EXPECT_EQ(Form->CheckPanel()->Model()->rowCount(), 0);
    // Loading another document replaces the list with its own report.
    Form->LoadFile(WriteFile("docs/bad.ldt", Lines(5, 3)));
    EXPECT_EQ(Form->CheckPanel()->Model()->rowCount(), 2);
}

// The strict load stops at an invalid line and says where and how to read on; the switch in the
// view menu reads the whole file, keeps the invalid line whole, and is kept in the options file.
TEST_F(CheckWindowThread, TolerantLoadingReadsTheRestAndIsKept) {
    Classic = false;
    const std::string P =
        WriteFile("docs/broken.ldt", XdtLine(8000, "con0") + XdtLine(3101, "Anna") +
                                         "Dies ist keine Zeile\r\n" + XdtLine(3103, "Clara"));
    QStringList Messages;
    TModalDriver Driver([&](QWidget* W) {
        if (!qobject_cast<TMsgForm*>(W)) return false;
        Messages << MsgText(W);
        return ClickMsgButton(W, mrOk);
    });
    {
        auto Form = MakeForm({QString::fromStdString(P)});
        ASSERT_EQ(Messages.size(), 1);
        EXPECT_EQ(Messages[0], QString::fromUtf8("Ungültige Zeile in XDT-Datei.\n\nEs ist die Zeile 3. Mit "
                                                 "„Ungültige Zeilen überspringen“ im Menü Ansicht liest das "
                                                 "Programm den Rest der Datei."));
        EXPECT_EQ(Form->View()->LineCount(), 2);
        // The check reads the whole file all the same.
        EXPECT_EQ(Form->StatusText(4), QString::fromUtf8("Prüfung: 1 Fehler, 0 Warnungen"));

        QAction* Tolerant = Action(*Form, "cmTolerantLoading");
        ASSERT_NE(Tolerant, nullptr);
        EXPECT_FALSE(Tolerant->isChecked());
        EXPECT_EQ(Tolerant->text(), QString::fromUtf8("Ungültige Zeilen überspringen"));
        Tolerant->trigger();
        EXPECT_TRUE(Form->TolerantLoading());
        EXPECT_EQ(Messages.size(), 1); // read again, without a message
        EXPECT_EQ(Form->View()->LineCount(), 4);
        EXPECT_EQ(Form->StatusText(0), "Zeilen: 4");
        TRowTexts Row;
        MakeRowTexts(*Form->PtrList(), 2, {}, Row);
        EXPECT_EQ(Row.Kennung, "????");
        EXPECT_EQ(Row.Inhalt, "Dies ist keine Zeile");
        EXPECT_EQ(Form->PtrList()->FeldArtList().Count(), 3);
        Form->close();
    }
    EXPECT_NE(ReadFileBytes(Paths.OptionsFile).find("Tolerant Loading=1\r\n"), std::string::npos);
    {
        auto Form = MakeForm({QString::fromStdString(P)});
        EXPECT_EQ(Messages.size(), 1);
        EXPECT_TRUE(Action(*Form, "cmTolerantLoading")->isChecked());
        EXPECT_EQ(Form->View()->LineCount(), 4);
        Action(*Form, "cmTolerantLoading")->trigger(); // off again: strict, with its message
        EXPECT_EQ(Messages.size(), 2);
        Form->close();
    }
    EXPECT_NE(ReadFileBytes(Paths.OptionsFile).find("Tolerant Loading=0\r\n"), std::string::npos);
    EXPECT_EQ(Driver.TimedOut, 0);
}

// A problem past the lines a strict load kept names the last entry: the view goes as far as it can.
TEST_F(CheckWindowThread, ProblemsPastAStrictStopShowTheLastLine) {
    Classic = false;
    std::string S = Lines(30);
    S += "\r\n" + XdtLine(3101, "weiter");
    TModalDriver Driver([&](QWidget* W) { return qobject_cast<TMsgForm*>(W) && ClickMsgButton(W, mrOk); });
    auto Form = MakeForm({QString::fromStdString(WriteFile("docs/stop.ldt", S))});
    EXPECT_EQ(Form->PtrList()->Count(), 30);
    ASSERT_TRUE(Form->CheckResult().has_value());
    const std::vector<TCheckProblem>& P = Form->CheckResult()->Problems;
    ASSERT_EQ(P.size(), 2u);
    EXPECT_EQ(P[1].Line, 31);
    EXPECT_EQ(P[1].Entry, 29);
}

TEST_F(CheckWindowThread, TheClassicProgramHasNoneOfIt) {
    auto Form = MakeForm();
    Form->SetKlassisch(true);
    EXPECT_FALSE(Action(*Form, "cmCheckFile")->isVisible());
    EXPECT_FALSE(Action(*Form, "cmTolerantLoading")->isVisible());
    EXPECT_FALSE(Form->StatusPanel(4)->isVisibleTo(Form.get()));
    Form->LoadFile(WriteFile("docs/bad.ldt", Lines(10, 4)));
    EXPECT_EQ(Form->StatusText(4), QString());
    EXPECT_FALSE(Form->CheckResult().has_value());
    // Tolerant loading switched on stays without effect: the classic load stops at the empty line.
    Action(*Form, "cmTolerantLoading")->trigger();
    QStringList Messages;
    TModalDriver Driver([&](QWidget* W) {
        if (!qobject_cast<TMsgForm*>(W)) return false;
        Messages << MsgText(W);
        return ClickMsgButton(W, mrOk);
    });
    Form->LoadFile(WriteFile("docs/blank.ldt", XdtLine(8000, "8220") + "\r\n" + XdtLine(3101, "A")));
    EXPECT_EQ(Messages, QStringList{QString::fromUtf8("Ungültige Zeile in XDT-Datei.")});
    EXPECT_EQ(Form->View()->LineCount(), 1);
}
