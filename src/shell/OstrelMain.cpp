#include "OstrelMain.h"

#include "ui_OstrelMain.h"

#include "CheckPanel.h"
#include "background/SpecDlgs.h"
#include "document/RowModel.h"
#include "document/XDTFile.h"
#include "document/XDTPtrList.h"
#include "support/Ansi.h"
#include "support/AppSplash.h"
#include "support/DlgTools.h"
#include "support/Exceptions.h"
#include "support/IniFile.h"
#include "support/ResStrings.h"
#include "support/StrTools.h"
#include "view/OstrelSearchDlg.h"
#include "view/XDTPtrView.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QDockWidget>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontDialog>
#include <QFontInfo>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTimer>
#include <QTreeView>
#include <QUrl>
#include <QWheelEvent>
#include <algorithm>
#include <cstdint>
#include <exception>
#include <mutex>

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

const char* const SOptions = "Options";
const char* const SFontName = "Font-Name";
const char* const SFontSize = "Font-Size";
const char* const SFontBold = "Font-Bold";
const char* const SLastDirectory = "Last Directory";
const char* const SLastFileType = "Last File Type";
const char* const SWindowMaximized = "Window Maximized";
const char* const SShowComments = "Show Comments";
const char* const SShowFieldname = "Show Fieldname";
const char* const SClassicView = "Classic View";
const char* const STolerantLoading = "Tolerant Loading";

// The open dialog's filters as the platform's dialog spells them: description|patterns, ...
const char* const SOpenDialogFilter =
    "XDT-Dateien (*.ldt, *.sav, sdav*.*, *.con, plz*.*, kvsp*.*)|*.ldt;*.sav;sdav*.*;*.con;plz*.*;kvsp*.*|"
    "LDT-Dateien (*.ldt)|*.ldt|SAV-Dateien (*.sav)|*.sav|SDAV-Dateien (sdav*.*)|sdav*.*|"
    "CON-Dateien (*.con)|*.con|PLZ-Dateien (plz*.*)|plz*.*|KVSP-Dateien (kvsp*.*) |kvsp*.*|"
    "Alle Dateien (*.*)|*.*";

constexpr int MinFontSize = 1;
constexpr int MaxFontSize = 1000;

// Where the stored layout puts the window's top-left corner on the screen.
constexpr QPoint kStoredPos(200, 118);

QString FromNative(const std::string& S) {
    return QFile::decodeName(QByteArray(S.data(), qsizetype(S.size())));
}
std::string ToNative(const QString& S) {
    return QFile::encodeName(S).toStdString();
}
// Paths of options files are UTF-8, as the options file layer takes them.
QString IniPath(const std::string& S) {
    return QString::fromStdString(S);
}

// The directory part of a path, with its trailing separator; empty when there is none.
std::string ExtractFilePath(const std::string& Path) {
#ifdef _WIN32
    const size_t Sep = Path.find_last_of("\\/:");
#else
    const size_t Sep = Path.find_last_of('/');
#endif
    return Sep == std::string::npos ? std::string() : Path.substr(0, Sep + 1);
}

bool FileExists(const std::string& Path) {
    if (Path.empty()) return false;
    const QFileInfo Info(FromNative(Path));
    return Info.exists() && !Info.isDir();
}

bool DirectoryExists(const std::string& Path) {
    if (Path.empty()) return false;
#ifdef _WIN32
    // A drive that is not ready must not bring up a system error box.
    const UINT Old = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    const bool Exists = QFileInfo(FromNative(Path)).isDir();
    SetErrorMode(Old);
    return Exists;
#else
    return QFileInfo(FromNative(Path)).isDir();
#endif
}

// "*.*" on the platform's dialog means every file, and "sdav*.*" also a name without a dot; Qt's
// dialog takes the patterns literally, so the trailing ".*" after a star goes.
QString QtPattern(QString Pattern) {
    Pattern = Pattern.trimmed();
    if (Pattern.endsWith(QLatin1String("*.*"))) Pattern.chop(2);
    return Pattern;
}

// What the application's top-level handler does with an exception that escapes a command.
void ShowCommandException(const std::exception& E) {
    std::unique_ptr<TMsgForm> Box =
        CreateMsgDialog(TExecuteThread::WorkErrorText(E.what()), mkError, {mbOK}, false, {mbOK}, {mbOK});
    Box->setWindowTitle(AnsiToQString(ApplicationTitle()));
    Box->exec();
}

template <class F> void Guarded(F&& Fn) {
    try {
        Fn();
    } catch (const EAbort&) {
    } catch (const std::exception& E) {
        ShowCommandException(E);
    }
}

} // namespace

// ---------------------------------------------------------------------------------------------------
// TLoadFileThread

