#include "DlgTools.h"

#include "Ansi.h"

#include <QApplication>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QWidget>
#include <algorithm>
#include <optional>

namespace {
QPointer<QWidget>& MainFormRef() {
    static QPointer<QWidget> Form;
    return Form;
}
std::optional<std::string>& TitleRef() {
    static std::optional<std::string> Title;
    return Title;
}

// Outer size of a window. Its frame is known once the platform window exists, so that is created first.
QSize OuterSize(QWidget* Form) {
    if (Form->isWindow() && !Form->testAttribute(Qt::WA_WState_Created)) Form->winId();
    return Form->frameGeometry().size();
}

// Moves a window so that its outer bounds start at Left, Top; the size stays.
void MoveOuter(QWidget* Form, int Left, int Top) {
    const QRect Outer = Form->frameGeometry();
    if (Outer.topLeft() != QPoint(Left, Top)) Form->move(Left, Top);
}
} // namespace

void SetMainForm(QWidget* Form) {
    MainFormRef() = Form;
}
QWidget* MainForm() {
    return MainFormRef().data();
}
bool MainFormVisible() {
    QWidget* M = MainForm();
    return M && M->isVisible();
}

std::string ApplicationTitle() {
    if (TitleRef()) return *TitleRef();
    return QStringToAnsi(QCoreApplication::applicationName());
}
void SetApplicationTitle(const std::string& Title) {
    TitleRef() = Title;
}

QFont MessageFont() {
    return QApplication::font("QMessageBoxLabel");
}

bool ApplicationMinimized() {
    QWidget* M = MainForm();
    return M && M->isMinimized();
}

void FlashApplication() {
    if (QWidget* M = MainForm()) QApplication::alert(M, 0);
}

void RestoreApplication() {
    QWidget* M = MainForm();
    if (!M || !M->isMinimized()) return;
    // Minimising keeps the other state bits; clearing only its own bit restores the window as it was,
    // where showNormal() would also undo a maximised state.
    M->setWindowState((M->windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    M->show();
}

bool GetWorkArea(QRect& Area) {
    QScreen* S = QGuiApplication::primaryScreen();
    if (!S) return false;
    Area = S->availableGeometry();
    return Area.isValid();
}

QRect FitRectIntoArea(QRect R, const QRect& Area) {
    R.setWidth(std::min(R.width(), Area.width()));
    R.setHeight(std::min(R.height(), Area.height()));
    R.moveTo(std::clamp(R.left(), Area.left(), Area.left() + Area.width() - R.width()),
             std::clamp(R.top(), Area.top(), Area.top() + Area.height() - R.height()));
    return R;
}

void PlaceFormInWorkArea(QWidget* Form, const QPoint& TopLeft) {
    if (!Form) return;
    const QSize Outer = OuterSize(Form);
    const QSize Frame = Outer - Form->size();
    QRect R(TopLeft, Outer);
    QRect Area;
    if (GetWorkArea(Area)) R = FitRectIntoArea(R, Area);
    Form->resize(R.size() - Frame);
    MoveOuter(Form, R.left(), R.top());
}

void CenterFormOnWorkArea(QWidget* Form) {
    QRect Area;
    if (!Form || !GetWorkArea(Area)) return;
    const QSize Size = OuterSize(Form);
    // Integer halving of the sums, with the exclusive right and bottom edges.
    const int Left = (Area.left() + (Area.left() + Area.width()) - Size.width()) / 2;
    const int Top = (Area.top() + (Area.top() + Area.height()) - Size.height()) / 2;
    MoveOuter(Form, Left, Top);
}

void CenterFormOnScreen(QWidget* Form) {
    QScreen* S = QGuiApplication::primaryScreen();
    if (!Form || !S) return;
    const QRect Screen = S->geometry();
    const QSize Size = OuterSize(Form);
    MoveOuter(Form, Screen.left() + Screen.width() / 2 - Size.width() / 2,
              Screen.top() + Screen.height() / 2 - Size.height() / 2);
}

void CenterFormOnForm(QWidget* Form, QWidget* Reference) {
    if (!Form || !Reference) return;
    if (Reference->isWindow() && !Reference->testAttribute(Qt::WA_WState_Created)) Reference->winId();
    const QRect Ref = Reference->frameGeometry();
    const QSize Size = OuterSize(Form);
    const int Left = Ref.left() + (Ref.width() - Size.width()) / 2;
    const int Top = Ref.top() + (Ref.height() - Size.height()) / 2;
    QRect Area;
    if (!GetWorkArea(Area)) return;
    const int AreaRight = Area.left() + Area.width();
    const int AreaBottom = Area.top() + Area.height();
    auto Inside = [&](int X, int Y) {
        return Area.left() <= X && X < AreaRight && Area.top() <= Y && Y < AreaBottom;
    };
    if (Inside(Left, Top) && Inside(Left + Size.width(), Top + Size.height()))
        MoveOuter(Form, Left, Top);
    else
        CenterFormOnWorkArea(Form);
}

void PositionForm(QWidget* Form, QWidget* Owner) {
    if (!Form) return;
    if (Owner && Owner->isWindow()) {
        CenterFormOnForm(Form, Owner);
    } else if (MainFormVisible()) {
        CenterFormOnForm(Form, MainForm());
    } else if (Form->isWindow()) {
        CenterFormOnScreen(Form);
    } else {
        CenterFormOnWorkArea(Form);
    }
}
