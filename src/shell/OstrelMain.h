#pragma once
// The main window: opens one xDT document at a time (command line, drop, open dialog, refresh),
// shows it in the line view with its status texts, runs the menu and button commands and keeps the
// options file.
#include "background/ExThread.h"
#include "document/XDTCheck.h"
#include "document/XDTPtrList.h"

#include <QMainWindow>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>
#include <string>

class QAction;
class QLabel;
class QDragEnterEvent;
class QDropEvent;
class QDragMoveEvent;
class QCloseEvent;
class QWheelEvent;
class TCheckPanel;
class TFileXDTPtrList;
class TXDTPtrView;

namespace Ui {
class FormOstrel;
}

// How the main window wants a file loaded, beyond the classic load.
struct TLoadSettings {
    bool Tolerant = false;   // read past invalid lines
    bool Klassisch = false;  // the classic program: its own load and message only
    uint64_t CheckBelow = 0; // check the file after the load when it is smaller; 0: never
};

// Fills the caller's index from a file on a worker thread, under the progress window.
class TLoadFileThread : public TExecuteThread {
public:
    using THook = std::function<void(TLoadFileThread&)>;
    // Creates the index into List when List is empty; the caller keeps owning it. BeforeLoad (may be
    // empty) runs on the worker thread before the file is read: tests hold a load with it.
    TLoadFileThread(const std::string& FileName, std::unique_ptr<TFileXDTPtrList>& List,
                    THook BeforeLoad = {}, const TLoadSettings& Settings = {});

    TEvent& CancelEvent() { return FCancelEvent; }
    const TLoadOutcome& Outcome() const { return FOutcome; }
    // The check report when the file was checked after the load.
    std::optional<TCheckResult>& CheckResult() { return FCheck; }

    // The message of a strict load that stops at an invalid line: the classic text first, then the
    // line and the way to read the rest (only the classic text in the classic program).
    static std::string InvalidLineMessage(long long PhysicalLine, bool Klassisch);

protected:
    void DoWork() override;

private:
    std::string FFileName;
    std::unique_ptr<TFileXDTPtrList>& FList;
    THook FBeforeLoad;
    TLoadSettings FSettings;
    TLoadOutcome FOutcome;
    std::optional<TCheckResult> FCheck;
};

// Checks the loaded document on a worker thread, under the progress window.
class TCheckFileThread : public TExecuteThread {
public:
    explicit TCheckFileThread(const TFileXDTPtrList& List) : FList(List) {}
    std::optional<TCheckResult>& Result() { return FResult; }

protected:
    void DoWork() override;

private:
    const TFileXDTPtrList& FList;
    std::optional<TCheckResult> FResult;
};

// Files below this size are checked after every load; larger ones on demand.
constexpr uint64_t AutoCheckBelow = uint64_t(16) << 20;

// Where the program looks for its directory and its options file. The program's directory is in the
// file system's encoding, as document paths are; the options files are UTF-8, as TIniFile takes them.
struct TOstrelPaths {
    std::string ProgramDir;          // with its trailing separator
    std::string OptionsFile;         // beside the program
    std::string FallbackOptionsFile; // of the same name in the user's configuration folder
};

class TFormOstrel : public QMainWindow {
    Q_OBJECT
public:
    // Params are the command-line arguments after the program's name; exactly one is opened. Paths
    // say where the program and its options live (ProgramPaths() for the running program).
    TFormOstrel(const QStringList& Params, const TOstrelPaths& Paths, QWidget* Parent = nullptr);
    ~TFormOstrel() override;

    // The program's own arguments after its name, as the system passed them to main: taken before
    // QApplication sees them, which removes what it reads as its own options (-reverse, -style).
    static QStringList CommandLineParams(int Argc, const char* const* Argv);
    // The paths of the running program.
    static TOstrelPaths ProgramPaths();
    const TOstrelPaths& Paths() const { return FPaths; }
    // Runs on the worker thread before each load reads its file; empty (the default) for none.
    void SetBeforeLoadHook(TLoadFileThread::THook Hook) { FBeforeLoad = std::move(Hook); }
    // The options file to use: the one beside the program when it can be written there (it exists
    // and may be replaced, or it can be created); else the one in the user's configuration folder.
    static std::string ChooseOptionsFile(const TOstrelPaths& Paths);
    // The file the options are read from: the chosen one, or the one beside the program when the
    // chosen one does not exist yet (a preset that cannot be written).
    static std::string OptionsFileToRead(const TOstrelPaths& Paths);