TLoadFileThread::TLoadFileThread(const std::string& FileName, std::unique_ptr<TFileXDTPtrList>& List,
                                 THook BeforeLoad, const TLoadSettings& Settings)
    : FFileName(FileName), FList(List), FBeforeLoad(std::move(BeforeLoad)), FSettings(Settings) {
    if (!FList) FList = std::make_unique<TFileXDTPtrList>();
    SetPriority(QThread::HighPriority);
}

std::string TLoadFileThread::InvalidLineMessage(long long PhysicalLine, bool Klassisch) {
    const std::string Classic = EXDTInvalidLine(PhysicalLine, 0).Message();
    if (Klassisch) return Classic;
    return Classic + ".\n\nEs ist die Zeile " + std::to_string(PhysicalLine) +
           ". Mit \x84Ung\xFCltige Zeilen \xFC"
           "berspringen\x93 im Men\xFC Ansicht liest das Programm den Rest der Datei.";
}

void TLoadFileThread::DoWork() {
    const bool Extended = !FSettings.Klassisch;
    try {
        if (FBeforeLoad) FBeforeLoad(*this);
        try {
            FOutcome = LoadXDTFile(*FList, FFileName,
                                   {.Cancel = &FCancelEvent,
                                    .InvalidLine = Extended && FSettings.Tolerant ? ilTolerant : ilRaise});
        } catch (const EXDTInvalidLine& E) {
            FOutcome.End = leInvalidLine;
            FOutcome.PhysicalLine = E.PhysicalLine();
            FOutcome.Offset = E.Offset();
            if (!Extended) throw;
            throw Exception(InvalidLineMessage(E.PhysicalLine(), false));
        }
    } catch (...) {
        HandleWorkException();
    }
    // A small file is checked at once, a cancelled load not at all.
    if (Extended && FList->MappingOpen() && FList->FileSize() < FSettings.CheckBelow &&
        FOutcome.End != leCancelled && !Terminated() && !FCancelEvent.IsSet()) {
        try {
            TCheckResult R = CheckXDTFile(*FList, {.Cancel = &FCancelEvent});
            if (!R.Cancelled) FCheck = std::move(R);
        } catch (...) {
            HandleWorkException();
        }
    }
}

void TCheckFileThread::DoWork() {
    try {
        TCheckResult R = CheckXDTFile(FList, {.Cancel = &FCancelEvent});
        if (!R.Cancelled) FResult = std::move(R);
    } catch (...) {
        HandleWorkException();
    }
}

// ---------------------------------------------------------------------------------------------------
// Paths of the program and its options file

TOstrelPaths TFormOstrel::ProgramPaths() {
    TOstrelPaths P;
    P.ProgramDir = ToNative(QCoreApplication::applicationDirPath());
    if (P.ProgramDir.empty() || P.ProgramDir.back() != '/') P.ProgramDir += '/';
    // OSTREL_OPTIONS_FILE names another options file, and only that one: for pictures of the window
    // made with chosen options, without touching the user's.
    if (const QString Named = qEnvironmentVariable("OSTREL_OPTIONS_FILE"); !Named.isEmpty()) {
        P.OptionsFile = Named.toStdString();
        return P;
    }
    P.OptionsFile = IniFileName();
    const QString Config = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    if (!Config.isEmpty())
        P.FallbackOptionsFile =
            (Config + QLatin1Char('/') + QFileInfo(IniPath(P.OptionsFile)).fileName()).toStdString();
    return P;
}

std::string TFormOstrel::ChooseOptionsFile(const TOstrelPaths& Paths) {
    // The file is replaced by a new one written beside it, so its folder must take new files.
    const QFileInfo File(IniPath(Paths.OptionsFile));
    const QFileInfo Dir(File.absolutePath());
    // A file too large to be read is not replaced either (TIniFile): the options then live in the
    // user's folder, which is where they are read back from.
    const bool Usable =
        Dir.isDir() && Dir.isWritable() &&
        (!File.exists() || (File.isFile() && File.isWritable() && File.size() <= TIniFile::MaxFileSize));
    if (Usable || Paths.FallbackOptionsFile.empty()) return Paths.OptionsFile;
    return Paths.FallbackOptionsFile;
}

std::string TFormOstrel::OptionsFileToRead(const TOstrelPaths& Paths) {
    const std::string Chosen = ChooseOptionsFile(Paths);
    if (Chosen != Paths.OptionsFile && !QFileInfo::exists(IniPath(Chosen)) &&
        QFileInfo::exists(IniPath(Paths.OptionsFile)))
        return Paths.OptionsFile;
    return Chosen;
}

QStringList TFormOstrel::OpenDialogFilters() {
    const QStringList Parts = QString::fromLatin1(SOpenDialogFilter).split(QLatin1Char('|'));
    QStringList Filters;
    for (qsizetype I = 0; I + 1 < Parts.size(); I += 2) {
        QString Name = Parts[I];
        const qsizetype Paren = Name.indexOf(QLatin1Char('('));
        if (Paren >= 0) Name.truncate(Paren);
        QStringList Patterns;
        for (const QString& P : Parts[I + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts))
            Patterns << QtPattern(P);
        Filters << Name.trimmed() + QLatin1String(" (") + Patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
    }
    return Filters;
}

