#pragma once
// The program's one timer mechanism: SetTimer on a hidden message-only
// window, each timer known to the system by its own address, and every tick
// handed to the timer it names through the thread's message loop. The
// framework's timers, the tray icon's simple timers and the process list's
// refresh all run on it.
#include "platform/hidden_window.h"

#include <exception>
#include <functional>
#include <set>

namespace skorvel {

class TWindowTimer;

// The window that receives the ticks of the timers started on it.
class TTimerWindow : public THiddenWindow {
public:
    using TExceptionHandler = std::function<void(std::exception_ptr error)>;
    // What a tick raises goes to the handler; without one it is dropped.
    // Either way it never leaves the window procedure.
    explicit TTimerWindow(TExceptionHandler onException = {});

    // The timers running on the window.
    unsigned ActiveCount() const noexcept { return unsigned(FRunning.size()); }

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void HandleException(UINT message, WPARAM wParam, std::exception_ptr error) noexcept override;

private:
    friend class TWindowTimer;
    // A tick names its timer by address: only a timer running here is real.
    std::set<const TWindowTimer*> FRunning;
    TExceptionHandler FOnException;
};

class TWindowTimer {
public:
    using TTick = std::function<void()>;
    // The window outlives the timer.
    TWindowTimer(TTimerWindow& window, TTick onTick);
    ~TWindowTimer(); // a running timer is stopped
    TWindowTimer(const TWindowTimer&) = delete;
    TWindowTimer& operator=(const TWindowTimer&) = delete;

    // Starts the timer, or restarts a running one with the new interval; false
    // when the system refuses (the timer is then stopped). An interval of 0
    // is the system's shortest.
    bool Start(unsigned interval);
    // False when the timer was not running or the system did not know it;
    // either way it is stopped afterwards.
    bool Stop() noexcept;
    bool Running() const noexcept { return FWindow.FRunning.count(this) != 0; }

private:
    friend class TTimerWindow;
    UINT_PTR Id() const noexcept { return reinterpret_cast<UINT_PTR>(this); }
    TTimerWindow& FWindow;
    TTick FOnTick;
};

} // namespace skorvel
