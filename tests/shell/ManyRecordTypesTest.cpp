// A document with a hundred thousand record types: the search dialog offers every one of them,
// finds the one chosen and offers it again the next time.
#include "ShellTestUtil.h"
#include "catalogue/XDTCodeTbl.h"
#include "document/XDTPtrList.h"
#include "view/OstrelSearchDlg.h"
#include "view/XDTPtrView.h"

#include <QComboBox>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>

TEST_F(ShellLoadTest, SearchDialogOffersAHundredThousandRecordTypes) {
    constexpr int Types = 100000;
    std::string Bytes;
    for (int I = Types - 1; I >= 0; --I) {
        char Type[16];
        std::snprintf(Type, sizeof Type, "T%06d", I);
        Bytes += XdtLine(8000, Type) + XdtLine(3101, "x");
    }
    const std::string P = WriteFile("docs/types.ldt", Bytes);
    auto Form = MakeForm({QString::fromStdString(P)});
    ASSERT_EQ(Form->View()->LineCount(), 2 * Types);
    ShowActive(*Form);

    const std::string Wanted = "T054321";
    int Seen = 0, Count = 0, Current = -1, Visible = 0;
    QString First, Last, Chosen;
    bool Choose = true;
    TModalDriver Driver([&](QWidget* W) {
        auto* Dlg = qobject_cast<TFormXDTSearchDlg*>(W);
        if (!Dlg || !Dlg->isVisible()) return false;
        ++Seen;
        auto* Box = Dlg->findChild<QComboBox*>("CBoxSatzArt");
        Count = Box->count();
        Current = Box->currentIndex();
        First = Box->itemText(1);
        Last = Box->itemText(Count - 1);
        Visible = Box->maxVisibleItems();
        if (!Choose) {
            Dlg->reject();
            return true;
        }
        Dlg->findChild<QTabWidget*>("PageControl")
            ->setCurrentWidget(Dlg->findChild<QWidget*>("TabSheetSatz"));
        Box->setCurrentIndex(Box->findText(AnsiToQString(Wanted + " - " + SatzArtName(Wanted))));
        Chosen = Box->currentText();
        Dlg->findChild<QPushButton*>("BtnOk")->click();
        return true;
    });
    Form->cmSearchClick();
    ASSERT_EQ(Seen, 1);
    EXPECT_EQ(Count, Types + 1);
    EXPECT_EQ(First, AnsiToQString("T000000 - " + SatzArtName("T000000")));
    EXPECT_EQ(Last, AnsiToQString("T099999 - " + SatzArtName("T099999")));
    EXPECT_EQ(Chosen, AnsiToQString(Wanted + " - " + SatzArtName(Wanted)));
    // The list drops down no further than the screen reaches.
    EXPECT_GE(Visible, 1);
    EXPECT_LT(Visible * 10, Form->screen()->availableGeometry().height());
    EXPECT_EQ(Form->View()->SearchRec().SearchText, Wanted);
    // T054321 is record number 100000 - 54321 from the top, two lines each.
    EXPECT_EQ(Found(*Form), QStringLiteral("Gefunden in Zeile: %1").arg(2 * (Types - 54321 - 1) + 1));

    Choose = false;
    Form->cmSearchClick();
    ASSERT_EQ(Seen, 2);
    EXPECT_EQ(Current, 54321 + 1);
    EXPECT_EQ(Driver.TimedOut, 0);
}
