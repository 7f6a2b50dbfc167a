#include "view/OstrelSearchDlg.h"

#include "catalogue/XDTCodeTbl.h"
#include "document/RowModel.h"
#include "document/SortedStrings.h"
#include "document/XDTPtrList.h"
#include "support/Ansi.h"
#include "support/Exceptions.h"
#include "support/StrTools.h"
#include "ui_OstrelSearchDlg.h"
#include "view/XDTPtrView.h"

#include <QAbstractItemView>
#include <QAbstractListModel>
#include <QApplication>
#include <QButtonGroup>
#include <QListView>
#include <QMessageBox>
#include <QScreen>
#include <QShowEvent>
#include <QValidator>
#include <algorithm>
#include <exception>

namespace {

// Where the stored layout puts the dialog's top-left corner on the screen.
constexpr QPoint kStoredPos(493, 392);

// The toolkit's standard error box: error icon, OK, the application title; a message that ends in a
// character sorting above "." gets a full stop.
void ShowStandardError(QWidget* Parent, const std::string& Title, std::string Msg) {
    if (!Msg.empty() && static_cast<unsigned char>(Msg.back()) > '.') Msg += '.';
    QMessageBox Box(QMessageBox::Critical, AnsiToQString(Title), AnsiToQString(Msg), QMessageBox::Ok, Parent);
    Box.exec();
}

// Labels size themselves to their text as the stored layout's labels do: a right-aligned label
// keeps its right edge, any other its left edge. The dialog's font differs between platforms.
void AutoSizeLabel(QLabel* Label) {
    const QSize Hint = Label->sizeHint();
    QRect R = Label->geometry();
    if (Label->alignment() & Qt::AlignRight)
        R.setLeft(R.right() + 1 - Hint.width());
    else
        R.setWidth(Hint.width());
    R.setHeight(std::max(R.height(), Hint.height()));
    Label->setGeometry(R);
}

// The search runs on Windows-1252 text: a character the code page cannot hold could only be
// searched as a stand-in and would find the wrong lines, so the edit does not take it.
class TAnsiValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& Input, int&) const override {
        for (char32_t U : Input.toUcs4())
            if (UnicodeToAnsiChar(U) < 0) return Invalid;
        return Acceptable;
    }
};

// The record-type list, made entry by entry as the box shows it: a file may have a million record
// types, and items made up front would take seconds and the memory of each. Row 0 is the entry for
// all record types.
class TSatzArtModel : public QAbstractListModel {
public:
    TSatzArtModel(const TSortedStrings* List, QObject* Parent) : QAbstractListModel(Parent), FList(List) {}
    int rowCount(const QModelIndex& Parent = QModelIndex()) const override {
        return Parent.isValid() ? 0 : 1 + (FList ? FList->Count() : 0);
    }
    QVariant data(const QModelIndex& Index, int Role) const override {
        if (!Index.isValid() || (Role != Qt::DisplayRole && Role != Qt::EditRole)) return QVariant();
        const int Row = Index.row();
        if (Row == 0) return AnsiToQString("- Alle S\xE4tze anzeigen -");
        if (!FList || Row > FList->Count()) return QVariant();
        const std::string& Code = FList->Strings(Row - 1);
        return AnsiToQString(Code + " - " + SatzArtName(Code));
    }

private:
    const TSortedStrings* FList;
};

// Height of one entry of the box's drop-down list.
int DropDownItemHeight(QComboBox* Box) {
    int H = Box->count() > 0 ? Box->view()->sizeHintForRow(0) : 0;
    if (H <= 0) H = Box->fontMetrics().height();
    return std::max(H, 1);
}

} // namespace

