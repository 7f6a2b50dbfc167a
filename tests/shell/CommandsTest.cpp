// The commands of the main window: wheel, search and search again, the open and font dialogs, the
// column switches and the about window.
#include "ShellTestUtil.h"
#include "support/AppSplash.h"
#include "view/OstrelSearchDlg.h"
#include "view/XDTPtrView.h"

#include <QFileDialog>
#include <QFontDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QWheelEvent>

namespace {

// Delivers a wheel event as the event loop does, so that it travels on to the parents; Delta is the
// angle delta on both axes (x: a tilt wheel or a touchpad).
bool Wheel2D(QWidget* Target, QPoint Delta, Qt::KeyboardModifiers Mods = Qt::NoModifier) {
    const QPointF Pos(5, 5);
    QWheelEvent E(Pos, Target->mapToGlobal(Pos), QPoint(), Delta, Qt::NoButton, Mods, Qt::NoScrollPhase,
                  false);
    QSpontaneKeyEvent::setSpontaneous(&E);
    qApp->notify(Target, &E);
    return E.isAccepted();
}

bool Wheel(QWidget* Target, int Delta, Qt::KeyboardModifiers Mods = Qt::NoModifier) {
    return Wheel2D(Target, QPoint(0, Delta), Mods);
}

} // namespace

TEST_F(ShellTest, WheelScrollsTwoLinesPerNotchAndWithCtrlTwoColumns) {
    const std::string P = Doc("docs/long.ldt", 300, std::string(400, 'x'));
    auto Form = MakeForm({QString::fromStdString(P)});
    Form->setWindowState(Qt::WindowNoState);
    Form->resize(700, 400);
    Form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Form.get()));
    TXDTPtrView* View = Form->View();
    QWidget* Port = View->viewport();

    EXPECT_TRUE(Wheel(Port, -120));
    EXPECT_EQ(View->TopLine(), 2);
    EXPECT_TRUE(Wheel(Port, -240));
    EXPECT_EQ(View->TopLine(), 6);
    EXPECT_TRUE(Wheel(Port, 120));
    EXPECT_EQ(View->TopLine(), 4);
    // A fine wheel scrolls once its parts make a notch.
    EXPECT_TRUE(Wheel(Port, -60));
    EXPECT_EQ(View->TopLine(), 4);
    EXPECT_TRUE(Wheel(Port, -60));
    EXPECT_EQ(View->TopLine(), 6);
    EXPECT_TRUE(Wheel(Port, 0));
    EXPECT_EQ(View->TopLine(), 6);

    EXPECT_TRUE(Wheel(Port, -120, Qt::ControlModifier));
    EXPECT_EQ(View->LeftCol(), 2);
    EXPECT_EQ(View->TopLine(), 6);
    EXPECT_TRUE(Wheel(View->verticalScrollBar(), 120, Qt::ControlModifier));
    EXPECT_EQ(View->LeftCol(), 0);
    // Over a button, too, the wheel moves the view; at the top it stays there.
    EXPECT_TRUE(Wheel(Form->findChild<QPushButton*>("ButtonOpen"), 120 * 10));
    EXPECT_EQ(View->TopLine(), 0);
}

