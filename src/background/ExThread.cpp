#include "ExThread.h"

#include "SpecDlgs.h"
#include "support/Ansi.h"
#include "support/DlgTools.h"
#include "support/Exceptions.h"
#include "support/FramePanel.h"
#include "support/ResStrings.h"
#include "support/WinText.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QCoreApplication>
#include <QProgressBar>
#include <QPushButton>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <utility>

namespace {
// The worker's request to close the window; not one of the public message numbers.
QEvent::Type CloseRequestEvent() {
    static const QEvent::Type Type = QEvent::Type(QEvent::registerEventType());
    return Type;
}
} // namespace

// ---------------------------------------------------------------------------------------------------
// TThreadInfoEvent

TThreadInfoEvent::TThreadInfoEvent(int Message, int WParam, int LParam)
    : QEvent(QEvent::Type(Message)), FWParam(WParam), FLParam(LParam) {}

TThreadInfoEvent* TThreadInfoEvent::SetText(int Index, std::string Text) {
    auto* E = new TThreadInfoEvent(WM_THREADINFO_SETTEXT, Index, 0);
    E->FText = std::make_unique<std::string>(std::move(Text));
    return E;
}

TThreadInfoEvent* TThreadInfoEvent::SetRange(int Low, int High) {
    return new TThreadInfoEvent(WM_THREADINFO_SETRANGE, Low, High);
}

TThreadInfoEvent* TThreadInfoEvent::SetPos(int Value) {
    return new TThreadInfoEvent(WM_THREADINFO_SETPOS, 0, Value);
}

// ---------------------------------------------------------------------------------------------------
// TThreadInfoForm

TThreadInfoForm::TThreadInfoForm(const std::string& Caption, int ExtraLines, bool ShowProgress,
                                 bool AllowCancel)
    : QDialog(nullptr), FCanCancel(AllowCancel) {
    setFont(MessageFont());
    setWindowTitle(AnsiToQString(SMsgDlgInformation));
    setLayoutDirection(QGuiApplication::layoutDirection());
    // Single border, not resizable; system menu and minimise; Close only when cancelling is allowed.
    Qt::WindowFlags Flags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                            Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint;
    if (AllowCancel) Flags |= Qt::WindowCloseButtonHint;
    setWindowFlags(Flags);

    const TAverageChar Avg = MeasureAverageChar(font());
    const int MarginX = DialogUnitsX(8, Avg);
    const int MarginY = DialogUnitsY(8, Avg);
    int ButtonWidth = 0, ButtonHeight = 0;
    if (AllowCancel) {
        ButtonWidth = DialogUnitsX(64, Avg);
        ButtonHeight = DialogUnitsY(16, Avg);
        const int W = WinTextExtent(font(), AnsiToQString(SMsgDlgCancel), dtSingleLine).width();
        if (W + 8 > ButtonWidth) ButtonWidth = W + 8;
    }
    // The final width first, so that the caption is fitted at the width it is shown with.
    const int ClientWidth = std::max(480, 2 * MarginX + ButtonWidth);
    resize(ClientWidth, height());

    for (int I = 0; I <= ExtraLines; ++I) {
        auto* Panel = new TBrenloPanel(this);
        Panel->setObjectName(QStringLiteral("Panel%1").arg(I));
        Panel->SetAutoHeight(true);
        Panel->SetAlign(alTop);
        if (I == 0) {
            Panel->SetWordWrap(true);
            Panel->SetSingleLine(false);
            Panel->SetLayout(tlCenter);
            Panel->SetCaption(Caption);
            QFont Bold = Panel->font();
            Bold.setBold(true);
            Panel->setFont(Bold);
            Panel->SetAlignment(taCenter);
            Panel->SetTop(0);
            Panel->FitHeightToText();
        } else {
            const TBrenloPanel* Prev = FPanels.back();
            Panel->SetWordWrap(false);
            Panel->SetSingleLine(true);
            Panel->SetTop(Prev->y() + Prev->height() + 1);
            Panel->SetBevelType(btSunken);
            Panel->SetBevelKind(bkFlat);
            Panel->SetBevelEdges(beAll);
        }
        FPanels.push_back(Panel);
    }

    int Content = 0;
    for (const TBrenloPanel* P : FPanels) Content += P->height();
    if (ShowProgress) {
        FProgress = new QProgressBar(this);
        FProgress->setObjectName(QStringLiteral("Progress"));
        FProgress->setRange(0, 1024);
        FProgress->setValue(0);
        FProgress->setTextVisible(false);
        const int Top =
            FPanels.empty() ? MarginY / 2 : FPanels.back()->y() + FPanels.back()->height() + MarginY / 2;
        FProgress->setGeometry(2, Top, ClientWidth - 4, FProgress->sizeHint().height());
        Content += FProgress->height() + MarginY / 2;
    }

    int ClientHeight;
    if (AllowCancel) {
        ClientHeight = Content + ButtonHeight + 2 * MarginY;
        FCancelButton = new QPushButton(AnsiToQString(SMsgDlgCancel), this);
        FCancelButton->setObjectName(QStringLiteral("Cancel"));
        FCancelButton->setAutoDefault(false);
        FCancelButton->setDefault(true);
        FCancelButton->setGeometry((ClientWidth - ButtonWidth) / 2, Content + MarginY, ButtonWidth,
                                   ButtonHeight);
        connect(FCancelButton, &QPushButton::clicked, this, &TThreadInfoForm::reject);
        FCancelButton->setFocus();
    } else {
        ClientHeight = Content + MarginY / 2;
    }
    setFixedSize(ClientWidth, ClientHeight);

    if (MainFormVisible())
        CenterFormOnForm(this, MainForm());
    else
        CenterFormOnScreen(this);
}