TFormXDTSearchDlg::TFormXDTSearchDlg(QWidget* Owner, TXDTPtrView* View, std::string AppTitle)
    : QDialog(Owner), FUi(std::make_unique<Ui::FormXDTSearchDlg>()), FView(View),
      FAppTitle(std::move(AppTitle)) {
    FUi->setupUi(this);
    // A fixed dialog frame: title and close button, no resizing.
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setSizeGripEnabled(false);

    for (QLabel* L : {FUi->LblFeld, FUi->LblOptions, FUi->LblSearchText, FUi->LblSatz}) AutoSizeLabel(L);

    FFeldOptionGroup = new QButtonGroup(this);
    FFeldOptionGroup->addButton(FUi->RBFeldContains, 0);
    FFeldOptionGroup->addButton(FUi->RBFeldBeginsWith, 1);
    FFeldOptionGroup->addButton(FUi->RBFeldEquals, 2);

    // Styles that open a list over the current entry ignore the visible item count; these lists
    // drop down below the box, so the count that FitDropDownCount sets holds everywhere.
    for (QComboBox* Box : {FUi->CBoxFeldArt, FUi->CBoxSatzArt})
        Box->setStyleSheet(QStringLiteral("QComboBox { combobox-popup: 0; }"));

    FUi->EdSearchText->setValidator(new TAnsiValidator(FUi->EdSearchText));

    connect(FUi->BtnOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(FUi->BtnCancel, &QPushButton::clicked, this, &QDialog::reject);

    PlaceAtStoredPosition();
    FillFeldArtBox();
    FillSatzArtBox();
}

TFormXDTSearchDlg::~TFormXDTSearchDlg() = default;

void TFormXDTSearchDlg::PlaceAtStoredPosition() {
    QScreen* Screen = QGuiApplication::screenAt(kStoredPos);
    if (!Screen && parentWidget()) Screen = parentWidget()->screen();
    if (!Screen) Screen = QGuiApplication::primaryScreen();
    QPoint Pos = kStoredPos;
    if (Screen) {
        // Smaller screens than the one the layout was made on: keep the dialog within reach.
        const QRect Work = Screen->availableGeometry();
        Pos.setX(std::max(Work.left(), std::min(Pos.x(), Work.right() + 1 - width())));
        Pos.setY(std::max(Work.top(), std::min(Pos.y(), Work.bottom() + 1 - height())));
    }
    move(Pos);
}

void TFormXDTSearchDlg::FillFeldArtBox() {
    QComboBox* Box = FUi->CBoxFeldArt;
    Box->setEditable(false);
    Box->clear();
    Box->addItem(AnsiToQString("- Alle Felder durchsuchen -"));
    if (const TSortedStrings* List = FView ? FView->FeldArtList() : nullptr) {
        for (const TSortedStrings::TItem& Item : List->Items()) {
            int32_t FeldArt;
            if (!TryStrToInt(Item.Text, FeldArt)) FeldArt = int32_t(Item.Object);
            const std::string_view Name =
                RowFeldArtName(FeldArt, FView->Classic(), FView->PtrList()->Format().Family);
            Box->addItem(AnsiToQString(Item.Text + " - " + std::string(Name)), qlonglong(Item.Object));
        }
    }
    Box->setMaxVisibleItems(Box->count());
    FitDropDownCount(Box);
}

void TFormXDTSearchDlg::FillSatzArtBox() {
    QComboBox* Box = FUi->CBoxSatzArt;
    Box->setEditable(false);
    // Every entry is one line in the box's font: the list need not measure a million of them.
    if (auto* List = qobject_cast<QListView*>(Box->view())) List->setUniformItemSizes(true);
    Box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    Box->setModel(new TSatzArtModel(FView ? FView->SatzArtList() : nullptr, Box));
    Box->setCurrentIndex(0);
    Box->setMaxVisibleItems(Box->count());
    FitDropDownCount(Box);
}

void TFormXDTSearchDlg::FitDropDownCount(QComboBox* Box) {
    const QPoint P = Box->mapToGlobal(QPoint(0, Box->height()));
    QScreen* Screen = QGuiApplication::screenAt(P);
    if (!Screen) return;
    QRect Work = Screen->availableGeometry();
    if (!Work.contains(P)) return;
    const int H = DropDownItemHeight(Box);
    Work.setBottom(Work.bottom() - 2 * H);
    // No more than the screen could show: the search below starts there, not at a million.
    int N = std::min(Box->maxVisibleItems(), Work.height() / H + 1);
    // Below one entry the list shows one entry anyway; stopping there also ends the loop when the
    // box sits so low that no count fits.
    while (N > 1 && !Work.contains(P.x(), P.y() + N * H)) --N;
    Box->setMaxVisibleItems(std::max(N, 1));
}

void TFormXDTSearchDlg::RefitDropDowns() {
    for (QComboBox* Box : {FUi->CBoxFeldArt, FUi->CBoxSatzArt}) {
        Box->setMaxVisibleItems(Box->count());
        FitDropDownCount(Box);
    }
}

int TFormXDTSearchDlg::FeldOptionIndex() const {
    return FFeldOptionGroup->checkedId();
}

void TFormXDTSearchDlg::FormShow() {
    const TXDTSearchRec R = FView ? FView->SearchRec() : TXDTSearchRec();

    QComboBox* FeldBox = FUi->CBoxFeldArt;
    int Item = 0;
    for (int I = 0; I < FeldBox->count(); ++I)
        if (FeldBox->itemData(I).toLongLong() == R.FeldArt) {
            Item = I;
            break;
        }
    FeldBox->setCurrentIndex(Item);

    const int Option = R.FeldOption == foBeginsWith ? 1 : R.FeldOption == foEquals ? 2 : 0;
    FFeldOptionGroup->button(Option)->setChecked(true);
    FUi->CkBoxCaseSensitive->setChecked(R.CaseSensitive);
    FUi->EdSearchText->setText(AnsiToQString(R.SearchText));
    // Typing replaces the previous text.
    FUi->EdSearchText->selectAll();

    QComboBox* SatzBox = FUi->CBoxSatzArt;
    Item = 0;
    // The list holds no two texts that compare equal: the one found by halving is the only one.
    if (const TSortedStrings* List = FView ? FView->SatzArtList() : nullptr) {
        const int K = List->IndexOf(R.SearchText);
        if (K >= 0 && K + 1 < SatzBox->count()) Item = K + 1;
    }
    SatzBox->setCurrentIndex(Item);

    if (R.SearchMode == smSatz) {
        FUi->PageControl->setCurrentWidget(FUi->TabSheetSatz);
        SatzBox->setFocus();
    } else {
        FUi->PageControl->setCurrentWidget(FUi->TabSheetFeld);
        FUi->EdSearchText->setFocus();
    }
}

void TFormXDTSearchDlg::FormCloseQuery(int ModalResult, bool& CanClose) {
    CanClose = true;
    TXDTSearchRec R;
    if (ModalResult == QDialog::Accepted) {
        if (FUi->PageControl->currentWidget() == FUi->TabSheetFeld) {
            R.SearchMode = smFeld;
            R.CaseSensitive = FUi->CkBoxCaseSensitive->isChecked();
            const int Option = FeldOptionIndex();
            R.FeldOption = Option == 1 ? foBeginsWith : Option == 2 ? foEquals : foContains;
            const int Item = FUi->CBoxFeldArt->currentIndex();
            R.FeldArt = Item >= 0 ? int32_t(FUi->CBoxFeldArt->itemData(Item).toLongLong()) : 0;
            R.SearchText = QStringToAnsi(FUi->EdSearchText->text());
            if (R.FeldArt == 0 && R.SearchText.empty()) {
                FUi->EdSearchText->setFocus();
                CanClose = false;
                throw Exception("Kein zu suchender Text eingegeben!");
            }
        } else {
            // The view gives a record-type search its field and its equality test.
            R.SearchMode = smSatz;
            R.CaseSensitive = true;
            R.FeldArt = 8000;
            const int Item = FUi->CBoxSatzArt->currentIndex();
            const TSortedStrings* List = FView ? FView->SatzArtList() : nullptr;
            if (List && Item >= 1 && Item - 1 < List->Count()) R.SearchText = List->Strings(Item - 1);
        }
    }
    if (FView) FView->SetSearchRec(R);
}

void TFormXDTSearchDlg::done(int Result) {
    bool CanClose = true;
    try {
        FormCloseQuery(Result, CanClose);
    } catch (const Exception& E) {
        ShowStandardError(this, FAppTitle, E.Message());
        return;
    } catch (const std::exception& E) {
        ShowStandardError(this, FAppTitle, E.what());
        return;
    }
    if (CanClose) QDialog::done(Result);
}

void TFormXDTSearchDlg::showEvent(QShowEvent* Event) {
    QDialog::showEvent(Event);
    if (Event->spontaneous()) return;
    // Only now are the boxes at their place on the screen.
    RefitDropDowns();
    FormShow();
}

bool ExecuteSearchDlg(QWidget* MainWindow, TXDTPtrView* View, const std::string& AppTitle) {
    std::unique_ptr<TFormXDTSearchDlg> Dlg = std::make_unique<TFormXDTSearchDlg>(MainWindow, View, AppTitle);
    return Dlg->exec() == QDialog::Accepted;
}