// ---------------------------------------------------------------------------------------------------
// TFormOstrel

QStringList TFormOstrel::CommandLineParams(int Argc, const char* const* Argv) {
    QStringList Params;
    for (int I = 1; I < Argc && Argv[I]; ++I) Params << QFile::decodeName(Argv[I]);
    return Params;
}

TFormOstrel::TFormOstrel(const QStringList& Params, const TOstrelPaths& Paths, QWidget* Parent)
    : QMainWindow(Parent), FUi(std::make_unique<Ui::FormOstrel>()), FPaths(Paths) {
    FUi->setupUi(this);
    FormCreate(Params);
}

TFormOstrel::~TFormOstrel() {
    if (MainForm() == this) SetMainForm(nullptr);
    // The view lives on as a child a little longer; it must not see the index go.
    if (FView) FView->SetPtrList(nullptr);
    FPtrList.reset();
}

void TFormOstrel::FormCreate(const QStringList& Params) {
    SetMainForm(this);
    setAcceptDrops(true);
    PlaceAtStoredPosition();

    // The separators of the stored menus carry their names.
    auto NameSeparators = [](QMenu* Menu, std::initializer_list<const char*> Names) {
        auto Name = Names.begin();
        for (QAction* A : Menu->actions())
            if (A->isSeparator() && Name != Names.end()) A->setObjectName(QString::fromLatin1(*Name++));
    };
    NameSeparators(FUi->cmFileMenu, {"N3"});
    NameSeparators(FUi->cmViewMenu, {"N4", "N1"});

    // Status panels: line count, file size, declared character set, character set in use; and the
    // counts of the check report at the right.
    const int Widths[3] = {120, 250, 200};
    for (int I = 0; I < 5; ++I) {
        auto* Panel = new QLabel(this);
        Panel->setObjectName(QStringLiteral("StatusPanel%1").arg(I));
        Panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        Panel->setTextFormat(Qt::PlainText);
        if (I < 3) {
            Panel->setFixedWidth(Widths[I]);
            FUi->StatusBar->addWidget(Panel);
        } else if (I == 3) {
            Panel->setMinimumWidth(50);
            FUi->StatusBar->addWidget(Panel, 1);
        } else {
            Panel->setMinimumWidth(50); // as wide as its text, where the window allows it
            FUi->StatusBar->addPermanentWidget(Panel);
        }
        FStatusPanels[I] = Panel;
    }

    connect(FUi->cmOpen, &QAction::triggered, this, [this] { Guarded([this] { cmOpenClick(); }); });
    connect(FUi->cmExit, &QAction::triggered, this, [this] { cmExitClick(); });
    connect(FUi->cmFont, &QAction::triggered, this, [this] { Guarded([this] { cmFontClick(); }); });
    connect(FUi->cmToggleCodierung, &QAction::triggered, this,
            [this] { Guarded([this] { cmToggleCodierungClick(); }); });
    connect(FUi->cmShowComments, &QAction::triggered, this,
            [this] { Guarded([this] { cmShowCommentsClick(); }); });
    connect(FUi->cmShowFeldArtName, &QAction::triggered, this,
            [this] { Guarded([this] { cmShowFeldArtNameClick(); }); });
    connect(FUi->cmRefresh, &QAction::triggered, this, [this] { Guarded([this] { cmRefreshClick(); }); });
    connect(FUi->cmSearch, &QAction::triggered, this, [this] { Guarded([this] { cmSearchClick(); }); });
    connect(FUi->cmSearchAgain, &QAction::triggered, this,
            [this] { Guarded([this] { cmSearchAgainClick(); }); });
    connect(FUi->cmInfo, &QAction::triggered, this, [this] { Guarded([this] { cmInfoClick(); }); });
    connect(FUi->ButtonClose, &QPushButton::clicked, this, [this] { cmExitClick(); });
    connect(FUi->ButtonOpen, &QPushButton::clicked, this, [this] { Guarded([this] { cmOpenClick(); }); });
    connect(FUi->ButtonSearch, &QPushButton::clicked, this, [this] { Guarded([this] { cmSearchClick(); }); });
    connect(FUi->ButtonSearchNext, &QPushButton::clicked, this,
            [this] { Guarded([this] { cmSearchAgainClick(); }); });

    SetAppTitle(AnsiToQString(SAppTitle));
    setWindowTitle(FAppTitle);
    FUi->StaticTextFound->clear();

    FView = CreateLineView(FUi->ClientArea);
    FUi->ClientLayout->addWidget(FView, 1);
    FView->SetInfoMessageHandler([](const std::string& Msg) { ShowInfoMessage(Msg); });
    setTabOrder(FUi->ButtonClose, FView);

    FPtrList = std::make_unique<TFileXDTPtrList>();
    FView->SetPtrList(FPtrList.get());
    CreateExtensionActions();
    AddExtensionCommands();

    for (QAction* A : {FUi->cmSearch, FUi->cmSearchAgain, FUi->cmToggleCodierung, FUi->cmRefresh})
        A->setEnabled(false);
    FUi->ButtonSearch->setEnabled(false);
    FUi->ButtonSearchNext->setEnabled(false);

    FCurrentFile.clear();
    FLastDirectory = Paths().ProgramDir;
    FLastFileType = 1;
    FWindowMaximized = true;

    ReadOptions();

    if (!DirectoryExists(FLastDirectory)) FLastDirectory = Paths().ProgramDir;

    FUi->ButtonOpen->setFocus();

    if (Params.size() == 1) Guarded([&] { LoadFile(ToNative(Params[0])); });
}

