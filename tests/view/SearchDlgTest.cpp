// The search dialog: what it offers, what it installs in the view, what it restores, and the
// length of its drop-down lists near the bottom of the screen.
#include "ViewTestUtil.h"
#include "catalogue/XDTCodeTbl.h"
#include "document/SortedStrings.h"
#include "support/Ansi.h"
#include "view/OstrelSearchDlg.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTabWidget>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

namespace {

// The dialog's controls, found by their names in the stored layout.
struct TDlgCtl {
    explicit TDlgCtl(TFormXDTSearchDlg* D)
        : Dlg(D), Pages(D->findChild<QTabWidget*>("PageControl")),
          FeldPage(D->findChild<QWidget*>("TabSheetFeld")), SatzPage(D->findChild<QWidget*>("TabSheetSatz")),
          Feld(D->findChild<QComboBox*>("CBoxFeldArt")),
          Satz(D->findChild<QComboBox*>("CBoxSatzArt")), Option{D->findChild<QRadioButton*>("RBFeldContains"),
                                                                D->findChild<QRadioButton*>(
                                                                    "RBFeldBeginsWith"),
                                                                D->findChild<QRadioButton*>("RBFeldEquals")},
          Case(D->findChild<QCheckBox*>("CkBoxCaseSensitive")),
          Text(D->findChild<QLineEdit*>("EdSearchText")), Ok(D->findChild<QPushButton*>("BtnOk")),
          Cancel(D->findChild<QPushButton*>("BtnCancel")) {}
    bool Complete() const {
        return Pages && FeldPage && SatzPage && Feld && Satz && Option[0] && Option[1] && Option[2] && Case &&
               Text && Ok && Cancel;
    }
    int CheckedOption() const {
        for (int I = 0; I < 3; ++I)
            if (Option[I]->isChecked()) return I;
        return -1;
    }
    TFormXDTSearchDlg* Dlg;
    QTabWidget* Pages;
    QWidget* FeldPage;
    QWidget* SatzPage;
    QComboBox* Feld;
    QComboBox* Satz;
    QRadioButton* Option[3];
    QCheckBox* Case;
    QLineEdit* Text;
    QPushButton* Ok;
    QPushButton* Cancel;
};

// Closes every modal window: the way out when a test's driver did not close what it opened.
void CloseModals() {
    for (int I = 0; I < 10; ++I) {
        QWidget* W = QApplication::activeModalWidget();
        if (!W) return;
        if (auto* Box = qobject_cast<QMessageBox*>(W))
            Box->done(QMessageBox::Ok);
        else if (auto* Dlg = qobject_cast<QDialog*>(W))
            Dlg->QDialog::done(QDialog::Rejected); // bypasses the checks on close
        else
            W->close();
    }
}

class SearchDlgTest : public ::testing::Test {
protected:
    TViewFixture F{20, 80}; // VisibleLines 21, VisibleCols 81
    QWidget Main;
    TTestDoc Doc;
    std::vector<std::string> Messages;
    std::string AppTitle = "Brenlo Ostrel V2.1"; // the caption the main window passes

    void SetUp() override {
        F.View->SetInfoMessageHandler([this](const std::string& S) { Messages.push_back(S); });
    }

