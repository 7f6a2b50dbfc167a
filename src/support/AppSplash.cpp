#include "AppSplash.h"

#include "Ansi.h"
#include "AppIcon.h"
#include "DlgTools.h"
#include "FramePanel.h"
#include "VerInfo.h"
#include "support/ResStrings.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QUrl>
#include <algorithm>
#include <cstring>

// OSTREL_HOMEPAGE and OSTREL_EMAIL come from the build (CMake cache variables of the same names).

namespace {

// The texts of the version resource, or what stands in for them.
struct TAboutTexts {
    std::string Title, Version, Legal;
};

TAboutTexts ReadTexts(const std::string& FileName) {
    TAboutTexts T;
    const TFileVersionInfo Info(FileName); // not kept beyond this point
    const std::string Version = Info.FileVersionText();
    if (!Version.empty()) T.Version = std::string(SVersion) + " " + Version;
    if (Info.TranslationCount() > 0) {
        T.Title = Info.GetProductName(0);
        T.Legal = Info.GetLegalText(0);
    }
    if (T.Title.empty()) T.Title = ApplicationTitle();
    if (T.Title.empty()) T.Title = QStringToAnsi(QFileInfo(QFile::decodeName(FileName.c_str())).fileName());
    return T;
}

// "abc" -> "a b c": the address lines spell their address out.
std::string SpelledOut(const std::string& S) {
    std::string R;
    for (char C : S) {
        if (!R.empty()) R += ' ';
        R += C;
    }
    return R;
}

QString HomePageSetting() {
    return QString::fromUtf8(OSTREL_HOMEPAGE).trimmed();
}

QString EmailSetting() {
    QString S = QString::fromUtf8(OSTREL_EMAIL).trimmed();
    if (S.startsWith(QLatin1String("mailto:"), Qt::CaseInsensitive)) S.remove(0, 7);
    return S;
}

void OpenDesktopTarget(const QUrl& Url) {
    // Whether the target could be opened is not reported.
    QDesktopServices::openUrl(Url);
}

constexpr int ButtonWidth = 75, ButtonHeight = 25;

} // namespace

QUrl HomePageUrl() {
    const QString S = HomePageSetting();
    return S.isEmpty() ? QUrl() : QUrl::fromUserInput(S);
}

QUrl EmailUrl() {
    const QString S = EmailSetting();
    return S.isEmpty() ? QUrl() : QUrl(QLatin1String("mailto:") + S);
}

std::string HomePageLine() {
    QString S = HomePageSetting();
    if (S.isEmpty()) return {};
    // The address as people write it: without the scheme and the final slash.
    for (const char* Scheme : {"https://", "http://"})
        if (S.startsWith(QLatin1String(Scheme), Qt::CaseInsensitive)) {
            S.remove(0, int(std::strlen(Scheme)));
            break;
        }
    while (S.endsWith(QLatin1Char('/'))) S.chop(1);
    return "Homepage:      " + SpelledOut(QStringToAnsi(S));
}

std::string EmailLine() {
    const QString S = EmailSetting();
    if (S.isEmpty()) return {};
    return "E-Mail:      " + SpelledOut(QStringToAnsi(S));
}

