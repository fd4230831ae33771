#include "ui/simple_timer.h"

#include "ui/framework/application.h"

namespace skorvel {

// A tick's handler has its own guard (below); whatever else escapes the
// window's handling still reaches the application's handler.
TSimpleTimerHandler::TSimpleTimerHandler()
    : TTimerWindow(
          [](std::exception_ptr error) { Application->HandleException(*Application, error); }) {}

TSimpleTimer::TSimpleTimer() : FTimer(*FHandler, [this] { Tick(); }) {}

TSimpleTimer::TSimpleTimer(unsigned AInterval, TNotifyEvent AOnTimer) : TSimpleTimer() {
    FInterval = AInterval;
    FOnTimer = std::move(AOnTimer);
}

// A running timer is restarted with the interval.
bool TSimpleTimer::Start() {
    if (FInterval == 0)
        return false;
    if (!FTimer.Start(FInterval))
        return false;
    FEnabled = true;
    return true;
}

bool TSimpleTimer::Stop(bool disable) {
    if (disable)
        FEnabled = false;
    return FTimer.Stop();
}

void TSimpleTimer::SetEnabled(bool value) {
    if (value)
        Start();
    else
        Stop(true);
}

void TSimpleTimer::SetInterval(unsigned value) {
    if (value == FInterval)
        return;
    FInterval = value;
    if (FEnabled) {
        if (value != 0)
            Start();
        else
            Stop(false);
    }
}

void TSimpleTimer::SetOnTimer(TNotifyEvent handler) {
    FOnTimer = std::move(handler);
    if (!FOnTimer && FEnabled)
        Stop(false);
}

// What the handler raises reaches the application's handler with the timer
// as sender, and the timer goes on ticking.
void TSimpleTimer::Tick() {
    if (AutoDisable)
        Stop(true);
    // The handler may free the timer (and whatever owns it): run a copy, and
    // touch nothing of the timer afterwards.
    if (const TNotifyEvent handler = FOnTimer)
        Application->Guard(*this, [&handler, this] { handler(*this); });
}

} // namespace skorvel