TEST_F(ShellTest, HorizontalWheelAndTheWheelOverTheHorizontalBarScrollTwoColumnsPerNotch) {
    const std::string P = Doc("docs/long.ldt", 300, std::string(400, 'x'));
    auto Form = MakeForm({QString::fromStdString(P)});
    Form->setWindowState(Qt::WindowNoState);
    Form->resize(700, 400);
    Form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Form.get()));
    TXDTPtrView* View = Form->View();
    QWidget* Port = View->viewport();

    // A tilt wheel or a touchpad: negative x moves the content left, to later columns.
    EXPECT_TRUE(Wheel2D(Port, QPoint(-120, 0)));
    EXPECT_EQ(View->LeftCol(), 2);
    EXPECT_TRUE(Wheel2D(Port, QPoint(-240, 0)));
    EXPECT_EQ(View->LeftCol(), 6);
    EXPECT_TRUE(Wheel2D(Port, QPoint(120, 0)));
    EXPECT_EQ(View->LeftCol(), 4);
    EXPECT_EQ(View->TopLine(), 0);
    // Fine parts add up on each axis apart.
    EXPECT_TRUE(Wheel2D(Port, QPoint(-60, -60)));
    EXPECT_EQ(View->LeftCol(), 4);
    EXPECT_EQ(View->TopLine(), 0);
    EXPECT_TRUE(Wheel2D(Port, QPoint(-60, 0)));
    EXPECT_EQ(View->LeftCol(), 6);
    EXPECT_EQ(View->TopLine(), 0);
    EXPECT_TRUE(Wheel2D(Port, QPoint(0, -60)));
    EXPECT_EQ(View->TopLine(), 2);
    EXPECT_EQ(View->LeftCol(), 6);
    // A diagonal swipe moves both.
    EXPECT_TRUE(Wheel2D(Port, QPoint(-120, -120)));
    EXPECT_EQ(View->LeftCol(), 8);
    EXPECT_EQ(View->TopLine(), 4);
    // Left of the first column it stays there.
    EXPECT_TRUE(Wheel2D(Port, QPoint(120 * 10, 0)));
    EXPECT_EQ(View->LeftCol(), 0);

    // The turning wheel over the horizontal scroll bar moves the columns, not the lines.
    QScrollBar* HBar = View->horizontalScrollBar();
    EXPECT_TRUE(Wheel(HBar, -120));
    EXPECT_EQ(View->LeftCol(), 2);
    EXPECT_EQ(HBar->value(), 2);
    EXPECT_EQ(View->TopLine(), 4);
    EXPECT_TRUE(Wheel(HBar, -240));
    EXPECT_EQ(View->LeftCol(), 6);
    EXPECT_TRUE(Wheel(HBar, 120));
    EXPECT_EQ(View->LeftCol(), 4);
    EXPECT_EQ(View->TopLine(), 4);
    // Over the vertical bar and the lines it stays the lines.
    EXPECT_TRUE(Wheel(View->verticalScrollBar(), -120));
    EXPECT_EQ(View->TopLine(), 6);
    EXPECT_TRUE(Wheel(Port, -120));
    EXPECT_EQ(View->TopLine(), 8);
    EXPECT_EQ(View->LeftCol(), 4);
}

TEST_F(ShellTest, SearchAgainBeforeAnySearchOpensTheDialogAndAfterOneFindsDirectly) {
    const std::string P = Doc("docs/plain.ldt", 6);
    auto Form = MakeForm({QString::fromStdString(P)});
    ShowActive(*Form);

    int Dialogs = 0;
    QString Text; // empty: cancel the dialog
    TModalDriver Driver([&](QWidget* W) {
        auto* Dlg = qobject_cast<TFormXDTSearchDlg*>(W);
        if (!Dlg || !Dlg->isVisible()) return false;
        ++Dialogs;
        if (Text.isEmpty()) {
            Dlg->findChild<QPushButton*>("BtnCancel")->click();
        } else {
            Dlg->findChild<QLineEdit*>("EdSearchText")->setText(Text);
            Dlg->findChild<QPushButton*>("BtnOk")->click();
        }
        return true;
    });

    Press(*Form, Qt::Key_F3);
    EXPECT_EQ(Dialogs, 1);
    EXPECT_EQ(Form->View()->SearchRec().SearchMode, smNone);
    EXPECT_EQ(Found(*Form), QString());

    Text = "Zeile";
    Press(*Form, Qt::Key_F3);
    EXPECT_EQ(Dialogs, 2);
    EXPECT_EQ(Found(*Form), "Gefunden in Zeile: 2");
    EXPECT_EQ(Form->View()->FoundLine(), 2);
    EXPECT_EQ(Form->focusWidget(), Form->View());

    Press(*Form, Qt::Key_F3);
    EXPECT_EQ(Dialogs, 2);
    EXPECT_EQ(Found(*Form), "Gefunden in Zeile: 3");
    Form->findChild<QPushButton*>("ButtonSearchNext")->click();
    EXPECT_EQ(Found(*Form), "Gefunden in Zeile: 4");

    // Cancelling the dialog leaves the result as it was.
    Text.clear();
    Press(*Form, Qt::Key_F, Qt::ControlModifier);
    EXPECT_EQ(Dialogs, 3);
    EXPECT_EQ(Found(*Form), "Gefunden in Zeile: 4");

    // A new document empties the result.
    Form->LoadFile(P);
    EXPECT_EQ(Found(*Form), QString());
    EXPECT_EQ(Driver.TimedOut, 0);
}

