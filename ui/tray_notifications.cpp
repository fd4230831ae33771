// The shell's notifications about the tray icons: the shared window that
// receives them, and what each one does to its icon.
#include "ui/tray_icon.h"

#include "ui/framework/application.h"
#include "ui/framework/controls.h"
#include "ui/framework/menus.h"

#include <shellapi.h>

namespace skorvel {

namespace {

POINT CursorPos() {
    POINT p = {0, 0};
    ::GetCursorPos(&p);
    return p;
}

} // namespace

TTrayIconHandler::TTrayIconHandler() : THiddenWindow(TKind::hkTopLevel) {}

// The identifier is a 32-bit value: the icon's address where it fits,
// otherwise the next number not yet in use. Either way the callback finds
// the icon through the table, never by trusting a number as an address.
UINT TTrayIconHandler::Register(TCoolTrayIcon& icon) {
    const auto address = reinterpret_cast<uintptr_t>(&icon);
    UINT id = UINT(address);
    if (id != address || FIcons.count(id)) {
        while (FIcons.count(FNextId) || FNextId == 0)
            ++FNextId;
        id = FNextId++;
    }
    FIcons[id] = &icon;
    return id;
}

TCoolTrayIcon* TTrayIconHandler::Find(WPARAM id) const {
    auto it = FIcons.find(UINT(id));
    return it != FIcons.end() && UINT_PTR(UINT(id)) == id ? it->second : nullptr;
}

LRESULT TTrayIconHandler::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_TRAYNOTIFY:
        if (TCoolTrayIcon* icon = Find(wParam))
            icon->HandleIconMessage(UINT(lParam));
        return 0;
    // It cannot be closed from outside and never objects to the end of the
    // session.
    case WM_DESTROY:
    case WM_CLOSE:
    case WM_QUERYENDSESSION:
    case WM_QUIT:
    case WM_ENDSESSION:
    case WM_NCDESTROY:
        return 1;
    }
    return DefaultProc(message, wParam, lParam);
}

// The events are guarded one by one; what else escapes (an override that
// raises) reaches the application's handler with the icon as sender.
void TTrayIconHandler::HandleException(UINT message, WPARAM wParam,
                                       std::exception_ptr error) noexcept {
    TCoolTrayIcon* icon = message == WM_TRAYNOTIFY ? Find(wParam) : nullptr;
    Application->HandleException(icon ? static_cast<TObject&>(*icon) : *Application, error);
}

// One row per notification the icon acts on; anything else (right and
// middle double-clicks among them) is ignored. Balloon notifications pass
// even while the icon is disabled.
void TCoolTrayIcon::HandleIconMessage(UINT message) {
    struct TBalloonRow {
        UINT Message;
        TNotifyEvent TCoolTrayIcon::*Event;
    };
    static constexpr TBalloonRow kBalloonRows[] = {
        {NIN_BALLOONSHOW, &TCoolTrayIcon::OnBalloonHintShow},
        {NIN_BALLOONHIDE, &TCoolTrayIcon::OnBalloonHintHide},
        {NIN_BALLOONTIMEOUT, &TCoolTrayIcon::OnBalloonHintTimeout},
        {NIN_BALLOONUSERCLICK, &TCoolTrayIcon::OnBalloonHintClick},
    };
    struct TMouseRow {
        UINT Message;
        void (TCoolTrayIcon::*Handler)(POINT at, TShiftState keys);
        bool Win95, Win2000; // the protocol versions under which the row acts
    };
    static constexpr TMouseRow kMouseRows[] = {
        {WM_MOUSEMOVE, &TCoolTrayIcon::MouseMoved, true, true},
        {WM_LBUTTONDOWN, &TCoolTrayIcon::LeftPressed, true, true},
        {WM_LBUTTONUP, &TCoolTrayIcon::LeftReleased, true, true},
        {WM_LBUTTONDBLCLK, &TCoolTrayIcon::LeftDoubleClicked, true, true},
        {WM_RBUTTONDOWN, &TCoolTrayIcon::RightPressed, true, true},
        {WM_RBUTTONUP, &TCoolTrayIcon::RightReleased, true, false},
        {WM_CONTEXTMENU, &TCoolTrayIcon::RightReleased, false, true},
        {NIN_SELECT, &TCoolTrayIcon::RightReleased, false, true},
        {NIN_KEYSELECT, &TCoolTrayIcon::RightReleased, false, true},
        {WM_MBUTTONDOWN, &TCoolTrayIcon::MiddlePressed, true, true},
        {WM_MBUTTONUP, &TCoolTrayIcon::MiddleReleased, true, true},
    };
    for (const auto& row : kBalloonRows)
        if (row.Message == message)
            return Raise(this->*row.Event);
    if (!FEnabled)
        return;
    for (const auto& row : kMouseRows)
        if (row.Message == message) {
            if (FBehavior == TBehavior::bhWin95 ? row.Win95 : row.Win2000)
                // The shell's callback is posted, not a keyboard-ordered
                // input message: the keys as they are now.
                (this->*row.Handler)(CursorPos(), KeyShiftState(::GetAsyncKeyState));
            return;
        }
}