void TFormOstrel::ReadOptions() {
    const TOstrelPaths P = Paths();
    const QFont Current = FView->font();
    const std::string DefaultName = QStringToAnsi(Current.family());
    const int DefaultSize = Current.pointSize() > 0 ? Current.pointSize() : 12;
    std::string FontName;
    int FontSize;
    bool FontBold;
    {
        const TIniFile Ini(OptionsFileToRead(P));
        FontName = Ini.ReadString(SOptions, SFontName, DefaultName);
        FontSize = Ini.ReadInteger(SOptions, SFontSize, DefaultSize);
        FontBold = Ini.ReadBool(SOptions, SFontBold, Current.bold());
        FLastDirectory = Ini.ReadString(SOptions, SLastDirectory, FLastDirectory);
        FLastFileType = Ini.ReadInteger(SOptions, SLastFileType, 1);
        FWindowMaximized = Ini.ReadBool(SOptions, SWindowMaximized, true);
        FView->SetShowComments(Ini.ReadBool(SOptions, SShowComments, FView->ShowComments()));
        FView->SetShowFeldArtName(Ini.ReadBool(SOptions, SShowFieldname, FView->ShowFeldArtName()));
        SetClassic(Ini.ReadBool(SOptions, SClassicView, ClassicByDefault()));
        FTolerant = Ini.ReadBool(SOptions, STolerantLoading, false);
        FTolerantKeyRead = Ini.ValueExists(SOptions, STolerantLoading);
    }
    // A name or size that no font can have gives the view's own.
    if (FontName.empty()) FontName = DefaultName;
    if (FontSize < MinFontSize || FontSize > MaxFontSize) FontSize = DefaultSize;

    QFont F(AnsiToQString(FontName));
    F.setPointSize(FontSize);
    F.setBold(FontBold);
    // Only a hint for the font matcher: a name that is not installed falls back to a fixed-pitch font.
    F.setStyleHint(QFont::TypeWriter);
    // The view draws in cells of one width. The font dialog offers fixed-pitch fonts only, but the
    // options file may name any font: a proportional one gives way to the view's own font in the
    // size and weight asked for, else to the system's fixed-pitch font, else to the view's default.
    if (!QFontInfo(F).fixedPitch()) {
        QFont Fixed = Current;
        Fixed.setPointSize(FontSize);
        Fixed.setBold(FontBold);
        if (!QFontInfo(Fixed).fixedPitch()) {
            Fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
            Fixed.setPointSize(FontSize);
            Fixed.setBold(FontBold);
        }
        F = QFontInfo(Fixed).fixedPitch() ? Fixed : Current;
    }
    FView->setFont(F);

    FUi->cmShowComments->setChecked(FView->ShowComments());
    FUi->cmShowFeldArtName->setChecked(FView->ShowFeldArtName());
    FTolerantAction->setChecked(FTolerant);
    setWindowState(FWindowMaximized ? Qt::WindowMaximized : Qt::WindowNoState);
}

void TFormOstrel::WriteOptions(const std::string& FileName) {
    QDir().mkpath(QFileInfo(IniPath(FileName)).absolutePath());
    TIniFile Ini(FileName);
    const QFont F = FView->font();
    Ini.WriteString(SOptions, SFontName, QStringToAnsi(F.family()));
    Ini.WriteInteger(SOptions, SFontSize, F.pointSize());
    Ini.WriteBool(SOptions, SFontBold, F.bold());
    Ini.WriteString(SOptions, SLastDirectory, FLastDirectory);
    Ini.WriteInteger(SOptions, SLastFileType, FLastFileType);
    Ini.WriteBool(SOptions, SWindowMaximized, FWindowMaximized);
    Ini.WriteBool(SOptions, SShowComments, FView->ShowComments());
    Ini.WriteBool(SOptions, SShowFieldname, FView->ShowFeldArtName());
    // The switch joins the eight classic keys only once it differs from the default.
    if (FClassic != ClassicByDefault() || Ini.ValueExists(SOptions, SClassicView))
        Ini.WriteBool(SOptions, SClassicView, FClassic);
    // The classic file keeps its eight keys until tolerant loading has been switched on.
    if (FTolerant || FTolerantKeyRead) Ini.WriteBool(SOptions, STolerantLoading, FTolerant);
    Ini.UpdateFile();
}