TThreadInfoForm::~TThreadInfoForm() = default;

void TThreadInfoForm::UpdateLayout() {
    const TAverageChar Avg = MeasureAverageChar(font());
    const int MarginY = DialogUnitsY(8, Avg);
    int Content = 0;
    for (const TBrenloPanel* P : FPanels) Content += P->height();
    if (FProgress) {
        FProgress->move(FProgress->x(), Content + MarginY / 2);
        Content += MarginY / 2 + FProgress->height();
    }
    int ClientHeight;
    if (FCancelButton && FCancelButton->isEnabled()) {
        FCancelButton->move(FCancelButton->x(), Content + MarginY);
        ClientHeight = Content + DialogUnitsY(16, Avg) + 2 * MarginY;
    } else {
        ClientHeight = Content + MarginY / 2;
    }
    setFixedSize(width(), ClientHeight);
}

void TThreadInfoForm::PostCloseRequest() {
    QCoreApplication::postEvent(this, new QEvent(CloseRequestEvent()));
}

int TThreadInfoForm::ScaledPosition(int64_t Value, int Low, int64_t Span) {
    if (Span == 0) return ThreadInfoProgressScale;
    // Quotient first, as the scale was always computed; the bar keeps positions inside its range.
    double Pos = double(ThreadInfoProgressScale) / double(Span) * double(Value - Low);
    Pos = std::clamp(Pos, 0.0, double(ThreadInfoProgressScale));
    return int(std::nearbyint(Pos)); // halves to even
}

bool TThreadInfoForm::event(QEvent* E) {
    const int Type = E->type();
    if (Type == CloseRequestEvent()) {
        done(QDialog::Accepted);
        return true;
    }
    switch (Type) {
    case WM_THREADINFO_SETTEXT: {
        auto* Info = static_cast<TThreadInfoEvent*>(E);
        const std::unique_ptr<std::string> Text = Info->TakeText(); // freed here in every case
        const int Index = Info->WParam();
        if (Text && Index >= 0 && Index < int(FPanels.size())) FPanels[Index]->SetCaption(*Text);
        return true;
    }
    case WM_THREADINFO_SETRANGE: {
        auto* Info = static_cast<TThreadInfoEvent*>(E);
        FRangeLow = Info->WParam();
        FRangeHigh = Info->LParam();
        FRangeSpan = int64_t(FRangeHigh) - FRangeLow;
        if (FProgress) {
            FProgress->setRange(0, ThreadInfoProgressScale);
            FProgress->setValue(0);
        }
        return true;
    }
    case WM_THREADINFO_SETPOS: {
        auto* Info = static_cast<TThreadInfoEvent*>(E);
        if (FProgress) FProgress->setValue(ScaledPosition(Info->LParam(), FRangeLow, FRangeSpan));
        return true;
    }
    default:
        return QDialog::event(E);
    }
}

void TThreadInfoForm::changeEvent(QEvent* E) {
    // Minimising the progress window minimises the whole application.
    if (E->type() == QEvent::WindowStateChange && isMinimized()) {
        QWidget* Main = MainForm();
        if (Main && Main != this && Main->isVisible() && !Main->isMinimized()) Main->showMinimized();
    }
    QDialog::changeEvent(E);
}

void TThreadInfoForm::reject() {
    if (FCanCancel) QDialog::reject();
}

// ---------------------------------------------------------------------------------------------------
// TExecuteThread

// Receives the worker's wake-ups in the user-interface thread.
class TUiLink : public QObject {
public:
    explicit TUiLink(TExecuteThread* Owner) : FOwner(Owner) {}
    static QEvent::Type WakeType() {
        static const QEvent::Type Type = QEvent::Type(QEvent::registerEventType());
        return Type;
    }

protected:
    bool event(QEvent* E) override {
        if (E->type() != WakeType()) return QObject::event(E);
        FOwner->ServeRequests();
        return true;
    }

private:
    TExecuteThread* FOwner;
};

