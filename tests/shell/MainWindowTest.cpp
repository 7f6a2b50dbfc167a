// The main window as a user meets it: started with arguments, documents opened, dropped, cancelled,
// broken or gone, and what title, status bar and commands show each time.
#include "ShellTestUtil.h"
#include "document/XDTPtrList.h"
#include "support/DlgTools.h"
#include "support/StrTools.h"
#include "view/XDTPtrView.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QPushButton>
#include <QUrl>
#include <atomic>

namespace {

const QString SevenBit = QStringLiteral("Aktuell verwendeter Zeichensatz: 1 - \"7-bit-Code\"");

QString SizeText(const std::string& Path) {
    return AnsiToQString("Dateigr\xF6\xDF"
                         "e: " +
                         FileSizeToStr(int64_t(ReadFileBytes(Path).size())));
}

void ExpectSearchEnabled(TFormOstrel& Form, bool Enabled) {
    EXPECT_EQ(Form.findChild<QAction*>("cmSearch")->isEnabled(), Enabled);
    EXPECT_EQ(Form.findChild<QAction*>("cmSearchAgain")->isEnabled(), Enabled);
    EXPECT_EQ(Form.findChild<QPushButton*>("ButtonSearch")->isEnabled(), Enabled);
    EXPECT_EQ(Form.findChild<QPushButton*>("ButtonSearchNext")->isEnabled(), Enabled);
}

void ExpectNoDocument(TFormOstrel& Form) {
    EXPECT_EQ(Form.windowTitle(), Title());
    EXPECT_EQ(Form.AppTitle(), Title());
    for (int I = 0; I < 4; ++I) EXPECT_EQ(Form.StatusText(I), QString()) << "panel " << I;
    EXPECT_EQ(Form.View()->LineCount(), 0);
    EXPECT_TRUE(Form.CurrentFile().empty());
    EXPECT_FALSE(Form.findChild<QAction*>("cmRefresh")->isEnabled());
    EXPECT_FALSE(Form.findChild<QAction*>("cmToggleCodierung")->isEnabled());
    ExpectSearchEnabled(Form, false);
}

} // namespace

TEST_F(ShellTest, StartWithOneArgumentShowsTheDocumentAndCyclesCharacterSets) {
    const std::string P = Doc("docs/plain.ldt", 5);
    auto Form = MakeForm({QString::fromStdString(P)});
    EXPECT_EQ(Form->windowTitle(), Title(P));
    EXPECT_EQ(Form->AppTitle(), Title(P));
    EXPECT_EQ(AnsiToQString(ApplicationTitle()), Title(P)); // the title of the program's own boxes
    EXPECT_EQ(Form->StatusText(0), "Zeilen: 5");
    EXPECT_EQ(Form->StatusText(1), SizeText(P));
    EXPECT_EQ(Form->StatusText(2), "Zeichensatz: Nicht vorhanden");
    // No declared set: shown as 7-bit code, and the set can be switched.
    EXPECT_EQ(Form->StatusText(3), SevenBit);
    EXPECT_EQ(Form->View()->Codierung(), 1);
    EXPECT_EQ(Form->View()->LineCount(), 5);
    EXPECT_EQ(Form->CurrentFile(), P);
    EXPECT_EQ(Form->LastDirectory(), Dir("docs/"));
    EXPECT_TRUE(Action(*Form, "cmToggleCodierung")->isEnabled());
    EXPECT_TRUE(Action(*Form, "cmRefresh")->isEnabled());
    ExpectSearchEnabled(*Form, true);

    ShowActive(*Form);
    ASSERT_EQ(QApplication::activeWindow(), Form.get());
    const char* Names[] = {"", "7-bit-Code", "IBM-Code", "ISO 8859-1 Code", "ISO 8859-15 Code"};
    for (int Want : {2, 3, 4, 1, 2, 3}) {
        Press(*Form, Qt::Key_Z, Qt::ControlModifier);
        EXPECT_EQ(Form->View()->Codierung(), Want);
        EXPECT_EQ(Form->StatusText(3),
                  QStringLiteral("Aktuell verwendeter Zeichensatz: %1 - \"%2\"").arg(Want).arg(Names[Want]));
    }
    // Switching the comments on makes the view take the file's own set (none) again, and the panel
    // says so; the next toggle starts over at 7-bit code.
    Press(*Form, Qt::Key_K, Qt::ControlModifier);
    EXPECT_TRUE(Form->View()->ShowComments());
    EXPECT_EQ(Form->View()->Codierung(), 0);
    EXPECT_EQ(Form->StatusText(3), QString());
    Press(*Form, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Form->View()->Codierung(), 1);
    EXPECT_EQ(Form->StatusText(3), SevenBit);
}

TEST_F(ShellTest, NoneOrTwoArgumentsOpenNothing) {
    const std::string P = Doc("docs/plain.ldt");
    for (const QStringList& Params :
         {QStringList(), QStringList{QString::fromStdString(P), QString::fromStdString(P)}}) {
        auto Form = MakeForm(Params);
        ExpectNoDocument(*Form);
        EXPECT_EQ(Form->focusWidget(), Form->findChild<QPushButton*>("ButtonOpen"));
    }
}