    // Opens a document; reports no error of its own. Path is in the file system's encoding. Asked
    // again while a load runs (a drop meanwhile), it opens that path once the load has ended.
    void LoadFile(const std::string& Path);
    bool Loading() const { return FLoading; }
    bool ExecuteLoadFile(const std::string& Path, std::unique_ptr<TFileXDTPtrList>& List);
    void FocusView();

    TXDTPtrView* View() const { return FView; }
    TFileXDTPtrList* PtrList() const { return FPtrList.get(); }
    const std::string& CurrentFile() const { return FCurrentFile; }
    const std::string& LastDirectory() const { return FLastDirectory; }
    int LastFileType() const { return FLastFileType; }
    bool WindowMaximized() const { return FWindowMaximized; }
    // The application title: the program's name, with the document's path while one is shown.
    const QString& AppTitle() const { return FAppTitle; }
    // The text of a status-bar panel, 0..3, and 4 for the check report's counts.
    QString StatusText(int Panel) const;
    QLabel* StatusPanel(int Panel) const;

    // The classic program: without the extensions (tolerant loading, the check report and its
    // panel and commands, the longer message on an invalid line).
    bool Klassisch() const { return FKlassisch; }
    void SetKlassisch(bool Value);
    bool TolerantLoading() const { return FTolerant; }
    // The report of the document shown, when it was checked.
    const std::optional<TCheckResult>& CheckResult() const { return FCheckResult; }
    TCheckPanel* CheckPanel() const { return FCheckPanel; }

    // The open dialog's filter list in Qt's syntax, in the order of LastFileType (1-based).
    static QStringList OpenDialogFilters();

    // Command handlers.
    void cmOpenClick();
    void cmExitClick();
    void cmFontClick();
    void cmToggleCodierungClick();
    void cmShowCommentsClick();
    void cmShowFeldArtNameClick();
    void cmRefreshClick();
    void cmSearchClick();
    void cmSearchAgainClick();
    void cmInfoClick();
    // Extensions: the classic switch ("Klassische Anzeige", options key "Classic View").
    void cmClassicViewClick();
    bool Classic() const { return FClassic; }
    // Without the options key the program starts in the extended view, or in the classic one when
    // the environment sets OSTREL_KLASSISCH=1.
    static bool ClassicByDefault();
    // Commands of the extensions, added in code.
    void cmCheckFileClick();
    void cmTolerantLoadingClick();

protected:
    void wheelEvent(QWheelEvent* Event) override;
    void closeEvent(QCloseEvent* Event) override;
    void dragEnterEvent(QDragEnterEvent* Event) override;
    void dragMoveEvent(QDragMoveEvent* Event) override;
    void dropEvent(QDropEvent* Event) override;

private:
    void FormCreate(const QStringList& Params);
    void FormCloseQuery();
    void ReadOptions();
    void WriteOptions(const std::string& FileName);
    void SetAppTitle(const QString& Title);
    void PlaceAtStoredPosition();
    void ShowCodierungInUse(int Before);
    void SetStatusText(int Panel, const std::string& Text);
    void ShowFoundLine();
    void UpdateSearchEnabled();
    void CreateExtensionActions();
    void SetClassic(bool Value);
    // Shows the document in the set the extended rule chooses; panel 3 names it and why.
    void ApplyCodierungChoice();
    void KeepCodierung(int InUse);
    void AddExtensionCommands();
    // Shows a check report (or none) in the fifth panel and the report list.
    void ShowCheckResult(std::optional<TCheckResult> Result);
    void ShowLine(int Entry);

    std::unique_ptr<Ui::FormOstrel> FUi;
    TOstrelPaths FPaths;
    TLoadFileThread::THook FBeforeLoad;
    QLabel* FStatusPanels[5] = {};
    QLabel* FFormatPanel = nullptr; // the detected format; not in the classic view
    QAction* FClassicAction = nullptr;
    bool FClassic = false;
    QAction* FCheckFileAction = nullptr;
    QAction* FTolerantAction = nullptr;
    TCheckPanel* FCheckPanel = nullptr; // made on the first report
    std::optional<TCheckResult> FCheckResult;
    std::optional<TCheckResult> FLoadCheck; // of the load just run
    bool FKlassisch = false;
    bool FTolerant = false;
    bool FTolerantKeyRead = false; // the options file has the key: it is written back

    std::string FCurrentFile;
    std::string FLastDirectory;
    int FLastFileType = 1;
    bool FWindowMaximized = true;
    TXDTPtrView* FView = nullptr;
    std::unique_ptr<TFileXDTPtrList> FPtrList;

    QString FAppTitle;
    int FWheelRest = 0; // wheel delta short of a whole notch
    bool FLoading = false;
    std::optional<std::string> FQueuedLoad; // the path asked for while a load ran
};
