#include "platform/window_timer.h"

namespace skorvel {

TTimerWindow::TTimerWindow(TExceptionHandler onException)
    : THiddenWindow(TKind::hkMessageOnly), FOnException(std::move(onException)) {}

LRESULT TTimerWindow::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_TIMER) {
        auto* timer = reinterpret_cast<TWindowTimer*>(wParam);
        if (FRunning.count(timer)) {
            // The tick may free the timer, and this window with it: run a
            // copy, and touch nothing afterwards.
            const TWindowTimer::TTick tick = timer->FOnTick;
            if (tick)
                tick();
        }
        return 0;
    }
    return THiddenWindow::WindowProc(message, wParam, lParam);
}

void TTimerWindow::HandleException(UINT, WPARAM, std::exception_ptr error) noexcept {
    if (!FOnException)
        return;
    try {
        FOnException(error);
    } catch (...) {
        // The handler itself failed: nothing may leave the window procedure.
    }
}

TWindowTimer::TWindowTimer(TTimerWindow& window, TTick onTick)
    : FWindow(window), FOnTick(std::move(onTick)) {}

TWindowTimer::~TWindowTimer() {
    Stop();
}

bool TWindowTimer::Start(unsigned interval) {
    Stop();
    if (!::SetTimer(FWindow.Handle(), Id(), interval, nullptr))
        return false;
    FWindow.FRunning.insert(this);
    return true;
}

bool TWindowTimer::Stop() noexcept {
    if (!FWindow.FRunning.erase(this))
        return false;
    return ::KillTimer(FWindow.Handle(), Id()) != FALSE;
}

} // namespace skorvel