    // Runs the dialog as the main window does; Drive gets the shown dialog and must close it.
    bool Run(const std::function<void(TDlgCtl&)>& Drive) {
        bool Driven = false;
        QTimer::singleShot(0, [&] {
            auto* Dlg = Main.findChild<TFormXDTSearchDlg*>();
            if (!Dlg || !Dlg->isVisible()) {
                ADD_FAILURE() << "the dialog is not shown";
                CloseModals();
                return;
            }
            Driven = true;
            TDlgCtl Ctl(Dlg);
            if (!Ctl.Complete()) {
                ADD_FAILURE() << "a control of the stored layout is missing";
                CloseModals();
                return;
            }
            Drive(Ctl);
        });
        QTimer Watchdog;
        Watchdog.setSingleShot(true);
        QObject::connect(&Watchdog, &QTimer::timeout, [] {
            ADD_FAILURE() << "the dialog was left open";
            CloseModals();
        });
        Watchdog.start(10000);
        const bool R = ExecuteSearchDlg(&Main, F.View.get(), AppTitle);
        EXPECT_TRUE(Driven);
        EXPECT_EQ(Main.findChild<TFormXDTSearchDlg*>(), nullptr) << "the dialog must be freed";
        return R;
    }
};

int ItemWithData(QComboBox* Box, int Value) {
    return Box->findData(qlonglong(Value));
}
int ItemOfSatzArt(TXDTPtrView* View, const std::string& SatzArt) {
    return View->SatzArtList()->IndexOf(SatzArt) + 1;
}

TEST_F(SearchDlgTest, FieldSearchInAllFieldsStepsThroughTheFindsAndStartsAgain) {
    Doc.Add(8000, "0101");
    Doc.Add(3101, "Meier");
    Doc.Add(8410, "8220 und 8220"); // the second occurrence needs no new position
    for (int I = 0; I < 50; ++I) Doc.Add(3000, "x");
    Doc.Add(8000, "8220");
    for (int I = 0; I < 30; ++I) Doc.Add(3000, "x");
    F.Attach(Doc);

    ASSERT_TRUE(Run([](TDlgCtl& C) {
        // The lists offer what occurs in the file, with names, sorted.
        EXPECT_EQ(C.Feld->count(), 5);
        EXPECT_EQ(C.Feld->itemText(0), QString("- Alle Felder durchsuchen -"));
        EXPECT_EQ(C.Feld->itemText(1), AnsiToQString("3000 - " + FeldArtName(3000)));
        EXPECT_EQ(C.Feld->itemData(1).toInt(), 3000);
        EXPECT_EQ(C.Feld->itemText(4), AnsiToQString("8410 - " + FeldArtName(8410)));
        EXPECT_EQ(C.Feld->itemData(4).toInt(), 8410);
        EXPECT_LE(C.Feld->maxVisibleItems(), C.Feld->count());
        ASSERT_EQ(C.Satz->count(), 3);
        EXPECT_EQ(C.Satz->itemText(0), AnsiToQString("- Alle S\xE4tze anzeigen -"));
        EXPECT_EQ(C.Satz->itemText(2), AnsiToQString("8220 - " + SatzArtName("8220")));
        EXPECT_FALSE(C.Feld->isEditable());
        // A fresh view: first page, all fields, "contains", the focus in the text.
        EXPECT_EQ(C.Pages->currentWidget(), C.FeldPage);
        EXPECT_EQ(C.Feld->currentIndex(), 0);
        EXPECT_EQ(C.CheckedOption(), 0);
        EXPECT_EQ(C.Dlg->focusWidget(), C.Text);
        C.Text->setText("8220");
        C.Ok->click();
    }));
    const TXDTSearchRec& R = F.View->SearchRec();
    EXPECT_EQ(R.SearchMode, smFeld);
    EXPECT_EQ(R.FeldArt, 0);
    EXPECT_EQ(R.FeldOption, foContains);
    EXPECT_EQ(R.SearchText, "8220");

    ASSERT_TRUE(F.View->FindNext());
    EXPECT_EQ(F.View->FoundLine(), 3);
    EXPECT_EQ(F.View->TopLine(), 2);
    EXPECT_EQ(F.View->LeftCol(), 0);
    ASSERT_TRUE(F.View->FindNext());
    EXPECT_EQ(F.View->FoundLine(), 54);
    EXPECT_EQ(F.View->TopLine(), 53);
    EXPECT_FALSE(F.View->FindNext());
    EXPECT_EQ(Messages, std::vector<std::string>{"Keine weiteren Eintr\xE4ge gefunden!"});
    EXPECT_EQ(F.View->FoundLine(), 0);
    ASSERT_TRUE(F.View->FindNext());
    EXPECT_EQ(F.View->FoundLine(), 3);
}

TEST_F(SearchDlgTest, TypedTextReachesTheSearchAsWindowsCharacters) {
    Doc.Add(3101, "M\xDCLLER");
    Doc.Add(3101, "m\xFCller");
    F.Attach(Doc);
    F.View->SetCodierung(3);
    ASSERT_TRUE(Run([](TDlgCtl& C) {
        // What Windows-1252 cannot hold is not taken: it could only be searched as a stand-in.
        for (const char* Part : {"m\xC3\xBC", "\xC5\x91", "ller"}) C.Text->insert(QString::fromUtf8(Part));
        EXPECT_EQ(C.Text->text(), QString::fromUtf8("m\xC3\xBCller"));
        C.Ok->click();
    }));
    EXPECT_EQ(F.View->SearchRec().SearchText, "m\xFCller");
    ASSERT_TRUE(F.View->FindNext());
    EXPECT_EQ(F.View->FoundLine(), 1);
    ASSERT_TRUE(F.View->FindNext());
    EXPECT_EQ(F.View->FoundLine(), 2);

    ASSERT_TRUE(Run([](TDlgCtl& C) {
        C.Case->setChecked(true);
        C.Ok->click();
    }));
    ASSERT_TRUE(F.View->FindNext());
    EXPECT_EQ(F.View->FoundLine(), 2);
    EXPECT_FALSE(F.View->FindNext());
}

TEST_F(SearchDlgTest, RecordTypeSearchAndReopeningRestoresTheCriteria) {
    Doc.Add(8000, "0101");
    Doc.Add(3101, std::string(200, 'w')); // room to scroll sideways
    Doc.Add(8000, "8220");
    Doc.Add(3101, "Meier");
    Doc.Add(8000, "8220");
    Doc.Add(3101, "Meier");
    F.Attach(Doc);
    F.View->SetLeftCol(30);

    const int Item8220 = ItemOfSatzArt(F.View.get(), "8220");
    ASSERT_TRUE(Run([&](TDlgCtl& C) {
        C.Pages->setCurrentWidget(C.SatzPage);
        C.Satz->setCurrentIndex(Item8220);
        C.Ok->click();
    }));
    const TXDTSearchRec& R = F.View->SearchRec();
    EXPECT_EQ(R.SearchMode, smSatz);
    EXPECT_EQ(R.FeldArt, 8000);
    EXPECT_EQ(R.FeldOption, foEquals);
    EXPECT_EQ(R.SearchText, "8220");
    ASSERT_TRUE(F.View->FindNext());
    EXPECT_EQ(F.View->FoundLine(), 3);
    EXPECT_EQ(F.View->LeftCol(), 0);

    // Reopened: the record page with that record type; OK with nothing changed keeps the position.
    ASSERT_TRUE(Run([&](TDlgCtl& C) {
        EXPECT_EQ(C.Pages->currentWidget(), C.SatzPage);
        EXPECT_EQ(C.Satz->currentIndex(), Item8220);
        EXPECT_EQ(C.Dlg->focusWidget(), C.Satz);
        C.Ok->click();
    }));
    ASSERT_TRUE(F.View->FindNext());
    EXPECT_EQ(F.View->FoundLine(), 5);

    // All record types: the first entry, an empty record type, every record line in turn.
    ASSERT_TRUE(Run([](TDlgCtl& C) {
        C.Satz->setCurrentIndex(0);
        C.Ok->click();
    }));
    EXPECT_EQ(F.View->SearchRec().SearchMode, smSatz);
    EXPECT_EQ(F.View->SearchRec().SearchText, "");
    std::vector<int> Finds;
    while (F.View->FindNext()) Finds.push_back(F.View->FoundLine());
    EXPECT_EQ(Finds, (std::vector<int>{1, 3, 5}));

    // A field search in one field: its values come back on the first page.
    ASSERT_TRUE(Run([](TDlgCtl& C) {
        EXPECT_EQ(C.Satz->currentIndex(), 0);
        C.Pages->setCurrentWidget(C.FeldPage);
        C.Feld->setCurrentIndex(ItemWithData(C.Feld, 3101));
        C.Option[2]->setChecked(true);
        C.Case->setChecked(true);
        C.Text->setText("Meier");
        C.Ok->click();
    }));
    EXPECT_EQ(F.View->SearchRec().FeldArt, 3101);
    EXPECT_EQ(F.View->SearchRec().FeldOption, foEquals);
    EXPECT_TRUE(F.View->SearchRec().CaseSensitive);
    ASSERT_TRUE(Run([](TDlgCtl& C) {
        EXPECT_EQ(C.Pages->currentWidget(), C.FeldPage);
        EXPECT_EQ(C.Feld->itemData(C.Feld->currentIndex()).toInt(), 3101);
        EXPECT_EQ(C.CheckedOption(), 2);
        EXPECT_TRUE(C.Case->isChecked());
        EXPECT_EQ(C.Text->text(), QString("Meier"));
        EXPECT_EQ(C.Dlg->focusWidget(), C.Text);
        // "begins with" this time.
        C.Option[1]->setChecked(true);
        C.Text->setText("Mei");
        C.Ok->click();
    }));
    EXPECT_EQ(F.View->SearchRec().FeldOption, foBeginsWith);
    ASSERT_TRUE(F.View->FindNext());
    EXPECT_EQ(F.View->FoundLine(), 4);
}

TEST_F(SearchDlgTest, CancellingEndsTheSearchWhicheverWayTheDialogIsLeft) {
    Doc.Add(3101, "Meier");
    Doc.Add(3101, "Meier");
    F.Attach(Doc);
    const std::vector<std::function<void(TDlgCtl&)>> Ways = {
        [](TDlgCtl& C) { C.Cancel->click(); },
        [](TDlgCtl& C) { QTest::keyClick(C.Text, Qt::Key_Escape); },
        [](TDlgCtl& C) { C.Dlg->close(); },
    };
    for (size_t W = 0; W < Ways.size(); ++W) {
        SCOPED_TRACE(W);
        TXDTSearchRec S;
        S.SearchMode = smFeld;
        S.SearchText = "Meier";
        F.View->SetSearchRec(S);
        ASSERT_TRUE(F.View->FindNext());
        ASSERT_EQ(F.View->FoundLine(), 1);
        EXPECT_FALSE(Run([&](TDlgCtl& C) {
            EXPECT_EQ(C.Text->text(), QString("Meier"));
            Ways[W](C);
        }));
        EXPECT_EQ(F.View->SearchRec().SearchMode, smNone);
        EXPECT_EQ(F.View->FoundLine(), 0);
        EXPECT_FALSE(F.View->FindNext());
    }
    EXPECT_TRUE(Messages.empty());
}

TEST_F(SearchDlgTest, EmptySearchInAllFieldsIsRefusedAndTheDialogStaysOpen) {
    Doc.Add(3101, "Meier");
    Doc.Add(3000, "x");
    Doc.Add(3101, "Schulze");
    F.Attach(Doc);
    TXDTSearchRec Before;
    Before.SearchMode = smFeld;
    Before.SearchText = "Schulze";
    F.View->SetSearchRec(Before);
    ASSERT_TRUE(F.View->FindNext());

    AppTitle = "Brenlo Ostrel V2.1 - [a\xE4.ldt]";

    int Boxes = 0;
    ASSERT_TRUE(Run([&](TDlgCtl& C) {
        QTimer::singleShot(0, [&] {
            auto* Box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!Box) {
                ADD_FAILURE() << "no error box";
                return;
            }
            ++Boxes;
            EXPECT_EQ(Box->windowTitle(), AnsiToQString("Brenlo Ostrel V2.1 - [a\xE4.ldt]"));
            EXPECT_EQ(Box->text(), QString("Kein zu suchender Text eingegeben!"));
            EXPECT_EQ(Box->icon(), QMessageBox::Critical);
            EXPECT_EQ(Box->buttons().size(), 1);
            EXPECT_TRUE(C.Dlg->isVisible());
            Box->button(QMessageBox::Ok)->click();
        });
        C.Feld->setCurrentIndex(0);
        C.Text->clear();
        C.Ok->click();
        // Refused: still open, the focus in the text, nothing installed.
        EXPECT_EQ(Boxes, 1);
        EXPECT_TRUE(C.Dlg->isVisible());
        EXPECT_EQ(C.Dlg->focusWidget(), C.Text);
        EXPECT_EQ(F.View->SearchRec().SearchText, "Schulze");
        EXPECT_EQ(F.View->FoundLine(), 3);
        // A chosen field needs no text.
        C.Feld->setCurrentIndex(ItemWithData(C.Feld, 3101));
        C.Ok->click();
    }));
    EXPECT_EQ(Boxes, 1);
    EXPECT_EQ(F.View->SearchRec().SearchMode, smFeld);
    EXPECT_EQ(F.View->SearchRec().FeldArt, 3101);
    std::vector<int> Finds;
    while (F.View->FindNext()) Finds.push_back(F.View->FoundLine());
    EXPECT_EQ(Finds, (std::vector<int>{1, 3}));
}