TExecuteThread::TExecuteThread()
    : FWakeEvent(new QEvent(TUiLink::WakeType())), FUiThread(QThread::currentThread()),
      FUiContext(std::make_unique<TUiLink>(this)) {}

TExecuteThread::~TExecuteThread() {
    if (FRunStarted) FRunEndedEvent.WaitFor(-1);
    if (FThread.joinable()) FThread.join();
    FUiContext.reset(); // drops a wake-up still on its way
    delete FWakeEvent;
}

bool TExecuteThread::CheckCancelled(int WaitMs) {
    return Terminated() || FCancelEvent.WaitFor(WaitMs);
}

void TExecuteThread::RequestCancel() {
    {
        std::lock_guard<std::mutex> L(FLock);
        FInfoForm = nullptr;
        SetTerminated();
        FCancelEvent.Set();
    }
    if (QThread::currentThread() == FUiThread) QThread::yieldCurrentThread();
}

template <class F> void TExecuteThread::Request(F&& Fill) {
    QEvent* Wake = nullptr;
    {
        std::lock_guard<std::mutex> L(FLock);
        if (!Fill()) return;
        Wake = std::exchange(FWakeEvent, nullptr);
    }
    if (Wake) QCoreApplication::postEvent(FUiContext.get(), Wake);
}

void TExecuteThread::ServeRequests() {
    std::vector<TInfoMessage> Messages;
    bool Close, Report;
    TThreadInfoForm* Form;
    {
        std::lock_guard<std::mutex> L(FLock);
        if (!FWakeEvent) FWakeEvent = new QEvent(TUiLink::WakeType());
        Messages.swap(FInfoMessages);
        Close = std::exchange(FCloseRequested, false);
        Report = std::exchange(FReportRequested, false);
        Form = FInfoForm;
    }
    if (Form) {
        for (TInfoMessage& M : Messages) {
            std::unique_ptr<TThreadInfoEvent> E(M.Message == WM_THREADINFO_SETTEXT
                                                    ? TThreadInfoEvent::SetText(M.WParam, std::move(M.Text))
                                                    : new TThreadInfoEvent(M.Message, M.WParam, M.LParam));
            QCoreApplication::sendEvent(Form, E.get());
        }
        if (Close) Form->done(QDialog::Accepted);
    }
    if (Report) {
        SyncShowWorkError();
        FReportDone.Set();
    }
}

// Messages are queued only while a window is attached, as a window message would find no window.
void TExecuteThread::PostInfoText(int Index, const std::string& Text) {
    Request([&] {
        if (!FInfoForm) return false;
        FInfoMessages.push_back({WM_THREADINFO_SETTEXT, Index, 0, Text});
        return true;
    });
}
void TExecuteThread::PostInfoRange(int Low, int High) {
    Request([&] {
        if (!FInfoForm) return false;
        FInfoMessages.push_back({WM_THREADINFO_SETRANGE, Low, High, std::string()});
        return true;
    });
}
void TExecuteThread::PostInfoPos(int Value) {
    Request([&] {
        if (!FInfoForm) return false;
        FInfoMessages.push_back({WM_THREADINFO_SETPOS, 0, Value, std::string()});
        return true;
    });
}

void TExecuteThread::InitInfoPanels(const std::vector<TBrenloPanel*>&) {}

void TExecuteThread::ThreadMain() {
    Execute();
    FThreadEnded.Set();
    if (FDispatcher) FDispatcher->wakeUp();
}

void TExecuteThread::Execute() {
    FWorkException = nullptr;
    try {
        DoWork();
    } catch (...) {
        FWorkException = std::current_exception();
    }
    FWorkDone.store(true, std::memory_order_release);
    FDoneEvent.Set();
    CloseInfoForm();
}

void TExecuteThread::CloseInfoForm() {
    // Tested under the lock: a window attached after this finds FWorkDone set and is not shown.
    Request([&] {
        if (!FInfoForm) return false;
        FCloseRequested = true;
        return true;
    });
}

void TExecuteThread::HandleWorkException() {
    FShownException = std::current_exception();
    bool Silent = false;
    if (FShownException) {
        try {
            std::rethrow_exception(FShownException);
        } catch (const EAbort&) {
            Silent = true;
        } catch (...) {
        }
    }
    if (!Silent) {
        if (QThread::currentThread() == FUiThread) {
            SyncShowWorkError();
        } else {
            // Hand the report over and wait until the user-interface thread has shown it. The
            // user-interface thread keeps processing events in every wait of a run, so it comes.
            FReportDone.Reset();
            Request([&] {
                FReportRequested = true;
                return true;
            });
            FReportDone.WaitFor(-1);
        }
    }
    FShownException = nullptr;
}