void TFormOstrel::FormCloseQuery() {
    FWindowMaximized = isMaximized();
    const TOstrelPaths P = Paths();
    const std::string Chosen = ChooseOptionsFile(P);
    try {
        WriteOptions(Chosen);
    } catch (const std::exception& E) {
        // The folder may have become unwritable since the start: the user's own folder then.
        bool Saved = false;
        if (!P.FallbackOptionsFile.empty() && Chosen != P.FallbackOptionsFile) {
            try {
                WriteOptions(P.FallbackOptionsFile);
                // Saved only where the next start reads them; else the user hears of it.
                Saved = OptionsFileToRead(P) == P.FallbackOptionsFile;
            } catch (const std::exception&) {
            }
        }
        if (!Saved) ShowInfoMessage(E.what());
    }
}

void TFormOstrel::closeEvent(QCloseEvent* Event) {
    FormCloseQuery();
    Event->accept();
}

void TFormOstrel::SetAppTitle(const QString& Title) {
    FAppTitle = Title;
    // Not Qt's application display name: Qt appends that to the title of every other window.
    SetApplicationTitle(QStringToAnsi(Title));
}

void TFormOstrel::PlaceAtStoredPosition() {
    // The form compiler keeps the stored size only; the position is set here, within the work area,
    // and is where a window that starts in its normal size (or is restored) appears.
    PlaceFormInWorkArea(this, kStoredPos);
}

QLabel* TFormOstrel::StatusPanel(int Panel) const {
    return Panel >= 0 && Panel < 5 ? FStatusPanels[Panel] : nullptr;
}

QString TFormOstrel::StatusText(int Panel) const {
    const QLabel* L = StatusPanel(Panel);
    return L ? L->text() : QString();
}

void TFormOstrel::SetStatusText(int Panel, const std::string& Text) {
    if (QLabel* L = StatusPanel(Panel)) L->setText(AnsiToQString(Text));
}

void TFormOstrel::FocusView() {
    if (FView && FView->isVisible() && FView->isEnabled()) FView->setFocus();
}

void TFormOstrel::LoadFile(const std::string& Path) {
    if (FLoading) {
        // Asked while a load runs, as by a drop that arrives meanwhile: a load inside it would clear
        // the index that the worker is filling. The last path asked for opens after the load.
        FQueuedLoad = Path;
        return;
    }
    FLoading = true;
    struct TLoadingScope {
        TFormOstrel& Form;
        ~TLoadingScope() {
            Form.FLoading = false;
            if (!Form.FQueuedLoad) return;
            const std::string Next = *std::exchange(Form.FQueuedLoad, std::nullopt);
            QTimer::singleShot(0, &Form, [F = &Form, Next] { Guarded([&] { F->LoadFile(Next); }); });
        }
    } Scope{*this};

    FUi->StaticTextFound->clear();
    FPtrList->Clear();
    FView->DataChanged();
    for (int I = 0; I < 4; ++I) SetStatusText(I, "");
    FFormatPanel->clear();
    ShowCheckResult(std::nullopt);
    // The emptied window is painted before the load; input waits, so no command can start meanwhile.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);

    if (!FileExists(Path)) {
        SetAppTitle(AnsiToQString(SAppTitle));
        FCurrentFile.clear();
        FUi->cmRefresh->setEnabled(false);
        FUi->cmToggleCodierung->setEnabled(false);
    } else {
        FCurrentFile = Path;
        FLastDirectory = ExtractFilePath(Path);
        SetAppTitle(AnsiToQString(SAppTitle) + QLatin1String(" - [") + FromNative(Path) + QLatin1Char(']'));
        {
            TUpdateBracket Bracket(*FPtrList);
            if (ExecuteLoadFile(Path, FPtrList)) {
                SetStatusText(0, LineCountText(FPtrList->Count()));
                SetStatusText(1, FileSizeText(FPtrList->FileSize(), FormatSettings()));
                SetStatusText(2, DeclaredCodierungText(FPtrList->FileCodierung()));
                FFormatPanel->setText(AnsiToQString(FPtrList->Format().Label));
                ShowCheckResult(std::move(FLoadCheck));
            } else {
                FPtrList->Clear();
                SetAppTitle(AnsiToQString(SAppTitle));
            }
        }
        FView->DataChanged();
        FView->setFocus();
        FUi->cmRefresh->setEnabled(true);
        if (FClassic) {
            FUi->cmToggleCodierung->setEnabled(FView->Codierung() == 0);
            if (FUi->cmToggleCodierung->isEnabled()) cmToggleCodierungClick();
        } else {
            // The set the file declares, implies or shows by its bytes; the toggle whenever 9106 is absent.
            FUi->cmToggleCodierung->setEnabled(FPtrList->FileCodierung() == 0);
            ApplyCodierungChoice();
        }
    }
    setWindowTitle(FAppTitle);
    UpdateSearchEnabled();
    FCheckFileAction->setEnabled(!FCurrentFile.empty() && FPtrList->FileOpen());
}