TEST_F(SearchDlgTest, StoredLayout) {
    Doc.Add(3101, "Meier");
    F.Attach(Doc);
    TFormXDTSearchDlg Dlg(&Main, F.View.get());
    TDlgCtl C(&Dlg);
    ASSERT_TRUE(C.Complete());
    EXPECT_EQ(Dlg.windowTitle(), QString("Such-Optionen"));
    EXPECT_EQ(Dlg.size(), QSize(536, 296));
    EXPECT_EQ(C.Pages->tabText(0), QString("&Feld suchen"));
    EXPECT_EQ(C.Pages->tabText(1), QString("&Satz suchen"));
    EXPECT_EQ(C.Pages->currentIndex(), 0);
    EXPECT_EQ(C.Ok->text(), QString("O&k"));
    EXPECT_TRUE(C.Ok->isDefault());
    EXPECT_EQ(C.Cancel->text(), QString("A&bbrechen"));
    EXPECT_EQ(C.Feld->geometry(), QRect(104, 24, 401, 21));
    EXPECT_EQ(C.Text->geometry(), QRect(104, 168, 401, 21));
    EXPECT_EQ(C.Satz->geometry(), QRect(104, 24, 401, 21));
    EXPECT_EQ(C.Option[0]->text(), QString::fromUtf8("Feld enth\xC3\xA4lt"));
    EXPECT_EQ(C.Case->text(), QString::fromUtf8("Gro\xC3\x9F-/Kleinschreibung beachten"));
    // The buttons sit on the bottom panel, below the pages.
    EXPECT_EQ(Dlg.findChild<QWidget*>("PanelBtn")->height(), 41);
    EXPECT_EQ(C.Ok->geometry(), QRect(173, 8, 75, 25));
    // Right-aligned labels keep their right edge when they fit their text.
    const QLabel* Options = Dlg.findChild<QLabel*>("LblOptions");
    EXPECT_EQ(Options->geometry().right(), 87);
    EXPECT_GE(Options->width(), Options->sizeHint().width());
    // Tab order on the first page: field, option, case, text.
    std::vector<QWidget*> Chain;
    for (QWidget* W = C.Feld->nextInFocusChain(); W != C.Feld && Chain.size() < 20; W = W->nextInFocusChain())
        if (W == C.Option[0] || W == C.Case || W == C.Text) Chain.push_back(W);
    EXPECT_EQ(Chain, (std::vector<QWidget*>{C.Option[0], C.Case, C.Text}));
}

