#pragma once
// A manual-reset event: once set it stays set until Reset. Waiting with a zero time-out is a plain
// atomic read, cheap enough to poll before every line of a file.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>

class TEvent {
public:
    explicit TEvent(bool InitiallySet = false) : FSet(InitiallySet) {}
    TEvent(const TEvent&) = delete;
    TEvent& operator=(const TEvent&) = delete;

    void Set() {
        {
            std::lock_guard<std::mutex> L(FLock);
            FSet.store(true, std::memory_order_release);
        }
        FCond.notify_all();
    }
    void Reset() {
        std::lock_guard<std::mutex> L(FLock);
        FSet.store(false, std::memory_order_release);
    }
    bool IsSet() const { return FSet.load(std::memory_order_acquire); }
    // True when the event is set within the time-out (0: just test it; negative: wait for ever).
    bool WaitFor(int TimeoutMs) {
        if (IsSet() || TimeoutMs == 0) return IsSet();
        std::unique_lock<std::mutex> L(FLock);
        if (TimeoutMs < 0) {
            FCond.wait(L, [this] { return IsSet(); });
            return true;
        }
        return FCond.wait_for(L, std::chrono::milliseconds(TimeoutMs), [this] { return IsSet(); });
    }

private:
    std::atomic<bool> FSet;
    std::mutex FLock;
    std::condition_variable FCond;
};