TEST_F(ShellTest, DeclaredCharacterSetCannotBeSwitched) {
    const std::string Ibm =
        WriteFile("docs/ibm.ldt", XdtLine(8000, "0020") + XdtLine(9106, "2") + XdtLine(3101, "M\x9Aller"));
    auto Form = MakeForm({QString::fromStdString(Ibm)});
    EXPECT_EQ(Form->StatusText(0), "Zeilen: 3");
    EXPECT_EQ(Form->StatusText(2), "Zeichensatz: \"IBM-Code\"");
    EXPECT_EQ(Form->StatusText(3), QString());
    EXPECT_EQ(Form->View()->Codierung(), 2);
    EXPECT_FALSE(Action(*Form, "cmToggleCodierung")->isEnabled());
    ShowActive(*Form);
    Press(*Form, Qt::Key_Z, Qt::ControlModifier); // a disabled command's key does nothing
    EXPECT_EQ(Form->View()->Codierung(), 2);
    EXPECT_EQ(Form->StatusText(3), QString());

    // A set number the program does not know: no set text, no switching.
    const std::string Five = WriteFile("docs/five.ldt", XdtLine(8000, "0020") + XdtLine(9106, "5"));
    Form->LoadFile(Five);
    EXPECT_EQ(Form->StatusText(0), "Zeilen: 2");
    EXPECT_EQ(Form->StatusText(2), QString());
    EXPECT_EQ(Form->StatusText(3), QString());
    EXPECT_FALSE(Action(*Form, "cmToggleCodierung")->isEnabled());
}

TEST_F(ShellTest, MissingPathOrFolderAfterADocumentShowsNoDocumentAndNoMessage) {
    const std::string P = Doc("docs/plain.ldt");
    auto Form = MakeForm({QString::fromStdString(P)});
    ASSERT_EQ(Form->View()->LineCount(), 5);
    int Modals = 0;
    TModalDriver Driver([&](QWidget* W) {
        ++Modals;
        if (auto* D = qobject_cast<QDialog*>(W)) D->done(0);
        return true;
    });
    for (const std::string& Gone : {Dir("docs/missing.ldt"), Dir("docs")}) {
        Form->LoadFile(Gone);
        ExpectNoDocument(*Form);
        EXPECT_EQ(Form->PtrList()->Count(), 0);
    }
    EXPECT_EQ(Modals, 0);
    // The directory of the document shown last stays the open dialog's start.
    EXPECT_EQ(Form->LastDirectory(), Dir("docs/"));
}

TEST_F(ShellTest, CancelledLoadLeavesAnEmptyWindowThatRefreshReloads) {
    const std::string First = Doc("docs/first.ldt", 3);
    const std::string P = Doc("docs/plain.ldt", 7);
    auto Form = MakeForm({QString::fromStdString(First)});
    ShowActive(*Form);

    // The load is held until the user has cancelled it in the progress window.
    Form->SetBeforeLoadHook([](TLoadFileThread& T) { T.CancelEvent().WaitFor(10000); });
    int Cancels = 0;
    bool Cancelling = true;
    TModalDriver Driver([&](QWidget* W) {
        auto* Info = qobject_cast<TThreadInfoForm*>(W);
        if (!Cancelling || !Info || !Info->CancelButton()) return false;
        ++Cancels;
        Info->CancelButton()->click();
        return true;
    });
    Form->LoadFile(P);
    EXPECT_EQ(Cancels, 1);
    EXPECT_EQ(Driver.TimedOut, 0);
    EXPECT_EQ(Form->windowTitle(), Title());
    EXPECT_EQ(Form->AppTitle(), Title());
    EXPECT_EQ(Form->View()->LineCount(), 0);
    EXPECT_EQ(Form->PtrList()->Count(), 0);
    EXPECT_EQ(Form->CurrentFile(), P);
    for (int I = 0; I < 3; ++I) EXPECT_EQ(Form->StatusText(I), QString()) << "panel " << I;
    EXPECT_EQ(Form->StatusText(3), SevenBit);
    EXPECT_TRUE(Action(*Form, "cmRefresh")->isEnabled());
    EXPECT_TRUE(Action(*Form, "cmToggleCodierung")->isEnabled());
    ExpectSearchEnabled(*Form, false);

    // The reload may show its progress window for a moment too; it closes by itself.
    Cancelling = false;
    Form->SetBeforeLoadHook(nullptr);
    Press(*Form, Qt::Key_F5);
    EXPECT_EQ(Form->View()->LineCount(), 7);
    EXPECT_EQ(Form->windowTitle(), Title(P));
    EXPECT_EQ(Form->StatusText(0), "Zeilen: 7");
    EXPECT_EQ(Cancels, 1);
}

