#pragma once
// A timer whose ticks arrive as messages on the user-interface thread, at the
// application's timer window.
#include "platform/window_timer.h"
#include "ui/framework/events.h"
#include "ui/framework/layout.h"

namespace skorvel {

class TForm;

class TTimer : public TObject {
public:
    TTimer(TForm& form, const LayoutNode& node);

    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool enabled);
    unsigned Interval() const { return FInterval; }
    void SetInterval(unsigned interval);
    TNotifyEvent OnTimer;

private:
    void Restart();
    void Tick();
    bool FEnabled = false;
    unsigned FInterval = 1000;
    TWindowTimer FTimer;
};

} // namespace skorvel