// Every event below runs user code: what it may have changed (the menu, its
// automatic popup, the icon itself) is read only after it.

void TCoolTrayIcon::MouseMoved(POINT at, TShiftState keys) {
    const auto alive = Lifetime();
    if (FWantEnterExitEvents && FDidExit) {
        MouseEnter();
        if (alive.expired())
            return;
        FDidExit = false;
    }
    DoMouseMove(keys, at.x, at.y);
    if (alive.expired())
        return;
    LastMoveX = at.x;
    LastMoveY = at.y;
}

void TCoolTrayIcon::LeftPressed(POINT at, TShiftState keys) {
    if (OnDblClick) {
        ClickTimer.SetInterval(::GetDoubleClickTime());
        ClickTimer.SetEnabled(true);
    }
    const auto alive = Lifetime();
    DoMouseDown(TMouseButton::mbLeft, keys | ssLeft, at.x, at.y);
    if (alive.expired())
        return;
    FClickStart = true;
    if (FLeftPopup)
        OpenMenuFromIcon();
}

void TCoolTrayIcon::LeftReleased(POINT at, TShiftState keys) {
    if (FClickStart) {
        FClickReady = true;
        if (!ClickTimer.Enabled()) {
            FClickStart = FClickReady = false;
            const auto alive = Lifetime();
            Click();
            if (alive.expired())
                return;
        }
    }
    FClickStart = false;
    DoMouseUp(TMouseButton::mbLeft, keys | ssLeft, at.x, at.y);
}

void TCoolTrayIcon::LeftDoubleClicked(POINT, TShiftState) {
    FClickReady = false;
    IsDblClick = true;
    const auto alive = Lifetime();
    DblClick();
    if (!alive.expired() && AutoPopupMenu() && !FLeftPopup)
        ChooseDefaultItem();
}

void TCoolTrayIcon::RightPressed(POINT at, TShiftState keys) {
    const auto alive = Lifetime();
    DoMouseDown(TMouseButton::mbRight, keys | ssRight, at.x, at.y);
    if (!alive.expired())
        OpenMenuFromIcon();
}

void TCoolTrayIcon::RightReleased(POINT at, TShiftState keys) {
    DoMouseUp(TMouseButton::mbRight, keys | ssRight, at.x, at.y);
}

void TCoolTrayIcon::MiddlePressed(POINT at, TShiftState keys) {
    DoMouseDown(TMouseButton::mbMiddle, keys | ssMiddle, at.x, at.y);
}

void TCoolTrayIcon::MiddleReleased(POINT at, TShiftState keys) {
    DoMouseUp(TMouseButton::mbMiddle, keys | ssMiddle, at.x, at.y);
}

void TCoolTrayIcon::OpenMenuFromIcon() {
    if (!AutoPopupMenu())
        return;
    ::SetForegroundWindow(Handle());
    PopupAtCursor();
}

void TCoolTrayIcon::ChooseDefaultItem() {
    for (const auto& item : FPopupMenu->Items())
        if (item->Default()) {
            item->Click();
            return;
        }
}

void TCoolTrayIcon::Click() {
    Raise(OnClick);
}

void TCoolTrayIcon::DblClick() {
    Raise(OnDblClick);
}

void TCoolTrayIcon::CycleIcon(int nextIndex) {
    Raise(OnCycle, nextIndex);
}

void TCoolTrayIcon::DoMouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    Raise(OnMouseDown, button, shift, x, y);
}

void TCoolTrayIcon::DoMouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    Raise(OnMouseUp, button, shift, x, y);
}

void TCoolTrayIcon::DoMouseMove(TShiftState shift, int x, int y) {
    Raise(OnMouseMove, shift, x, y);
}

void TCoolTrayIcon::MouseEnter() {
    Raise(OnMouseEnter);
}

void TCoolTrayIcon::MouseExit() {
    Raise(OnMouseExit);
}

void TCoolTrayIcon::ClickTimerElapsed() {
    ClickTimer.SetEnabled(false);
    if (FClickReady && !IsDblClick) {
        FClickReady = false;
        const auto alive = Lifetime();
        Click();
        if (alive.expired())
            return;
    }
    IsDblClick = false;
}

void TCoolTrayIcon::CycleTimerElapsed() {
    if (!FIconList || FIconList->Count() == 0)
        return;
    FIconList->GetIcon(FIconIndex, FIcon);
    const int next = FIconIndex + 1 < FIconList->Count() ? FIconIndex + 1 : 0;
    const auto alive = Lifetime();
    CycleIcon(next);
    if (!alive.expired())
        FIconIndex = next;
}

void TCoolTrayIcon::ExitTimerElapsed() {
    if (FDidExit)
        return;
    const POINT p = CursorPos();
    if (p.x != LastMoveX || p.y != LastMoveY) {
        FDidExit = true;
        MouseExit();
    }
}

} // namespace skorvel