TEST_F(ShellTest, InvalidLineIsReportedAndTheLinesBeforeItAreShown) {
    const std::string P =
        WriteFile("docs/broken.ldt", XdtLine(8000, "8220") + XdtLine(3101, "Anna") + XdtLine(3102, "Berta") +
                                         "Dies ist keine Zeile\r\n" + XdtLine(3103, "Clara"));
    QStringList Messages;
    TModalDriver Driver([&](QWidget* W) {
        if (!qobject_cast<TMsgForm*>(W)) return false;
        Messages << MsgText(W);
        return ClickMsgButton(W, mrOk);
    });
    // The classic program.
    auto Form = MakeForm();
    Form->SetKlassisch(true);
    Form->LoadFile(P);
    ASSERT_EQ(Messages.size(), 1);
    EXPECT_EQ(Messages[0], QString::fromUtf8("Ungültige Zeile in XDT-Datei."));
    EXPECT_EQ(Form->View()->LineCount(), 3);
    EXPECT_EQ(Form->StatusText(0), "Zeilen: 3");
    EXPECT_EQ(Form->StatusText(1), SizeText(P));
    EXPECT_EQ(Form->windowTitle(), Title(P));
    EXPECT_TRUE(Action(*Form, "cmRefresh")->isEnabled());
    ExpectSearchEnabled(*Form, true);
}

TEST_F(ShellTest, DropOpensOnlyTheLastFile) {
    const std::string A = Doc("docs/a.ldt", 2), B = Doc("docs/b.ldt", 3), C = Doc("docs/c.ldt", 4);
    auto Form = MakeForm();
    ShowActive(*Form);
    std::atomic<int> Loads{0};
    Form->SetBeforeLoadHook([&](TLoadFileThread&) { ++Loads; });

    QMimeData Web;
    Web.setUrls({QUrl("https://example.org/a.ldt")});
    QDragEnterEvent NoFile(QPoint(50, 50), Qt::CopyAction, &Web, Qt::LeftButton, Qt::NoModifier);
    NoFile.setAccepted(false);
    QApplication::sendEvent(Form.get(), &NoFile);
    EXPECT_FALSE(NoFile.isAccepted());

    QMimeData Data;
    Data.setUrls({QUrl::fromLocalFile(QString::fromStdString(A)),
                  QUrl::fromLocalFile(QString::fromStdString(B)),
                  QUrl::fromLocalFile(QString::fromStdString(C))});
    QDragEnterEvent Enter(QPoint(50, 50), Qt::CopyAction, &Data, Qt::LeftButton, Qt::NoModifier);
    Enter.setAccepted(false);
    QApplication::sendEvent(Form.get(), &Enter);
    EXPECT_TRUE(Enter.isAccepted());
    QDropEvent Drop(QPointF(50, 50), Qt::CopyAction, &Data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(Form.get(), &Drop);
    EXPECT_TRUE(Drop.isAccepted());
    ASSERT_TRUE(ServeUntil([&] { return Form->CurrentFile() == C; }));
    QTest::qWait(50);
    EXPECT_EQ(Loads.load(), 1);
    EXPECT_EQ(Form->View()->LineCount(), 4);
    EXPECT_EQ(Form->windowTitle(), Title(C));
}

TEST_F(ShellTest, EmptyFileCompletesWithZeroLines) {
    const std::string P = WriteFile("docs/empty.ldt", "");
    auto Form = MakeForm({QString::fromStdString(P)});
    EXPECT_EQ(Form->windowTitle(), Title(P));
    EXPECT_EQ(Form->StatusText(0), "Zeilen: 0");
    EXPECT_EQ(Form->StatusText(1), SizeText(P));
    EXPECT_EQ(Form->StatusText(2), "Zeichensatz: Nicht vorhanden");
    EXPECT_TRUE(Action(*Form, "cmRefresh")->isEnabled());
    ExpectSearchEnabled(*Form, false);
}

TEST_F(ShellTest, CharacterSetPanelNamesTheSetInUseAfterAColumnSwitch) {
    const std::string P = Doc("docs/plain.ldt");
    auto Form = MakeForm({QString::fromStdString(P)});
    ShowActive(*Form);
    Press(*Form, Qt::Key_Z, Qt::ControlModifier);
    ASSERT_EQ(Form->View()->Codierung(), 2);
    // Either column switch returns the view to the file's own set (none here): the panel follows.
    for (const char* Switch : {"cmShowFeldArtName", "cmShowComments", "cmShowFeldArtName"}) {
        Press(*Form, Qt::Key_Z, Qt::ControlModifier);
        ASSERT_NE(Form->StatusText(3), QString());
        Action(*Form, Switch)->trigger();
        EXPECT_EQ(Form->View()->Codierung(), 0) << Switch;
        EXPECT_EQ(Form->StatusText(3), QString()) << Switch;
    }
    Press(*Form, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Form->StatusText(3), SevenBit);

    // A declared set stays in use, and its panel stays empty as after the load.
    const std::string Iso = WriteFile("docs/iso.ldt", XdtLine(8000, "0020") + XdtLine(9106, "3"));
    Form->LoadFile(Iso);
    Action(*Form, "cmShowComments")->trigger();
    EXPECT_EQ(Form->View()->Codierung(), 3);
    EXPECT_EQ(Form->StatusText(3), QString());
}
