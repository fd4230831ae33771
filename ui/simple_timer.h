#pragma once
// Window-less timers: lightweight timers whose ticks arrive at one hidden
// window shared by all of them, which exists while at least one timer exists.
#include "platform/shared_window.h"
#include "platform/window_timer.h"
#include "ui/framework/events.h"

#include <cstdint>

namespace skorvel {

// The hidden window that receives the ticks of every simple timer:
// RefCount() counts the timers in existence, ActiveCount() those running.
class TSimpleTimerHandler final : public TTimerWindow, public TSharedWindow<TSimpleTimerHandler> {
private:
    friend class TSharedWindow<TSimpleTimerHandler>;
    TSimpleTimerHandler();
};

class TSimpleTimer : public TObject {
public:
    TSimpleTimer(); // 1000 ms, no handler, stopped
    TSimpleTimer(unsigned AInterval, TNotifyEvent AOnTimer);

    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool value);
    unsigned Interval() const { return FInterval; }
    // A new interval restarts a running timer; 0 pauses it.
    void SetInterval(unsigned value);
    bool AutoDisable = false; // stop after the first tick
    int32_t Tag = 0;
    const TNotifyEvent& OnTimer() const { return FOnTimer; }
    // Assigning no handler pauses a running timer.
    void SetOnTimer(TNotifyEvent handler);

private:
    bool Start();
    // Kills the system timer; with disable, the timer also counts as stopped
    // (otherwise it is only paused).
    bool Stop(bool disable);
    void Tick();
    TSharedWindow<TSimpleTimerHandler>::TUse FHandler;
    TWindowTimer FTimer; // stopped, and so no longer counted, when the timer is freed
    bool FEnabled = false;
    unsigned FInterval = 1000;
    TNotifyEvent FOnTimer;
};

} // namespace skorvel
