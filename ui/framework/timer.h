#pragma once
// A timer whose ticks arrive as messages on the user-interface thread.
#include "ui/framework/events.h"
#include "ui/framework/layout.h"

#include <basetsd.h>

namespace skorvel {

class TForm;

class TTimer : public TObject {
public:
    TTimer(TForm& form, const LayoutNode& node);
    ~TTimer() override;

    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool enabled);
    unsigned Interval() const { return FInterval; }
    void SetInterval(unsigned interval);
    TNotifyEvent OnTimer;

    // Called by the application for each tick.
    void Tick();

private:
    void Restart();
    bool FEnabled = false;
    unsigned FInterval = 1000;
    UINT_PTR FId = 0;
};

} // namespace skorvel