bool TFormOstrel::ExecuteLoadFile(const std::string& Path, std::unique_ptr<TFileXDTPtrList>& List) {
    TLoadFileThread Thread(Path, List, FBeforeLoad, {FTolerant, FKlassisch, AutoCheckBelow});
    const std::string Caption = "Lade Datei \"" + QStringToAnsi(FromNative(Path)) + "\"...";
    const bool Done = Thread.RunModal(Caption, 0, false, true);
    FLoadCheck = std::move(Thread.CheckResult());
    return Done;
}

void TFormOstrel::UpdateSearchEnabled() {
    const bool HasLines = FPtrList && FPtrList->Count() > 0;
    FUi->cmSearch->setEnabled(HasLines);
    FUi->cmSearchAgain->setEnabled(HasLines);
    FUi->ButtonSearch->setEnabled(HasLines);
    FUi->ButtonSearchNext->setEnabled(HasLines);
}

void TFormOstrel::ShowFoundLine() {
    if (FView->FoundLine() > 0)
        FUi->StaticTextFound->setText(QStringLiteral("Gefunden in Zeile: %1").arg(FView->FoundLine()));
    else
        FUi->StaticTextFound->clear();
}

// ---------------------------------------------------------------------------------------------------
// Commands

void TFormOstrel::cmExitClick() {
    close();
}

void TFormOstrel::cmOpenClick() {
    QFileDialog Dlg(this);
    // Qt's own dialog: the platform's may ignore the detail view.
    Dlg.setOption(QFileDialog::DontUseNativeDialog, true);
    Dlg.setFileMode(QFileDialog::ExistingFile);
    Dlg.setAcceptMode(QFileDialog::AcceptOpen);
    Dlg.setViewMode(QFileDialog::Detail);
    Dlg.setDirectory(FromNative(FLastDirectory));
    const QStringList Filters = OpenDialogFilters();
    Dlg.setNameFilters(Filters);
    Dlg.selectNameFilter(Filters.value(FLastFileType - 1, Filters.first()));
    if (Dlg.exec() == QDialog::Accepted && !Dlg.selectedFiles().isEmpty()) {
        const qsizetype Index = Filters.indexOf(Dlg.selectedNameFilter());
        if (Index >= 0) FLastFileType = int(Index) + 1;
        LoadFile(ToNative(Dlg.selectedFiles().first()));
    }
    FocusView();
}

void TFormOstrel::cmFontClick() {
    QFontDialog Dlg(FView->font(), this);
    Dlg.setOptions(QFontDialog::MonospacedFonts | QFontDialog::DontUseNativeDialog);
    if (Dlg.exec() == QDialog::Accepted) FView->setFont(Dlg.selectedFont());
    FocusView();
}

void TFormOstrel::cmToggleCodierungClick() {
    const int N = FView->Codierung();
    // The classic cycle runs through the four declarable sets; the extended one adds ANSI and UTF-8.
    const int Sets = FClassic ? cdLast : cdModernLast;
    int M = (N + 1) % (Sets + 1);
    if (M == 0) M = 1;
    if (M != N) {
        FView->SetCodierung(M);
        SetStatusText(3, CodierungInUseText(FView->Codierung()));
    }
    FocusView();
}

void TFormOstrel::CreateExtensionActions() {
    FFormatPanel = new QLabel(this);
    FFormatPanel->setObjectName(QStringLiteral("StatusPanelFormat"));
    FFormatPanel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    FFormatPanel->setTextFormat(Qt::PlainText);
    FFormatPanel->setMinimumWidth(90);
    FUi->StatusBar->addPermanentWidget(FFormatPanel);

    FClassicAction = new QAction(AnsiToQString("Klassische Anzeige"), this);
    FClassicAction->setObjectName(QStringLiteral("cmClassicView"));
    FClassicAction->setCheckable(true);
    FUi->cmViewMenu->addSeparator();
    FUi->cmViewMenu->addAction(FClassicAction);
    connect(FClassicAction, &QAction::triggered, this, [this] { Guarded([this] { cmClassicViewClick(); }); });
}

bool TFormOstrel::ClassicByDefault() {
    return qEnvironmentVariableIntValue("OSTREL_KLASSISCH") != 0;
}

void TFormOstrel::SetClassic(bool Value) {
    FClassic = Value;
    FClassicAction->setChecked(Value);
    FFormatPanel->setVisible(!Value);
    FView->SetClassic(Value);
    SetKlassisch(Value);
}