TEST_F(ShellTest, OpenDialogStartsWhereTheLastFileWasWithItsFilter) {
    const QStringList Filters = TFormOstrel::OpenDialogFilters();
    EXPECT_EQ(Filters, QStringList({"XDT-Dateien (*.ldt *.sav sdav* *.con plz* kvsp*)", "LDT-Dateien (*.ldt)",
                                    "SAV-Dateien (*.sav)", "SDAV-Dateien (sdav*)", "CON-Dateien (*.con)",
                                    "PLZ-Dateien (plz*)", "KVSP-Dateien (kvsp*)", "Alle Dateien (*)"}));

    const std::string P = Doc("docs/b.ldt", 3);
    auto Form = MakeForm();
    QString StartDir, StartFilter;
    QFileDialog::ViewMode Mode = QFileDialog::List;
    QStringList Offered;
    bool Accept = true;
    TModalDriver Driver([&](QWidget* W) {
        auto* Dlg = qobject_cast<QFileDialog*>(W);
        if (!Dlg || !Dlg->isVisible()) return false;
        StartDir = Dlg->directory().absolutePath();
        StartFilter = Dlg->selectedNameFilter();
        Mode = Dlg->viewMode();
        Offered = Dlg->nameFilters();
        if (!Accept) {
            Dlg->reject();
            return true;
        }
        Dlg->selectNameFilter(Filters[1]);
        Dlg->selectFile(QString::fromStdString(P));
        static_cast<QDialog*>(Dlg)->accept(); // the file dialog's own check of the chosen name
        return true;
    });
    Form->cmOpenClick();
    EXPECT_EQ(StartDir, QDir(QString::fromStdString(Paths.ProgramDir)).absolutePath());
    EXPECT_EQ(StartFilter, Filters[0]);
    EXPECT_EQ(Mode, QFileDialog::Detail);
    EXPECT_EQ(Offered, Filters);
    EXPECT_EQ(Form->CurrentFile(), P);
    EXPECT_EQ(Form->LastFileType(), 2);
    EXPECT_EQ(Form->View()->LineCount(), 3);

    Accept = false;
    Form->cmOpenClick();
    EXPECT_EQ(StartDir, QString::fromStdString(Dir("docs")));
    EXPECT_EQ(StartFilter, Filters[1]);
    EXPECT_EQ(Form->CurrentFile(), P);
    EXPECT_EQ(Driver.TimedOut, 0);
}

TEST_F(ShellTest, FontDialogOffersFixedPitchFontsAndItsChoiceIsSaved) {
    auto Form = MakeForm();
    QFontDialog::FontDialogOptions Options;
    QFont Preloaded;
    TModalDriver Driver([&](QWidget* W) {
        auto* Dlg = qobject_cast<QFontDialog*>(W);
        if (!Dlg || !Dlg->isVisible()) return false;
        Options = Dlg->options();
        Preloaded = Dlg->currentFont();
        QFont F = Dlg->currentFont();
        F.setPointSize(20);
        Dlg->setCurrentFont(F);
        Dlg->accept();
        return true;
    });
    Form->cmFontClick();
    EXPECT_TRUE(Options & QFontDialog::MonospacedFonts);
    EXPECT_EQ(Preloaded.pointSize(), 12);
    EXPECT_EQ(Form->View()->font().pointSize(), 20);
    Form->close();
    EXPECT_NE(ReadFileBytes(Paths.OptionsFile).find("Font-Size=20\r\n"), std::string::npos);
}

TEST_F(ShellTest, ColumnSwitchesAndInfo) {
    auto Form = MakeForm();
    QAction* Comments = Action(*Form, "cmShowComments");
    QAction* Names = Action(*Form, "cmShowFeldArtName");
    Comments->trigger();
    EXPECT_TRUE(Comments->isChecked());
    EXPECT_TRUE(Form->View()->ShowComments());
    Names->trigger();
    EXPECT_TRUE(Form->View()->ShowFeldArtName());
    Comments->trigger();
    EXPECT_FALSE(Form->View()->ShowComments());
    EXPECT_TRUE(Form->View()->ShowFeldArtName());

    int Abouts = 0;
    TModalDriver Driver([&](QWidget* W) {
        auto* About = qobject_cast<TAppSplashForm*>(W);
        if (!About || !About->OkButton()) return false;
        ++Abouts;
        About->OkButton()->click();
        return true;
    });
    Action(*Form, "cmInfo")->trigger();
    EXPECT_EQ(Abouts, 1);
    EXPECT_EQ(Driver.TimedOut, 0);
}
