#pragma once
// The about window: the program's name beside its icon, its version and legal line from the program's
// own version resource, and the maker's home-page and e-mail lines, which open their targets when
// clicked. Built in code from a stack of framed single-line panels.
#include <QDialog>
#include <functional>
#include <string>
#include <vector>

class QLabel;
class QPushButton;
class QUrl;

// Space between the icon and the panel's edges, in pixels.
inline constexpr int IconMargin = 16;

class TAppSplashForm : public QDialog {
    Q_OBJECT
public:
    // ExtraLines (Windows-1252, may be null) follow the maker's lines. AboutMode false gives the
    // borderless variant: no title bar, on top, a blue frame, no OK button and a last line
    // "Initialisierung...". VersionFile is the file whose version resource is read; empty means the
    // running program's file. OpenUrl opens the target of a clicked home-page or e-mail line; empty
    // means QDesktopServices::openUrl (tests pass a recorder, so that no browser starts).
    TAppSplashForm(QWidget* Owner, const std::vector<std::string>* ExtraLines, bool AboutMode,
                   bool ShowHomePage, bool ShowEmail, const std::string& VersionFile = {},
                   std::function<void(const QUrl&)> OpenUrl = {});

    QLabel* IconImage() const { return FIconImage; }
    // Null in the borderless variant.
    QPushButton* OkButton() const { return FOkButton; }

protected:
    void keyPressEvent(QKeyEvent* E) override;

private:
    QLabel* FIconImage = nullptr;
    QPushButton* FOkButton = nullptr;
};

// Shows the about window modally and frees it when it closes. The main window passes no lines.
void ShowAbout(const std::vector<std::string>* ExtraLines = nullptr);

// The maker's addresses, set when the program is built (OSTREL_HOMEPAGE, OSTREL_EMAIL), and the
// about-window lines that show them (Windows-1252). The lines are empty when the address is.
QUrl HomePageUrl();
QUrl EmailUrl();
std::string HomePageLine();
std::string EmailLine();