void TFormOstrel::ApplyCodierungChoice() {
    const TCodierungChoice C = ChooseCodierung(*FPtrList, FClassic);
    FView->SetCodierung(C.Codierung);
    SetStatusText(3, CodierungInUseText(FView->Codierung(), C.Why));
}

void TFormOstrel::cmClassicViewClick() {
    SetClassic(FClassicAction->isChecked());
    // The character set follows the mode's own rule, as after a load.
    if (!FCurrentFile.empty() && FView->HasData()) {
        if (FClassic) {
            FUi->cmToggleCodierung->setEnabled(FView->Codierung() == 0);
            SetStatusText(3, "");
            if (FUi->cmToggleCodierung->isEnabled()) cmToggleCodierungClick();
        } else {
            FUi->cmToggleCodierung->setEnabled(FPtrList->FileCodierung() == 0);
            ApplyCodierungChoice();
        }
    }
    FocusView();
}

void TFormOstrel::cmShowCommentsClick() {
    // The check item has already changed its mark when it is triggered.
    const int Before = FView->Codierung();
    FView->SetShowComments(FUi->cmShowComments->isChecked());
    KeepCodierung(Before);
    ShowCodierungInUse(Before);
    FocusView();
}

// A column switch lays the view out anew, which returns it to the declared set; the extended view
// keeps the set the user reads the file in.
void TFormOstrel::KeepCodierung(int InUse) {
    if (!FClassic && FView->Codierung() != InUse) FView->SetCodierung(InUse);
}

void TFormOstrel::cmShowFeldArtNameClick() {
    const int Before = FView->Codierung();
    FView->SetShowFeldArtName(FUi->cmShowFeldArtName->isChecked());
    KeepCodierung(Before);
    ShowCodierungInUse(Before);
    FocusView();
}

void TFormOstrel::ShowCodierungInUse(int Before) {
    // A column switch makes the view take the file's declared set again; panel 3 names the set in
    // use, so it follows when that changes the set, by the rule of the toggle command.
    if (FView->Codierung() != Before) SetStatusText(3, CodierungInUseText(FView->Codierung()));
}

void TFormOstrel::cmRefreshClick() {
    if (!FCurrentFile.empty()) LoadFile(FCurrentFile);
    FocusView();
}

void TFormOstrel::cmSearchClick() {
    if (!ExecuteSearchDlg(this, FView, ApplicationTitle())) return;
    FView->FindNext();
    ShowFoundLine();
    FocusView();
}

void TFormOstrel::cmSearchAgainClick() {
    if (FView->SearchRec().SearchMode != smNone) {
        FView->FindNext();
        ShowFoundLine();
    } else {
        cmSearchClick();
    }
    FocusView();
}

void TFormOstrel::cmInfoClick() {
    ShowAbout();
}

// ---------------------------------------------------------------------------------------------------
// The extensions: tolerant loading and the check report

void TFormOstrel::AddExtensionCommands() {
    FCheckFileAction = new QAction(AnsiToQString("Datei pr\xFC"
                                                 "fen"),
                                   this);
    FCheckFileAction->setObjectName(QStringLiteral("cmCheckFile"));
    FCheckFileAction->setShortcut(QKeySequence(QStringLiteral("Ctrl+P")));
    FCheckFileAction->setEnabled(false);
    FUi->cmFileMenu->insertAction(FUi->cmFileMenu->actions().value(1), FCheckFileAction); // after "Öffnen"
    connect(FCheckFileAction, &QAction::triggered, this, [this] { Guarded([this] { cmCheckFileClick(); }); });

    FTolerantAction = new QAction(AnsiToQString("Ung\xFCltige Zeilen \xFC"
                                                "berspringen"),
                                  this);
    FTolerantAction->setObjectName(QStringLiteral("cmTolerantLoading"));
    FTolerantAction->setCheckable(true);
    // After the column switches, before the separator that precedes the refresh command.
    QAction* Before = nullptr;
    for (QAction* A : FUi->cmViewMenu->actions())
        if (A->objectName() == QLatin1String("N1")) Before = A;
    FUi->cmViewMenu->insertAction(Before, FTolerantAction);
    connect(FTolerantAction, &QAction::triggered, this,
            [this] { Guarded([this] { cmTolerantLoadingClick(); }); });
}

void TFormOstrel::SetKlassisch(bool Value) {
    FKlassisch = Value;
    FCheckFileAction->setVisible(!Value);
    FTolerantAction->setVisible(!Value);
    StatusPanel(4)->setVisible(!Value);
    if (Value) {
        ShowCheckResult(std::nullopt);
        if (FCheckPanel) FCheckPanel->hide();
    }
}

