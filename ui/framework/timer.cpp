#include "ui/framework/timer.h"

#include "platform/os_error.h"
#include "ui/framework/application.h"
#include "ui/framework/form.h"

namespace skorvel {

TTimer::TTimer(TForm& form, const LayoutNode& node)
    : TObject(node.Name()), FTimer(Application->TimerWindow(), [this] { Tick(); }) {
    FInterval = unsigned(node.Int(L"interval", 1000));
    OnTimer = form.BindNotify(node, L"on-timer");
    form.AddComponent(*this);
    SetEnabled(node.Bool(L"enabled", true));
}

void TTimer::SetEnabled(bool enabled) {
    if (enabled == FEnabled)
        return;
    FEnabled = enabled;
    Restart();
}

void TTimer::SetInterval(unsigned interval) {
    if (interval == FInterval)
        return;
    FInterval = interval;
    Restart();
}

void TTimer::Restart() {
    if (!FEnabled || FInterval == 0)
        FTimer.Stop();
    else if (!FTimer.Start(FInterval))
        RaiseLastOSError();
}

void TTimer::Tick() {
    if (FEnabled && OnTimer)
        Application->Guard(*this, [&] { OnTimer(*this); });
}

} // namespace skorvel
