#pragma once
// Long jobs on a worker thread under a small modal progress window.
//
// A job is a subclass of TExecuteThread that overrides DoWork. The caller creates the object in the
// user-interface thread, calls RunModal once and frees the object afterwards. RunModal starts the
// worker and keeps the user-interface thread processing events while it waits; the progress window
// appears only when no event is pending and the job still runs, so a short job never shows it. An
// exception that escapes DoWork is raised again by RunModal with its class and message. A job that
// wants its errors shown instead catches them and calls HandleWorkException, which shows the message
// in the user-interface thread while the worker waits (EAbort is never shown).
#include "support/Event.h"

#include <QDialog>
#include <QEvent>
#include <QThread>
#include <atomic>
#include <cstdint>
#include <exception>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class QAbstractEventDispatcher;
class QProgressBar;
class QPushButton;
class TBrenloPanel;
class TThreadInfoForm;

// Messages the progress window accepts from any thread; the numbers are fixed.
enum : int {
    WM_THREADINFO_SETTEXT = 33768,  // WParam: panel index; the event owns the text
    WM_THREADINFO_SETRANGE = 33769, // WParam: low, LParam: high
    WM_THREADINFO_SETPOS = 33770,   // LParam: value in the range
};

// Scale of the progress bar: any reported range is mapped onto 0..50000.
constexpr int ThreadInfoProgressScale = 50000;

class TThreadInfoEvent : public QEvent {
public:
    TThreadInfoEvent(int Message, int WParam, int LParam);
    // A set-text message; the window takes the text and frees it, whatever the index.
    static TThreadInfoEvent* SetText(int Index, std::string Text);
    static TThreadInfoEvent* SetRange(int Low, int High);
    static TThreadInfoEvent* SetPos(int Value);

    int WParam() const { return FWParam; }
    int LParam() const { return FLParam; }
    const std::string* Text() const { return FText.get(); }
    std::unique_ptr<std::string> TakeText() { return std::move(FText); }

private:
    int FWParam;
    int FLParam;
    std::unique_ptr<std::string> FText;
};

class TThreadInfoForm : public QDialog {
    Q_OBJECT
public:
    // Builds the window: the caption panel, ExtraLines status lines, an optional progress bar and an
    // optional cancel button ("A&bbrechen", pressed by Enter and Escape), at least 480 pixels wide
    // inside, centred over the visible main window or on the screen.
    TThreadInfoForm(const std::string& Caption, int ExtraLines, bool ShowProgress, bool AllowCancel);
    ~TThreadInfoForm() override;

    // Index 0: the caption panel; 1..: the status lines.
    const std::vector<TBrenloPanel*>& Panels() const { return FPanels; }
    QProgressBar* Progress() const { return FProgress; }
    QPushButton* CancelButton() const { return FCancelButton; }
    int RangeLow() const { return FRangeLow; }
    int RangeHigh() const { return FRangeHigh; }
    int64_t RangeSpan() const { return FRangeSpan; }
    bool CanCancel() const { return FCanCancel; }

    // Re-stacks bar and button below the panels after their heights changed.
    void UpdateLayout();
    // Asks the window to close for the worker; may be called from any thread.
    void PostCloseRequest();

    // The bar position for a value in the current range.
    static int ScaledPosition(int64_t Value, int Low, int64_t Span);

protected:
    bool event(QEvent* E) override;
    void changeEvent(QEvent* E) override;
    // The user closes the window (button, Escape, title bar) only when cancelling is allowed.
    void reject() override;

private:
    std::vector<TBrenloPanel*> FPanels;
    QProgressBar* FProgress = nullptr;
    QPushButton* FCancelButton = nullptr;
    int FRangeLow = 0;
    int FRangeHigh = 0;
    int64_t FRangeSpan = 0; // 64-bit: any pair of 32-bit ends has a span
    bool FCanCancel = false;
};

class TExecuteThread {
public:
    TExecuteThread();
    virtual ~TExecuteThread();
    TExecuteThread(const TExecuteThread&) = delete;
    TExecuteThread& operator=(const TExecuteThread&) = delete;

