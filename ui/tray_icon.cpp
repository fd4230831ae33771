#include "ui/tray_icon.h"

#include "platform/os_error.h"
#include "platform/system_library.h"
#include "ui/framework/application.h"
#include "ui/framework/form.h"
#include "ui/framework/menus.h"

#include <commctrl.h>
#include <shellapi.h>
#include <shlwapi.h>

#include <algorithm>

namespace skorvel {

static_assert(sizeof(TNotifyIconDataEx) == NOTIFYICONDATAW_V2_SIZE,
              "the record must have the size of the layout that ends with dwInfoFlags");
static_assert(sizeof(TNotifyIconDataEx) == (sizeof(void*) == 8 ? 952 : 936),
              "936 bytes on i686, 952 on x86-64");

namespace {

constexpr wchar_t kTimerHandlerClass[] = L"SkorvelSimpleTimerHandler";
constexpr wchar_t kTrayHandlerClass[] = L"SkorvelTrayIconHandler";
constexpr wchar_t kOwnerHookProperty[] = L"SkorvelTrayIconOwnerHook";
constexpr UINT kIconFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP; // 7
constexpr unsigned kExitPollInterval = 20;

HWND CreateHiddenWindow(const wchar_t* className, WNDPROC procedure, HWND parent) {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = procedure;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = className;
    if (!::RegisterClassExW(&wc) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        RaiseLastOSError();
    const DWORD exStyle = parent ? 0 : WS_EX_TOOLWINDOW;
    HWND window = ::CreateWindowExW(exStyle, className, L"", WS_POPUP, 0, 0, 0, 0, parent, nullptr,
                                    wc.hInstance, nullptr);
    if (!window)
        RaiseLastOSError();
    return window;
}

// The shell's "TaskbarCreated" broadcast, registered once; 0 (never matched)
// when the common controls are older than 4.71, whose shell does not send it.
UINT TaskbarCreatedMessage() {
    static const UINT message = [] {
        HMODULE library = LoadSystemLibrary(L"comctl32.dll");
        auto getVersion = library ? reinterpret_cast<DLLGETVERSIONPROC>(reinterpret_cast<void*>(
                                        ::GetProcAddress(library, "DllGetVersion")))
                                  : nullptr;
        DLLVERSIONINFO info = {};
        info.cbSize = sizeof info;
        if (!getVersion || FAILED(getVersion(&info)) ||
            (info.dwMajorVersion << 16) + info.dwMinorVersion <= 0x40046)
            return 0u;
        return ::RegisterWindowMessageW(L"TaskbarCreated");
    }();
    return message;
}

// Copies at most `limit` characters and a terminating zero.
template <size_t N> void CopyLimited(WCHAR (&target)[N], const std::wstring& text, size_t limit) {
    static_assert(N > 0);
    const size_t count = std::min({text.size(), limit, N - 1});
    std::fill(std::begin(target), std::end(target), L'\0');
    std::copy_n(text.begin(), count, target);
}

POINT CursorPos() {
    POINT p = {0, 0};
    ::GetCursorPos(&p);
    return p;
}

} // namespace

// --- simple timers --------------------------------------------------------

TSimpleTimerHandler* TSimpleTimerHandler::FInstance = nullptr;

TSimpleTimerHandler::TSimpleTimerHandler()
    : FWindowHandle(CreateHiddenWindow(kTimerHandlerClass, WindowProc, HWND_MESSAGE)) {}

TSimpleTimerHandler::~TSimpleTimerHandler() {
    ::DestroyWindow(FWindowHandle);
}

// The window's one exception boundary is around the tick: what a timer's
// handler raises reaches the application's handler, never the system.
LRESULT CALLBACK TSimpleTimerHandler::WindowProc(HWND window, UINT message, WPARAM wParam,
                                                 LPARAM lParam) {
    if (message == WM_TIMER && FInstance) {
        auto* timer = reinterpret_cast<TSimpleTimer*>(wParam);
        if (FInstance->FTimers.count(timer)) {
            Application->Guard(*timer, [timer] { timer->Tick(); });
            return 0;
        }
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

TSimpleTimer::TSimpleTimer() : FId(reinterpret_cast<UINT_PTR>(this)) {
    if (!TSimpleTimerHandler::FInstance)
        TSimpleTimerHandler::FInstance = new TSimpleTimerHandler;
    ++TSimpleTimerHandler::FInstance->RefCount;
    TSimpleTimerHandler::FInstance->FTimers.insert(this);
}

TSimpleTimer::TSimpleTimer(unsigned AInterval, TNotifyEvent AOnTimer) : TSimpleTimer() {
    FInterval = AInterval;
    FOnTimer = std::move(AOnTimer);
}

TSimpleTimer::~TSimpleTimer() {
    if (FEnabled)
        Stop(true);
    auto*& handler = TSimpleTimerHandler::FInstance;
    handler->FTimers.erase(this);
    if (--handler->RefCount == 0) {
        delete handler;
        handler = nullptr;
    }
}

bool TSimpleTimer::Start() {
    if (FInterval == 0)
        return false;
    if (FEnabled)
        Stop(false);
    auto& handler = *TSimpleTimerHandler::FInstance;
    if (!::SetTimer(handler.FWindowHandle, FId, FInterval, nullptr))
        return false;
    FEnabled = true;
    ++handler.ActiveCount;
    return true;
}

bool TSimpleTimer::Stop(bool disable) {
    if (disable)
        FEnabled = false;
    auto& handler = *TSimpleTimerHandler::FInstance;
    if (!::KillTimer(handler.FWindowHandle, FId))
        return false;
    --handler.ActiveCount;
    return true;
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

void TSimpleTimer::Tick() {
    if (AutoDisable)
        Stop(true);
    // The handler may free the timer (and whatever owns it): run a copy, and
    // touch nothing of the timer afterwards.
    if (const TNotifyEvent handler = FOnTimer)
        handler(*this);
}

// --- icons and image lists ------------------------------------------------

void TIcon::Assign(HICON icon) {
    TakeHandle(icon ? ::CopyIcon(icon) : nullptr);
}

void TIcon::TakeHandle(HICON icon) {
    FHandle.reset(icon);
    if (OnChange)
        OnChange();
}

TImageList::TImageList(int width, int height)
    : FHandle(::ImageList_Create(width, height, ILC_COLOR32 | ILC_MASK, 4, 4)) {
    if (!FHandle)
        RaiseLastOSError();
}

TImageList::~TImageList() {
    ::ImageList_Destroy(FHandle);
}

int TImageList::Count() const {
    return ::ImageList_GetImageCount(FHandle);
}

int TImageList::AddIcon(HICON icon) {
    return ::ImageList_ReplaceIcon(FHandle, -1, icon);
}

int TImageList::AddMasked(HBITMAP bitmap, COLORREF maskColor) {
    return ::ImageList_AddMasked(FHandle, bitmap, maskColor);
}

void TImageList::GetIcon(int index, TIcon& icon) const {
    icon.TakeHandle(::ImageList_GetIcon(FHandle, index, ILD_NORMAL));
}

// --- the shared handler window -----------------------------------------------

TTrayIconHandler* TTrayIconHandler::FInstance = nullptr;

TTrayIconHandler::TTrayIconHandler()
    : FHandle(CreateHiddenWindow(kTrayHandlerClass, WindowProc, nullptr)) {}

TTrayIconHandler::~TTrayIconHandler() {
    ::DestroyWindow(FHandle);
}

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

LRESULT CALLBACK TTrayIconHandler::WindowProc(HWND window, UINT message, WPARAM wParam,
                                              LPARAM lParam) {
    switch (message) {
    case WM_TRAYNOTIFY:
        if (FInstance) {
            auto it = FInstance->FIcons.find(UINT(wParam));
            if (it != FInstance->FIcons.end() && UINT_PTR(UINT(wParam)) == wParam) {
                // The window's one exception boundary: the events are guarded
                // one by one, this catches the rest (an override that raises).
                TCoolTrayIcon& icon = *it->second;
                Application->Guard(icon, [&] { icon.HandleIconMessage(UINT(lParam)); });
            }
        }
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
    return ::DefWindowProcW(window, message, wParam, lParam);
}

// --- the tray icon ----------------------------------------------------------

// Kept with the owner window as a window property. When the icon goes while
// someone else has replaced the procedure after it, the chain cannot be
// undone: the record stays, without its icon, and only passes messages on
// until the window is destroyed.
struct TOwnerHook {
    WNDPROC OldWndProc;
    TCoolTrayIcon* Icon;
};

TCoolTrayIcon::TCoolTrayIcon(TForm* owner, std::wstring name)
    : TObject(std::move(name)), FOwner(owner),
      CycleTimer(1000, [this](TObject&) { CycleTimerElapsed(); }),
      ClickTimer(1000, [this](TObject&) { ClickTimerElapsed(); }),
      ExitTimer(kExitPollInterval, [this](TObject&) { ExitTimerElapsed(); }) {
    if (!TTrayIconHandler::FInstance)
        TTrayIconHandler::FInstance = new TTrayIconHandler;
    auto& handler = *TTrayIconHandler::FInstance;
    ++handler.RefCount;
    FIconID = handler.Register(*this);
    FIcon.OnChange = [this] { UpdateTray(); };
    IconData.cbSize = sizeof IconData;
    IconData.hWnd = handler.Handle();
    IconData.uID = FIconID;
    IconData.uFlags = kIconFlags;
    IconData.uCallbackMessage = WM_TRAYNOTIFY;
    FApplicationHook = Application->HookMainWindow([this](UINT m, WPARAM w, LPARAM, LRESULT&) {
        ApplicationHook(m, w);
        return false;
    });
    if (const UINT taskbarCreated = TaskbarCreatedMessage()) {
        FTaskbarCreatedRequest.Window = Application->Handle();
        FTaskbarCreatedRequest.Message = taskbarCreated;
        FTaskbarCreatedRequest.Answer =
            AllowMessageFromLowerIntegrity(Application->Handle(), taskbarCreated);
    }
    if (FOwner) {
        FreeNotification(*FOwner);
        HookOwnerWindow();
    }
}

TCoolTrayIcon::~TCoolTrayIcon() {
    RemoveFromTray();
    ForgetPopupMenu();
    FIcon.OnChange = nullptr;
    if (Application)
        Application->UnhookMainWindow(FApplicationHook);
    if (FOwner)
        UnhookOwnerWindow();
    auto*& handler = TTrayIconHandler::FInstance;
    handler->FIcons.erase(FIconID);
    if (--handler->RefCount == 0) {
        delete handler;
        handler = nullptr;
    }
}

void TCoolTrayIcon::Loaded() {
    if (FOwner) {
        bool show = true;
        const auto alive = Lifetime();
        Raise(OnStartup, std::ref(show));
        if (alive.expired())
            return;
        if (!show) {
            Application->ShowMainForm = false;
            HideMainForm();
        }
    }
    UpdateTray();
    // Applied again from the stored values: a visible icon is added (a second
    // add fails quietly), and the protocol version is sent last.
    SetIconVisible(FIconVisible);
    SetCycleIcons(FCycleIcons);
    SetWantEnterExitEvents(FWantEnterExitEvents);
    SetBehavior(FBehavior);
}

void TCoolTrayIcon::Notification(TObject& freed) {
    if (&freed == FIconList) {
        FIconList = nullptr;
        FIconIndex = 0;
    }
    if (&freed == FPopupMenu)
        FPopupMenu = nullptr;
    if (&freed == FOwner) {
        // The form's window went first and took the hook with it; should the
        // record still be there, it only passes messages on from now.
        if (FOwnerHook)
            std::exchange(FOwnerHook, nullptr)->Icon = nullptr;
        FOwner = nullptr;
    }
}

// The handler runs as a copy: it may free the icon, and with it the event.
template <typename Event, typename... Args>
void TCoolTrayIcon::Raise(const Event& event, Args... args) {
    if (event)
        Application->Guard(*this, [handler = event, &args..., this] { handler(*this, args...); });
}

// --- properties ---------------------------------------------------------------

void TCoolTrayIcon::SetIconList(TImageList* value) {
    if (FIconList)
        RemoveFreeNotification(*FIconList);
    FIconList = value;
    FIconIndex = 0;
    if (FIconList) {
        FreeNotification(*FIconList);
        if (FIconList->Count() > 0)
            FIconList->GetIcon(0, FIcon);
    }
}

void TCoolTrayIcon::SetCycleIcons(bool value) {
    FCycleIcons = value;
    if (value) {
        SetIconIndex(0);
        CycleTimer.SetInterval(FCycleInterval);
        CycleTimer.SetEnabled(true); // an interval of 0 never starts
    } else {
        CycleTimer.SetEnabled(false);
    }
}

void TCoolTrayIcon::SetCycleInterval(unsigned value) {
    if (value != FCycleInterval) {
        FCycleInterval = value;
        SetCycleIcons(FCycleIcons);
    }
}

void TCoolTrayIcon::SetHint(const std::wstring& value) {
    FHint = value;
    UpdateTray();
}

void TCoolTrayIcon::SetShowHint(bool value) {
    FShowHint = value;
    UpdateTray();
}

void TCoolTrayIcon::SetIcon(HICON value) {
    FIcon.Assign(value);
}

void TCoolTrayIcon::SetIconVisible(bool value) {
    if (value)
        AddToTray();
    else
        RemoveFromTray();
}

void TCoolTrayIcon::SetIconIndex(int value) {
    const int count = FIconList ? FIconList->Count() : 0;
    FIconIndex = count == 0 ? 0 : std::clamp(value, 0, count - 1);
    if (count > 0)
        FIconList->GetIcon(FIconIndex, FIcon);
}

void TCoolTrayIcon::SetPopupMenu(TPopupMenu* value) {
    ForgetPopupMenu();
    FPopupMenu = value;
    if (FPopupMenu)
        FreeNotification(*FPopupMenu);
}

// A menu the icon lets go of no longer names it as the component that
// opened it.
void TCoolTrayIcon::ForgetPopupMenu() {
    if (!FPopupMenu)
        return;
    if (FPopupMenu->PopupComponent == this)
        FPopupMenu->PopupComponent = nullptr;
    RemoveFreeNotification(*FPopupMenu);
    FPopupMenu = nullptr;
}

bool TCoolTrayIcon::AutoPopupMenu() const {
    return FPopupMenu && FPopupMenu->AutoPopup;
}

void TCoolTrayIcon::SetWantEnterExitEvents(bool value) {
    FWantEnterExitEvents = value;
    ExitTimer.SetEnabled(value);
}

bool TCoolTrayIcon::SetBehavior(TBehavior value) {
    FBehavior = value;
    IconData.TimeoutOrVersion.uVersion = value == TBehavior::bhWin2000 ? 3 : 0;
    return Notify(NIM_SETVERSION);
}

// --- the shell ------------------------------------------------------------------

bool TCoolTrayIcon::Notify(DWORD command) {
    return ::Shell_NotifyIconW(command, reinterpret_cast<PNOTIFYICONDATAW>(&IconData)) != FALSE;
}

bool TCoolTrayIcon::PrepareIconData() {
    IconData.hIcon = FIcon.Handle();
    if (!FHint.empty() && FShowHint)
        CopyLimited(IconData.szTip, FHint, 127);
    else
        std::fill(std::begin(IconData.szTip), std::end(IconData.szTip), L'\0');
    return true;
}

bool TCoolTrayIcon::AddToTray() {
    FIconVisible = true;
    return PrepareIconData() && Notify(NIM_ADD);
}

bool TCoolTrayIcon::RemoveFromTray() {
    FIconVisible = false;
    return PrepareIconData() && Notify(NIM_DELETE);
}

bool TCoolTrayIcon::UpdateTray() {
    return PrepareIconData() && Notify(NIM_MODIFY);
}

bool TCoolTrayIcon::ShowBalloonHint(const std::wstring& Title, const std::wstring& Text,
                                    TBalloonHintIcon IconType, TBalloonHintTimeOut TimeoutSecs) {
    HideBalloonHint();
    IconData.uFlags |= NIF_INFO;
    CopyLimited(IconData.szInfo, Text, 255);
    CopyLimited(IconData.szInfoTitle, Title, 63);
    IconData.TimeoutOrVersion.uTimeout = UINT(std::clamp(TimeoutSecs, 10, 60)) * 1000;
    IconData.dwInfoFlags = DWORD(IconType); // NIIF_NONE, _INFO, _WARNING, _ERROR, _USER
    const bool result = Notify(NIM_MODIFY);
    IconData.uFlags = kIconFlags;
    return result;
}

bool TCoolTrayIcon::HideBalloonHint() {
    IconData.uFlags |= NIF_INFO;
    IconData.szInfo[0] = L'\0';
    return Notify(NIM_MODIFY);
}

bool TCoolTrayIcon::SetFocus() {
    return Notify(NIM_SETFOCUS);
}

// --- notifications --------------------------------------------------------------

void TCoolTrayIcon::HandleIconMessage(UINT message) {
    switch (message) { // balloon notifications pass even while disabled
    case NIN_BALLOONSHOW:
        return Raise(OnBalloonHintShow);
    case NIN_BALLOONHIDE:
        return Raise(OnBalloonHintHide);
    case NIN_BALLOONTIMEOUT:
        return Raise(OnBalloonHintTimeout);
    case NIN_BALLOONUSERCLICK:
        return Raise(OnBalloonHintClick);
    }
    if (!FEnabled)
        return;
    const POINT p = CursorPos();
    // The shell's callback is posted, not a keyboard-ordered input message:
    // the keys as they are now.
    const TShiftState keys = KeyShiftState(::GetAsyncKeyState);
    // Every event below runs user code: what it may have changed (the menu,
    // its automatic popup, the icon itself) is read only after it.
    const auto alive = Lifetime();
    switch (message) {
    case WM_MOUSEMOVE:
        if (FWantEnterExitEvents && FDidExit) {
            MouseEnter();
            if (alive.expired())
                return;
            FDidExit = false;
        }
        DoMouseMove(keys, p.x, p.y);
        if (alive.expired())
            return;
        LastMoveX = p.x;
        LastMoveY = p.y;
        break;
    case WM_LBUTTONDOWN:
        if (OnDblClick) {
            ClickTimer.SetInterval(::GetDoubleClickTime());
            ClickTimer.SetEnabled(true);
        }
        DoMouseDown(TMouseButton::mbLeft, keys | ssLeft, p.x, p.y);
        if (alive.expired())
            return;
        FClickStart = true;
        if (FLeftPopup && AutoPopupMenu()) {
            ::SetForegroundWindow(Handle());
            PopupAtCursor();
        }
        break;
    case WM_LBUTTONUP:
        if (FClickStart) {
            FClickReady = true;
            if (!ClickTimer.Enabled()) {
                FClickStart = FClickReady = false;
                Click();
                if (alive.expired())
                    return;
            }
        }
        FClickStart = false;
        DoMouseUp(TMouseButton::mbLeft, keys | ssLeft, p.x, p.y);
        break;
    case WM_LBUTTONDBLCLK:
        FClickReady = false;
        IsDblClick = true;
        DblClick();
        if (!alive.expired() && AutoPopupMenu() && !FLeftPopup)
            ChooseDefaultItem();
        break;
    case WM_RBUTTONDOWN:
        DoMouseDown(TMouseButton::mbRight, keys | ssRight, p.x, p.y);
        if (!alive.expired() && AutoPopupMenu()) {
            ::SetForegroundWindow(Handle());
            PopupAtCursor();
        }
        break;
    case WM_RBUTTONUP:
        if (FBehavior == TBehavior::bhWin95)
            DoMouseUp(TMouseButton::mbRight, keys | ssRight, p.x, p.y);
        break;
    case WM_CONTEXTMENU:
    case NIN_SELECT:
    case NIN_KEYSELECT:
        if (FBehavior == TBehavior::bhWin2000)
            DoMouseUp(TMouseButton::mbRight, keys | ssRight, p.x, p.y);
        break;
    case WM_MBUTTONDOWN:
        DoMouseDown(TMouseButton::mbMiddle, keys | ssMiddle, p.x, p.y);
        break;
    case WM_MBUTTONUP:
        DoMouseUp(TMouseButton::mbMiddle, keys | ssMiddle, p.x, p.y);
        break;
    }
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

// --- the menu ------------------------------------------------------------------

// The pending messages handled before the menu opens, and the menu's own
// loop, may bring another notification of the icon (one menu opens, not
// two), end the application (no menu opens), or free the menu, the owner
// or the icon; the chosen item's handler may do the same.
void TCoolTrayIcon::Popup(int X, int Y) {
    if (!FPopupMenu || FInPopup)
        return;
    const auto alive = Lifetime();
    FInPopup = true;
    struct TPopupEnd { // on every way out, while the icon exists
        TCoolTrayIcon& Icon;
        const std::weak_ptr<void>& Alive;
        ~TPopupEnd() {
            if (!Alive.expired())
                Icon.FInPopup = false;
        }
    } end{*this, alive};
    ::SetForegroundWindow(Handle());
    Application->ProcessMessages();
    if (alive.expired() || !FPopupMenu || Application->Terminated())
        return;
    FPopupMenu->PopupComponent = this;
    FPopupMenu->Popup(Handle(), X, Y);
    if (!alive.expired() && FOwner)
        ::PostMessageW(FOwner->Handle(), WM_NULL, 0, 0);
}

void TCoolTrayIcon::PopupAtCursor() {
    POINT p;
    if (::GetCursorPos(&p))
        Popup(p.x, p.y);
}

// --- the main form and the taskbar ----------------------------------------------

void TCoolTrayIcon::HideTaskbarIcon() {
    if (::IsWindowVisible(Application->Handle()))
        ::ShowWindow(Application->Handle(), SW_HIDE);
}

void TCoolTrayIcon::ShowTaskbarIcon() {
    if (!::IsWindowVisible(Application->Handle()))
        ::ShowWindow(Application->Handle(), SW_SHOW);
}

void TCoolTrayIcon::HideMainForm() {
    if (FOwner && Application->MainForm()) {
        Application->MainForm()->Hide();
        HideTaskbarIcon();
    }
}

void TCoolTrayIcon::ShowMainForm() {
    TForm* mainForm = Application->MainForm();
    if (!FOwner || !mainForm)
        return;
    Application->Restore();
    if (::IsIconic(mainForm->Handle()))
        ::ShowWindow(mainForm->Handle(), SW_RESTORE);
    mainForm->Show();
    ::SetForegroundWindow(Application->Handle());
}

void TCoolTrayIcon::MoveToTray() {
    HideMainForm();
    SetIconVisible(true);
}

// --- hooks ------------------------------------------------------------------------

void TCoolTrayIcon::ApplicationHook(UINT message, WPARAM wParam) {
    TForm* mainForm = Application->MainForm();
    const auto alive = Lifetime(); // moving to the tray and showing run user code
    switch (message) {
    case WM_SIZE:
        if (wParam == SIZE_MINIMIZED && FMinimizeToTray)
            MoveToTray();
        break;
    case WM_WINDOWPOSCHANGED:
        // The framework has no multi-document frames, whose start-up check
        // this was; the first change of position only ends it.
        if (SettingMDIForm && mainForm)
            SettingMDIForm = false;
        break;
    case WM_SYSCOMMAND:
        if (wParam == SC_RESTORE && mainForm) {
            if (::IsIconic(mainForm->Handle()))
                ::ShowWindow(mainForm->Handle(), SW_RESTORE);
            mainForm->Show();
        }
        break;
    }
    if (!alive.expired() && message != 0 && message == TaskbarCreatedMessage() && FIconVisible)
        AddToTray();
}

void TCoolTrayIcon::HookOwnerWindow() {
    const HWND window = FOwner->Handle();
    // One icon hooks a window; a second icon of the same owner leaves it alone.
    if (!window || ::GetPropW(window, kOwnerHookProperty))
        return;
    FOwnerHook = new TOwnerHook{nullptr, this};
    ::SetPropW(window, kOwnerHookProperty, FOwnerHook);
    FOwnerHook->OldWndProc = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(NewWndProc)));
}

void TCoolTrayIcon::UnhookOwnerWindow() {
    TOwnerHook* hook = std::exchange(FOwnerHook, nullptr);
    if (!hook)
        return;
    const HWND window = FOwner->Handle();
    if (window &&
        ::GetWindowLongPtrW(window, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(NewWndProc)) {
        ::SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(hook->OldWndProc));
        ::RemovePropW(window, kOwnerHookProperty);
        delete hook;
    } else {
        hook->Icon = nullptr;
    }
}

LRESULT CALLBACK TCoolTrayIcon::NewWndProc(HWND window, UINT message, WPARAM wParam,
                                           LPARAM lParam) {
    auto* hook = static_cast<TOwnerHook*>(::GetPropW(window, kOwnerHookProperty));
    if (!hook)
        return ::DefWindowProcW(window, message, wParam, lParam);
    const WNDPROC old = hook->OldWndProc;
    if (message == WM_NCDESTROY) {
        // The window goes before the icon: undo the hook now.
        ::SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(old));
        ::RemovePropW(window, kOwnerHookProperty);
        if (hook->Icon)
            hook->Icon->FOwnerHook = nullptr;
        delete hook;
        return ::CallWindowProcW(old, window, message, wParam, lParam);
    }
    if (TCoolTrayIcon* icon = hook->Icon) {
        // The hook's one exception boundary: nothing the icon or the owner's
        // procedure raises may cross back into the system.
        LRESULT result = 0;
        Application->Guard(*icon, [&] { result = icon->OwnerWindowProc(message, wParam, lParam); });
        return result;
    }
    return ::CallWindowProcW(old, window, message, wParam, lParam);
}

LRESULT TCoolTrayIcon::OwnerWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    const HWND window = FOwner->Handle();
    const WNDPROC old = FOwnerHook->OldWndProc;
    if (message == WM_SHOWWINDOW && wParam == 1 && lParam == 0) {
        ::SetForegroundWindow(Application->Handle());
        ::SetForegroundWindow(window);
    } else if ((message == WM_SHOWWINDOW && wParam == 0 && lParam == SW_PARENTCLOSING &&
                !Application->Terminated()) ||
               (message == WM_SYSCOMMAND && wParam == SC_MINIMIZE)) {
        if (FMinimizeToTray && OnMinimizeToTray) {
            const auto alive = Lifetime();
            Raise(OnMinimizeToTray);
            if (!alive.expired())
                MoveToTray();
            return 1;
        }
    }
    return ::CallWindowProcW(old, window, message, wParam, lParam);
}

// --- lesser operations ------------------------------------------------------------

bool TCoolTrayIcon::BitmapToIcon(HBITMAP Bitmap, TIcon& Icon, COLORREF MaskColor) {
    TImageList list(16, 16);
    list.AddMasked(Bitmap, MaskColor);
    list.GetIcon(0, Icon);
    return true;
}

POINT TCoolTrayIcon::GetClientIconPos(int X, int Y) {
    const int h = ::GetSystemMetrics(SM_CYCAPTION);
    POINT p = {X, Y};
    ::ScreenToClient(::WindowFromPoint(p), &p);
    if (h > 1) {
        p.x = p.x % (h - 1) - 1;
        p.y = p.y % (h - 1) - 1;
    }
    return p;
}

namespace {

// The shell's first tooltip window whose style has (balloon) or lacks
// (tooltip) TTS_BALLOON.
HWND FindShellTooltip(bool balloon) {
    const HWND tray = ::FindWindowExW(nullptr, nullptr, L"Shell_TrayWnd", nullptr);
    DWORD shell = 0;
    if (!tray || !::GetWindowThreadProcessId(tray, &shell))
        return nullptr;
    for (HWND w = ::FindWindowExW(nullptr, nullptr, TOOLTIPS_CLASSW, nullptr); w;
         w = ::FindWindowExW(nullptr, w, TOOLTIPS_CLASSW, nullptr)) {
        DWORD owner = 0;
        ::GetWindowThreadProcessId(w, &owner);
        const bool isBalloon = (::GetWindowLongW(w, GWL_STYLE) & TTS_BALLOON) != 0;
        if (owner == shell && isBalloon == balloon)
            return w;
    }
    return nullptr;
}

} // namespace

HWND TCoolTrayIcon::GetTooltipHandle() {
    return FindShellTooltip(false);
}

HWND TCoolTrayIcon::GetBalloonHintHandle() {
    return FindShellTooltip(true);
}

} // namespace skorvel