void TExecuteThread::SyncShowWorkError() {
    try {
        if (QWidget* Grabber = QWidget::mouseGrabber()) Grabber->releaseMouse();
        if (ApplicationMinimized()) {
            FlashApplication();
            QApplication::beep();
        }
        ShowWorkError();
        if (ApplicationMinimized()) RestoreApplication();
    } catch (...) {
        // A failing report must not take the user-interface thread down; the worker goes on.
    }
}

std::string TExecuteThread::WorkErrorText(const std::string& Msg) {
    std::string Text = Msg;
    if (!Text.empty() && static_cast<unsigned char>(Text.back()) > '.') Text += '.';
    return Text;
}

void TExecuteThread::ShowWorkError() {
    std::string Msg = "Unbekannter Fehler.";
    if (FShownException) {
        try {
            std::rethrow_exception(FShownException);
        } catch (const std::exception& E) {
            Msg = WorkErrorText(E.what());
        } catch (...) {
        }
    }
    std::unique_ptr<TMsgForm> Box = CreateMsgDialog(Msg, mkError, {mbOK, mbCancel}, true, {mbOK}, {mbCancel});
    Box->setWindowTitle(AnsiToQString(ApplicationTitle()));
    Box->setWindowModality(Qt::ApplicationModal);
    const int Result = Box->exec();
    if (Result == mrCancel || !FShownException) SetTerminated();
}

void TExecuteThread::SignalRunEnded() {
    FRunEndedEvent.Set();
    if (QThread::currentThread() == FUiThread) QThread::yieldCurrentThread();
}

void TExecuteThread::WaitForEnd() {
    if (!FThread.joinable()) return;
    if (QThread::currentThread() == FUiThread && FDispatcher) {
        // Keep serving events (the worker may still hand over an error report) until the thread
        // function returns; it wakes this thread then. User input waits meanwhile, so that no command
        // can start while the job winds down.
        while (!FThreadEnded.IsSet())
            FDispatcher->processEvents(QEventLoop::WaitForMoreEvents | QEventLoop::ExcludeUserInputEvents);
    }
    FThread.join();
}

bool TExecuteThread::RunModal(const std::string& Caption, int ExtraLines, bool ShowProgress,
                              bool AllowCancel) {
    if (QThread::currentThread() != FUiThread)
        throw std::logic_error("RunModal must be called in the thread that created the worker");
    if (FRunStarted) throw std::logic_error("RunModal runs a worker only once");
    FRunStarted = true;

    std::unique_ptr<TThreadInfoForm> Form;
    try {
        Form = std::make_unique<TThreadInfoForm>(Caption, ExtraLines, ShowProgress, AllowCancel);
        FDispatcher = QAbstractEventDispatcher::instance();
        FThread = std::thread([this] { ThreadMain(); });
    } catch (...) {
        SignalRunEnded(); // the worker never started: nothing to wait for
        throw;
    }

    bool Cancelled = false;
    std::exception_ptr Raise;
    auto CleanUp = [&] {
        {
            std::lock_guard<std::mutex> L(FLock);
            FInfoForm = nullptr;
        }
        SignalRunEnded();
        WaitForEnd();
        Form.reset();
        if (ApplicationMinimized()) {
            FlashApplication();
            QApplication::beep();
        }
    };

    try {
        while (!WorkDone()) {
            // Work through whatever is pending; user input waits until the window is up.
            const bool Handled =
                FDispatcher && FDispatcher->processEvents(QEventLoop::ExcludeUserInputEvents);
            if (WorkDone()) break;
            if (Handled) continue;

            // Nothing pending and the job still runs: attach and show the window.
            InitInfoPanels(Form->Panels());
            Form->UpdateLayout();
            {
                std::lock_guard<std::mutex> L(FLock);
                FInfoForm = Form.get();
            }
            // A job that ended while the window was being attached posted no close request.
            if (!WorkDone()) Form->exec();
            if (WorkDone()) break;
            Cancelled = true;
            RequestCancel();
            break;
        }
        // A cancelled run reports no exception (the worker may still be writing it); it stays with the
        // object and is freed with it.
        if (!Cancelled && WorkDone() && FWorkException) Raise = std::exchange(FWorkException, nullptr);
    } catch (...) {
        // The run fails in this thread: ask the job to stop, so that waiting for its end cannot hang.
        RequestCancel();
        CleanUp();
        throw;
    }
    CleanUp();
    if (Raise) std::rethrow_exception(Raise);
    return WorkDone() && !Cancelled;
}