void TFormOstrel::ShowCheckResult(std::optional<TCheckResult> Result) {
    FCheckResult = std::move(Result);
    SetStatusText(4, FCheckResult ? CheckCountText(FCheckResult->Errors, FCheckResult->Warnings)
                                  : std::string());
    if (!FCheckPanel) return;
    if (FCheckResult)
        FCheckPanel->SetResult(*FCheckResult);
    else
        FCheckPanel->SetNoResult("Nicht gepr\xFC"
                                 "ft.");
}

void TFormOstrel::ShowLine(int Entry) {
    if (Entry >= 0) FView->SetTopLine(Entry);
}

void TFormOstrel::cmCheckFileClick() {
    if (FKlassisch || !FPtrList->FileOpen()) return;
    {
        TCheckFileThread Thread(*FPtrList);
        const std::string Caption = "Pr\xFC"
                                    "fe Datei \"" +
                                    QStringToAnsi(FromNative(FCurrentFile)) + "\"...";
        if (!Thread.RunModal(Caption, 0, false, true) || !Thread.Result()) return; // cancelled: as it was
        if (!FCheckPanel) {
            FCheckPanel = new TCheckPanel(this);
            addDockWidget(Qt::RightDockWidgetArea, FCheckPanel);
            resizeDocks({FCheckPanel}, {std::max(360, width() / 3)}, Qt::Horizontal);
            connect(FCheckPanel, &TCheckPanel::EntryChosen, this, [this](int Entry) { ShowLine(Entry); });
        }
        ShowCheckResult(std::move(Thread.Result()));
    }
    FCheckPanel->show();
    FCheckPanel->raise();
    FCheckPanel->View()->setFocus();
}

void TFormOstrel::cmTolerantLoadingClick() {
    FTolerant = FTolerantAction->isChecked();
    // Read the document again the new way.
    if (!FCurrentFile.empty()) LoadFile(FCurrentFile);
    FocusView();
}

// ---------------------------------------------------------------------------------------------------
// Mouse wheel and dropped files

void TFormOstrel::wheelEvent(QWheelEvent* Event) {
    Event->accept();
    // Two lines (columns) per notch; finer wheels add up their parts of a notch, each axis apart.
    auto Notches = [](int Delta, int& Rest) {
        if (Delta == 0) return 0;
        if ((Delta > 0) != (Rest > 0)) Rest = 0;
        Rest += Delta;
        const int N = Rest / 120;
        Rest -= N * 120;
        return N;
    };
    auto Clamp = [](int64_t V) { return int(std::clamp<int64_t>(V, INT32_MIN, INT32_MAX)); };
    // The turning wheel over the horizontal scroll bar moves the columns, as with Ctrl.
    const QWidget* Under = childAt(Event->position().toPoint());
    const bool OverHBar = Under && Under->inherits("QScrollBar") && FView->isAncestorOf(Under) &&
                          Under->property("orientation").value<Qt::Orientation>() == Qt::Horizontal;
    const int Down = Notches(Event->angleDelta().y(), FWheelRest);
    if (Down != 0) {
        const int64_t Step = -2 * int64_t(Down);
        if ((Event->modifiers() & Qt::ControlModifier) || OverHBar)
            FView->SetLeftCol(Clamp(FView->LeftCol() + Step));
        else
            FView->SetTopLine(Clamp(FView->TopLine() + Step));
    }
    // A tilt wheel or a touchpad moves the columns; the window keeps the rest of that axis itself.
    const char* const HRestName = "ostrelHorizontalWheelRest";
    int HRest = property(HRestName).toInt();
    const int Right = Notches(Event->angleDelta().x(), HRest);
    setProperty(HRestName, HRest);
    if (Right != 0) FView->SetLeftCol(Clamp(FView->LeftCol() - 2 * int64_t(Right)));
}

namespace {
QStringList DroppedFiles(const QMimeData* Data) {
    QStringList Files;
    if (!Data || !Data->hasUrls()) return Files;
    for (const QUrl& Url : Data->urls())
        if (Url.isLocalFile()) Files << Url.toLocalFile();
    return Files;
}
} // namespace

void TFormOstrel::dragEnterEvent(QDragEnterEvent* Event) {
    if (!DroppedFiles(Event->mimeData()).isEmpty()) Event->acceptProposedAction();
}

void TFormOstrel::dragMoveEvent(QDragMoveEvent* Event) {
    if (!DroppedFiles(Event->mimeData()).isEmpty()) Event->acceptProposedAction();
}

void TFormOstrel::dropEvent(QDropEvent* Event) {
    const QStringList Files = DroppedFiles(Event->mimeData());
    if (Files.isEmpty()) return;
    Event->acceptProposedAction();
    const std::string Path = ToNative(Files.last());
    if (Path.empty()) return;
    // Opened once the drop has been answered: the load runs its own event loop, which must not hold
    // the dragging program up.
    QTimer::singleShot(0, this, [this, Path] { Guarded([&] { LoadFile(Path); }); });
}