// A top-level combo box whose bottom edge is placed at a chosen screen row.
class TLowBox {
public:
    explicit TLowBox(int Items, int BottomY) {
        for (int I = 0; I < Items; ++I) Box.addItem(QString::number(I));
        Box.resize(200, 21);
        Box.show();
        (void)QTest::qWaitForWindowExposed(&Box);
        PlaceBottomAt(BottomY);
    }
    static QRect Work() { return QGuiApplication::primaryScreen()->availableGeometry(); }
    // Moves the window (frame included) so that the box's bottom-left corner lands on row Y.
    void PlaceBottomAt(int Y) {
        Box.move(Work().left() + 10, Y);
        Box.move(Box.x(), Box.y() + Y - Bottom());
        Box.setMaxVisibleItems(Box.count());
    }
    int Bottom() const { return Box.mapToGlobal(QPoint(0, Box.height())).y(); }
    int ItemHeight() const { return Box.view()->sizeHintForRow(0); }
    int Fitted() {
        TFormXDTSearchDlg::FitDropDownCount(&Box);
        return Box.maxVisibleItems();
    }
    QComboBox Box;
};

TEST(SearchDlgFitTest, DropDownListsEndTwoRowsAboveTheBottomOfTheWorkArea) {
    EnsureApp();
    const QRect Work = TLowBox::Work();
    const int End = Work.bottom() + 1; // first row below the work area
    TLowBox B(40, Work.top() + 50);
    const int H = B.ItemHeight();
    ASSERT_GT(H, 0);
    // Ten rows of room below the box: two stay free, and the row at the shortened edge is out.
    B.PlaceBottomAt(End - 10 * H);
    ASSERT_EQ(B.Bottom(), End - 10 * H);
    EXPECT_EQ(B.Fitted(), 7);
    // Fewer items than room: the list keeps its length.
    TLowBox Few(5, Work.top() + 50);
    EXPECT_EQ(Few.Fitted(), 5);
    // No room at all: one entry, and no endless loop.
    B.PlaceBottomAt(End - H / 2);
    ASSERT_EQ(B.Bottom(), End - H / 2);
    EXPECT_EQ(B.Fitted(), 1);
    // Below the work area: unchanged.
    B.PlaceBottomAt(End + 5);
    EXPECT_EQ(B.Fitted(), 40);
}

} // namespace
