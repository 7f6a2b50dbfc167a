#pragma once
// Helpers for tests with modal windows and worker threads. Nothing here may wait without a limit:
// every wait gives up after a few seconds, so that a failing test fails instead of hanging.
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QEvent>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

// Polls in the worker thread until Cond holds or the time is up; returns Cond's last value.
inline bool WaitUntil(const std::function<bool()>& Cond, int TimeoutMs = 5000) {
    const auto End = std::chrono::steady_clock::now() + std::chrono::milliseconds(TimeoutMs);
    while (!Cond()) {
        if (std::chrono::steady_clock::now() > End) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

// Calls Fn with the active modal window, from a timer of the user-interface thread, so it runs inside
// whatever modal loop is going on. After the time limit it closes what is still open.
class TModalWatcher {
public:
    explicit TModalWatcher(std::function<void(QWidget*)> Fn, int TimeoutMs = 8000) : FFn(std::move(Fn)) {
        FTimer.setInterval(5);
        QObject::connect(&FTimer, &QTimer::timeout, [this, TimeoutMs] {
            QWidget* Modal = QApplication::activeModalWidget();
            if (!Modal) return;
            if (FElapsed.elapsed() > TimeoutMs) {
                Modal->close();
                if (auto* D = qobject_cast<QDialog*>(Modal)) D->done(0);
                return;
            }
            FFn(Modal);
        });
        FElapsed.start();
        FTimer.start();
    }

private:
    std::function<void(QWidget*)> FFn;
    QTimer FTimer;
    QElapsedTimer FElapsed;
};

// Counts the windows of class T that were shown.
template <class T> class TShowCounter : public QObject {
public:
    TShowCounter() { qApp->installEventFilter(this); }
    ~TShowCounter() override { qApp->removeEventFilter(this); }
    int Count = 0;

protected:
    bool eventFilter(QObject* O, QEvent* E) override {
        if (E->type() == QEvent::Show && qobject_cast<T*>(O)) ++Count;
        return false;
    }
};
