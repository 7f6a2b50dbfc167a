#include "CheckPanel.h"

#include "document/XDTCheck.h"
#include "support/Ansi.h"

#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QStandardItemModel>
#include <QTreeView>
#include <QVBoxLayout>
#include <algorithm>
#include <functional>

namespace {

constexpr int kSortRole = Qt::UserRole;
constexpr int kEntryRole = Qt::UserRole + 1;

std::string Count(long long N, const char* One, const char* Many) {
    return std::to_string(N) + " " + (N == 1 ? One : Many);
}

// Enter on a problem chooses it, as a click does; other keys as the list has them.
class TProblemView : public QTreeView {
public:
    using QTreeView::QTreeView;
    std::function<void(const QModelIndex&)> OnEnter;
    std::function<void()> OnCopy;

protected:
    void keyPressEvent(QKeyEvent* E) override {
        // The view's own copy would take the current cell alone; the list copies whole rows.
        if (E->matches(QKeySequence::Copy) && OnCopy) {
            OnCopy();
            E->accept();
            return;
        }
        if ((E->key() == Qt::Key_Return || E->key() == Qt::Key_Enter) && currentIndex().isValid() &&
            OnEnter) {
            OnEnter(currentIndex());
            E->accept();
            return;
        }
        QTreeView::keyPressEvent(E);
    }
};

} // namespace

TCheckPanel::TCheckPanel(QWidget* Parent) : QDockWidget(Parent) {
    setObjectName(QStringLiteral("CheckPanel"));
    setWindowTitle(AnsiToQString("Pr\xFC"
                                 "fbericht"));
    auto* Body = new QWidget(this);
    auto* Layout = new QVBoxLayout(Body);
    Layout->setContentsMargins(2, 2, 2, 2);
    FSummary = new QLabel(Body);
    FSummary->setObjectName(QStringLiteral("CheckSummary"));
    FSummary->setTextFormat(Qt::PlainText);
    FSummary->setWordWrap(true);
    Layout->addWidget(FSummary);

    FModel = new QStandardItemModel(0, 4, this);
    FModel->setHorizontalHeaderLabels({QStringLiteral("Zeile"), QStringLiteral("Schweregrad"),
                                       QStringLiteral("Code"), QStringLiteral("Meldung")});
    FModel->setSortRole(kSortRole);
    auto* View = new TProblemView(Body);
    View->OnEnter = [this](const QModelIndex& I) { Choose(I); };
    FView = View;
    FView->setObjectName(QStringLiteral("CheckView"));
    FView->setModel(FModel);
    FView->setRootIsDecorated(false);
    FView->setUniformRowHeights(true);
    FView->setAllColumnsShowFocus(true);
    FView->setSelectionBehavior(QAbstractItemView::SelectRows);
    FView->setSelectionMode(QAbstractItemView::ExtendedSelection);
    FView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    FView->setSortingEnabled(true);
    FView->sortByColumn(0, Qt::AscendingOrder);
    FView->header()->setStretchLastSection(true);
    Layout->addWidget(FView, 1);
    setWidget(Body);

    connect(FView, &QTreeView::clicked, this, [this](const QModelIndex& I) { Choose(I); });
    View->OnCopy = [this] { CopySelection(); };
}

void TCheckPanel::SetResult(const TCheckResult& R) {
    FModel->removeRows(0, FModel->rowCount());
    FView->setSortingEnabled(false); // the rows go in at once, sorted afterwards
    for (const TCheckProblem& P : R.Problems) {
        QList<QStandardItem*> Row;
        auto* Line = new QStandardItem(QString::number(P.Line));
        Line->setData(P.Line, kSortRole);
        Line->setData(P.Entry, kEntryRole);
        auto* Severity = new QStandardItem(QString::fromLatin1(CheckSeverityName(P.Severity)));
        Severity->setData(int(P.Severity), kSortRole);
        auto* Code = new QStandardItem(QString::fromLatin1(P.Code));
        Code->setData(QString::fromLatin1(P.Code), kSortRole);
        auto* Message = new QStandardItem(AnsiToQString(P.Message));
        Message->setData(Message->text(), kSortRole);
        for (QStandardItem* I : {Line, Severity, Code, Message}) I->setEditable(false);
        FModel->appendRow({Line, Severity, Code, Message});
    }
    FView->setSortingEnabled(true);
    for (int C = 0; C < 3; ++C) FView->resizeColumnToContents(C);

    std::string S;
    if (R.Problems.empty()) {
        S = "Keine Probleme gefunden.";
    } else {
        S = std::string(CheckFamilyName(R.Family)) + ": " + Count(R.Errors, "Fehler", "Fehler") + ", " +
            Count(R.Warnings, "Warnung", "Warnungen") + ", " + Count(R.Hints, "Hinweis", "Hinweise");
    }
    FSummary->setText(AnsiToQString(S));
}

void TCheckPanel::SetNoResult(const std::string& Why) {
    FModel->removeRows(0, FModel->rowCount());
    FSummary->setText(AnsiToQString(Why));
}

void TCheckPanel::Choose(const QModelIndex& Index) {
    if (!Index.isValid()) return;
    const QVariant Entry = FModel->index(Index.row(), 0).data(kEntryRole);
    if (Entry.isValid() && Entry.toInt() >= 0) emit EntryChosen(Entry.toInt());
}

QString TCheckPanel::SelectedText() const {
    QList<int> Rows;
    for (const QModelIndex& I : FView->selectionModel()->selectedRows()) Rows << I.row();
    std::sort(Rows.begin(), Rows.end());
    QString Text;
    for (int R : Rows) {
        QStringList Cells;
        for (int C = 0; C < FModel->columnCount(); ++C) Cells << FModel->index(R, C).data().toString();
        Text += Cells.join(QLatin1Char('\t')) + QLatin1Char('\n');
    }
    return Text;
}

void TCheckPanel::CopySelection() const {
    const QString Text = SelectedText();
    if (!Text.isEmpty()) QApplication::clipboard()->setText(Text);
}
