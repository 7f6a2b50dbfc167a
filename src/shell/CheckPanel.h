#pragma once
// The list of a check report beside the view: line, severity, code and message of each problem,
// sortable by each column, copied with Ctrl+C; a click or Enter on a problem asks to show its line.
#include <QDockWidget>
#include <string>

class QLabel;
class QStandardItemModel;
class QTreeView;
struct TCheckResult;

class TCheckPanel : public QDockWidget {
    Q_OBJECT
public:
    explicit TCheckPanel(QWidget* Parent = nullptr);

    // Shows the report; one without problems says so ("Keine Probleme gefunden.").
    void SetResult(const TCheckResult& Result);
    // No report: the list is empty and Why (Windows-1252) says why.
    void SetNoResult(const std::string& Why);

    QTreeView* View() const { return FView; }
    QLabel* SummaryLabel() const { return FSummary; }
    QStandardItemModel* Model() const { return FModel; }
    // The selected rows in the order shown, one per line: line, severity, code, message, by TAB.
    QString SelectedText() const;
    void CopySelection() const;

signals:
    // The user chose a problem: Entry is the index entry of its line.
    void EntryChosen(int Entry);

private:
    void Choose(const QModelIndex& Index);

    QLabel* FSummary = nullptr;
    QTreeView* FView = nullptr;
    QStandardItemModel* FModel = nullptr;
};