TAppSplashForm::TAppSplashForm(QWidget* Owner, const std::vector<std::string>* ExtraLines, bool AboutMode,
                               bool ShowHomePage, bool ShowEmail, const std::string& VersionFile,
                               std::function<void(const QUrl&)> OpenUrl)
    : QDialog(Owner) {
    if (!OpenUrl) OpenUrl = OpenDesktopTarget;
    setFont(MessageFont());
    const int Frame = AboutMode ? 0 : 8;
    if (AboutMode) {
        setWindowTitle(AnsiToQString(SInfo));
        setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                       Qt::WindowCloseButtonHint);
    } else {
        setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    }

    // The lines, top to bottom.
    const std::string FileName =
        VersionFile.empty() ? QFile::encodeName(QCoreApplication::applicationFilePath()).toStdString()
                            : VersionFile;
    const TAboutTexts Texts = ReadTexts(FileName);
    std::vector<std::string> Lines{Texts.Title};
    if (!Texts.Version.empty()) Lines.push_back(Texts.Version);
    if (!Texts.Legal.empty()) Lines.push_back(Texts.Legal);
    const std::string Home = HomePageLine(), Mail = EmailLine();
    if (ShowHomePage && !Home.empty()) Lines.push_back(Home);
    if (ShowEmail && !Mail.empty()) Lines.push_back(Mail);
    if (ExtraLines) Lines.insert(Lines.end(), ExtraLines->begin(), ExtraLines->end());
    if (!AboutMode) Lines.push_back(SInitialisierung);
    // Only the first line showing an address reacts to clicks.
    auto FirstOf = [&](const std::string& S) {
        if (S.empty()) return -1;
        const auto It = std::find(Lines.begin(), Lines.end(), S);
        return It == Lines.end() ? -1 : int(It - Lines.begin());
    };
    const int HomeAt = FirstOf(Home), MailAt = FirstOf(Mail);

    const int N = int(Lines.size());
    std::vector<TBrenloSinglePanel*> Panels;
    for (int I = 0; I < N; ++I) {
        auto* P = new TBrenloSinglePanel(this);
        P->setObjectName(QStringLiteral("SPanel%1").arg(I + 1));
        P->SetCaption(Lines[size_t(I)]);
        P->SetColor(QColor(255, 255, 255));
        QFont F(QStringLiteral("Arial"));
        P->setFont(F);
        P->SetFontColor(QColor(0, 0, 128));
        P->SetLayout(tlCenter);
        P->SetShowAccelChar(false);
        P->SetAutoHeight(true);
        if (I == 0) {
            P->SetColor(QColor(128, 128, 128));
            P->SetTop(0);
            P->SetAlignment(taLeftJustify);
            // The largest size at which the name fits 400 pixels, in steps of 2 from 36 down to 8.
            F.setPointSize(36);
            P->setFont(F);
            while (F.pointSize() >= 10 && P->NeededWidth() > 400) {
                F.setPointSize(F.pointSize() - 2);
                P->setFont(F);
            }
            F.setBold(true);
            P->setFont(F);
            P->SetShadowColor(Qt::white);
            P->SetShadowWidth(1);
            const QPixmap Icon = AppIconPixmap(32);
            FIconImage = new QLabel(P);
            FIconImage->setObjectName(QStringLiteral("Image"));
            FIconImage->setPixmap(Icon);
            FIconImage->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            FIconImage->setGeometry(QRect(P->ClientRect().topLeft(), QSize(Icon.width() + 2 * IconMargin,
                                                                           Icon.height() + 2 * IconMargin)));
            P->SetTextLeft(FIconImage->width());
            P->SetTextRight(IconMargin);
        } else {
            P->SetTop(Panels.back()->y() + 1); // below the previous line
            F.setPointSize(!AboutMode && I == N - 1 ? 14 : 10);
            P->setFont(F);
            P->SetAlignment(taCenter);
            if (I == HomeAt || I == MailAt) {
                F.setPointSize(10);
                F.setBold(true);
                P->setFont(F);
                P->SetFontColor(QColor(0, 0, 255));
                P->setCursor(Qt::PointingHandCursor);
                const QUrl Target = I == HomeAt ? HomePageUrl() : EmailUrl();
                connect(P, &TBaseCustomPanel::Clicked, this, [Target, OpenUrl] { OpenUrl(Target); });
            }
        }
        P->SetAlign(alTop);
        P->SetBorderColor(QColor(0, 0, 255));
        P->SetBorderLeft(Frame);
        P->SetBorderRight(Frame);
        P->SetBorderTop(I == 0 ? Frame : 0);
        P->SetBorderBottom(I == N - 1 ? Frame : 0);
        if (AboutMode) {
            P->SetTextTop(0);
            P->SetTextBottom(0);
        }
        Panels.push_back(P);
    }

    int PanelWidth = 0;
    for (const TBrenloSinglePanel* P : Panels) PanelWidth = std::max(PanelWidth, P->NeededWidth());

    // The title line is at least as high as the icon area; the icon sits in the middle of that area.
    TBrenloSinglePanel* Title = Panels.front();
    const int TitleClient = Title->ClientRect().height();
    if (TitleClient < FIconImage->height())
        Title->SetHeight(Title->height() + FIconImage->height() - TitleClient);
    else
        FIconImage->resize(FIconImage->width(), TitleClient);
    FIconImage->move(Title->ClientRect().topLeft());
    FIconImage->setAlignment(Qt::AlignCenter);
    int StackHeight = 0;
    for (const TBrenloSinglePanel* P : Panels) StackHeight += P->height();

    int ClientWidth = PanelWidth, ClientHeight = StackHeight;
    if (AboutMode) {
        FOkButton = new QPushButton(AnsiToQString(SMsgDlgOK), this);
        FOkButton->setObjectName(QStringLiteral("OkBtn"));
        FOkButton->setDefault(true);
        connect(FOkButton, &QPushButton::clicked, this, &QDialog::accept);
        ClientWidth = std::max(PanelWidth, ButtonWidth + 16);
        ClientHeight = StackHeight + ButtonHeight + 16;
        FOkButton->setGeometry((ClientWidth - ButtonWidth) / 2, StackHeight + 8, ButtonWidth, ButtonHeight);
        FOkButton->setFocus();
    }
    setFixedSize(ClientWidth, ClientHeight);
    AlignPanels(this); // the panels take the new width now, not only once the window is shown

    PositionForm(this, nullptr);
}

void TAppSplashForm::keyPressEvent(QKeyEvent* E) {
    // The OK button is the cancel button too: Escape closes the window with OK.
    if (E->key() == Qt::Key_Escape && !(E->modifiers() & ~Qt::KeypadModifier) && FOkButton &&
        FOkButton->isEnabled() && FOkButton->isVisible()) {
        E->accept();
        FOkButton->click();
        return;
    }
    QDialog::keyPressEvent(E);
}

void ShowAbout(const std::vector<std::string>* ExtraLines) {
    TAppSplashForm Form(nullptr, ExtraLines, true, true, true);
    Form.exec();
}
