#pragma once
// The search dialog: edits the search criteria of a line view. A field search (one field or all,
// "contains", "begins with" or "equals", with or without regard to case) on the first page, a
// record-type search on the second. The lists offer only what occurs in the view's document.
#include <QDialog>
#include <functional>
#include <memory>
#include <string>

class QButtonGroup;
class QComboBox;
class QShowEvent;
class TXDTPtrView;

namespace Ui {
class FormXDTSearchDlg;
}

class TFormXDTSearchDlg : public QDialog {
    Q_OBJECT
public:
    // Loads the stored layout, remembers the view (not owned) and fills both lists from it. AppTitle
    // (Windows-1252) captions the error box.
    TFormXDTSearchDlg(QWidget* Owner, TXDTPtrView* View, std::string AppTitle = {});
    ~TFormXDTSearchDlg() override;

    // Field list: "- Alle Felder durchsuchen -", then every field identifier of the document with
    // its name; each entry carries the identifier as its data.
    void FillFeldArtBox();
    // Record-type list: the entry for all record types, then every record type of the document.
    void FillSatzArtBox();
    // Shortens the box's drop-down list so that it ends two rows above the bottom of the screen's
    // work area; never longer than it was, never below one entry.
    static void FitDropDownCount(QComboBox* Box);

    // Puts the view's current criteria into the controls and focuses the active page.
    void FormShow();
    // Builds criteria from the controls (or none when not closing with OK) and installs them in the
    // view. Throws Exception when OK is pressed on the field page with neither field nor text;
    // CanClose is false then and nothing is installed.
    void FormCloseQuery(int ModalResult, bool& CanClose);

    // The caption of the dialog's error box: the application title the dialog was made with.
    const std::string& AppTitle() const { return FAppTitle; }

    void done(int Result) override;

protected:
    void showEvent(QShowEvent* Event) override;

private:
    void PlaceAtStoredPosition();
    void RefitDropDowns();
    int FeldOptionIndex() const;

    std::unique_ptr<Ui::FormXDTSearchDlg> FUi;
    QButtonGroup* FFeldOptionGroup;
    TXDTPtrView* FView;
    std::string FAppTitle;
};

// Runs the dialog modally for the view, owned by the main window; true exactly when it closed
// with OK. The dialog is freed in every case.
// AppTitle captions its error box (Windows-1252).
bool ExecuteSearchDlg(QWidget* MainWindow, TXDTPtrView* View, const std::string& AppTitle);