    // Runs the job; call once, in the thread that created the object. True: the job ran to its end;
    // false: the user cancelled (returns only after the worker has ended). Raises an exception that
    // escaped DoWork.
    bool RunModal(const std::string& Caption, int ExtraLines, bool ShowProgress, bool AllowCancel);

    // True when the job should stop: the terminated flag is set, or the cancel event becomes set
    // within WaitMs milliseconds.
    bool CheckCancelled(int WaitMs);
    // For DoWork's exception handler: shows the current exception to the user (not EAbort) and
    // waits until the box is closed. Does not re-raise.
    void HandleWorkException();
    // Detaches the progress window, sets the terminated flag and the cancel event.
    void RequestCancel();
    bool Terminated() const { return FTerminated.load(std::memory_order_acquire); }
    bool WorkDone() const { return FWorkDone.load(std::memory_order_acquire); }

    // Priority wished for the worker thread. Kept for the platforms that honour it; ordinary threads
    // on Linux have no priorities of their own, so there it changes nothing.
    void SetPriority(QThread::Priority Priority) { FPriority = Priority; }
    QThread::Priority Priority() const { return FPriority; }

    // Progress window messages from the worker; dropped while no window is attached.
    void PostInfoText(int Index, const std::string& Text);
    void PostInfoRange(int Low, int High);
    void PostInfoPos(int Value);

    // The error text as the error box shows it: a full stop is added unless the text is empty or
    // its last character sorts at or below ".".
    static std::string WorkErrorText(const std::string& Msg);

protected:
    // Shows FShownException in an error box titled with the application title, with OK and Cancel;
    // Cancel sets the terminated flag. Runs in the user-interface thread.
    virtual void ShowWorkError();
    // The job; runs in the worker thread.
    virtual void DoWork() = 0;
    // Lets a subclass fill the status lines just before the window is shown; user-interface thread.
    virtual void InitInfoPanels(const std::vector<TBrenloPanel*>& Panels);

    void SetTerminated() { FTerminated.store(true, std::memory_order_release); }

    // Set when cancelling is requested; the job polls it (or calls CheckCancelled).
    TEvent FCancelEvent;
    // The exception being reported, during HandleWorkException only.
    std::exception_ptr FShownException;

private:
    friend class TUiLink;
    // A progress message of the worker, delivered to the attached window by the user-interface thread.
    struct TInfoMessage {
        int Message;
        int WParam;
        int LParam;
        std::string Text;
    };

    void ThreadMain();
    void Execute();
    void CloseInfoForm();
    void SyncShowWorkError();
    void SignalRunEnded();
    void WaitForEnd();
    // Worker side: queues a request (under FLock) and wakes the user-interface thread.
    template <class F> void Request(F&& Fill);
    // User-interface side: carries out what the worker asked for.
    void ServeRequests();

    std::mutex FLock; // guards FInfoForm and the requests below
    TEvent FRunEndedEvent;
    TEvent FDoneEvent;
    std::exception_ptr FWorkException; // written by the worker before FWorkDone is set
    std::atomic<bool> FWorkDone{false};
    TThreadInfoForm* FInfoForm = nullptr; // the worker only tests it; the window lives in the UI thread
    std::atomic<bool> FTerminated{false};

    // Requests of the worker. The worker never hands objects of its own to the user-interface
    // thread: it wakes it by posting FWakeEvent, which the user-interface thread allocated, so every
    // hand-over is ordered by FLock and race checkers see it.
    std::vector<TInfoMessage> FInfoMessages;
    bool FCloseRequested = false;
    bool FReportRequested = false;
    QEvent* FWakeEvent = nullptr; // null while a wake-up is on its way
    TEvent FReportDone;           // the handed-over error report has been shown

    // The worker is a standard thread: its start and join are synchronisation points that race
    // checkers see.
    std::thread FThread;
    TEvent FThreadEnded;                             // the thread function is about to return
    QThread* FUiThread;                              // the thread that created the object and runs RunModal
    QAbstractEventDispatcher* FDispatcher = nullptr; // its event dispatcher, woken by the worker at its end
    std::unique_ptr<QObject> FUiContext; // lives in the user-interface thread; receives the wake-ups
    QThread::Priority FPriority = QThread::NormalPriority;
    bool FRunStarted = false;
};
