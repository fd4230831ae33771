#include "ui/tray_icon.h"

#include "platform/system_library.h"
#include "ui/framework/application.h"
#include "ui/framework/form.h"
#include "ui/framework/menus.h"
#include "ui/framework/system_command.h"

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

constexpr UINT kIconFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP; // 7
constexpr unsigned kExitPollInterval = 20;

// The shell's "TaskbarCreated" broadcast, registered once; 0 (never matched)
// when the common controls are older than 4.71, whose shell does not send it.
UINT TaskbarCreatedMessage() {
    static const UINT message = [] {
        const LibraryHandle library(LoadSystemLibrary(L"comctl32.dll"));
        const auto getVersion = LibraryFunction<DLLGETVERSIONPROC>(library.get(), "DllGetVersion");
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

} // namespace

// --- the tray icon ----------------------------------------------------------

TCoolTrayIcon::TCoolTrayIcon(TForm* owner, std::wstring name)
    : TObject(std::move(name)), FOwner(owner),
      CycleTimer(1000, [this](TObject&) { CycleTimerElapsed(); }),
      ClickTimer(1000, [this](TObject&) { ClickTimerElapsed(); }),
      ExitTimer(kExitPollInterval, [this](TObject&) { ExitTimerElapsed(); }) {
    FIconID = FHandler->Register(*this);
    FIcon.OnChange = [this] { UpdateTray(); };
    IconData.cbSize = sizeof IconData;
    IconData.hWnd = FHandler->Handle();
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
    UnhookOwnerWindow();
    FHandler->Unregister(FIconID);
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
        // The form's window went first and took the hook with it.
        UnhookOwnerWindow();
        FOwner = nullptr;
    }
}

void TCoolTrayIcon::Guarded(const std::function<void()>& handler) {
    Application->Guard(*this, handler);
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

// The one decision whether a minimise sends the application to the tray
// through the icon. The application window minimised goes whenever
// MinimizeToTray is on; the owner form's minimise only with an
// OnMinimizeToTray handler as well: without one the form handles its own
// minimise (the main form hides itself).
bool TCoolTrayIcon::MinimizesToTray(TMinimizeFrom from) const {
    return FMinimizeToTray && (from == TMinimizeFrom::mfApplication || bool(OnMinimizeToTray));
}

void TCoolTrayIcon::ApplicationHook(UINT message, WPARAM wParam) {
    TForm* mainForm = Application->MainForm();
    const auto alive = Lifetime(); // moving to the tray and showing run user code
    if (message == WM_SIZE && wParam == SIZE_MINIMIZED) {
        if (MinimizesToTray(TMinimizeFrom::mfApplication))
            MoveToTray();
    } else if (message == WM_WINDOWPOSCHANGED) {
        // The framework has no multi-document frames, whose start-up check
        // this was; the first change of position only ends it.
        if (SettingMDIForm && mainForm)
            SettingMDIForm = false;
    } else if (SystemCommand(message, wParam) == SC_RESTORE && mainForm) {
        if (::IsIconic(mainForm->Handle()))
            ::ShowWindow(mainForm->Handle(), SW_RESTORE);
        mainForm->Show();
    }
    if (!alive.expired() && message != 0 && message == TaskbarCreatedMessage() && FIconVisible)
        AddToTray();
}

// Each icon hooks its owner's window under its own identifier, so that icons
// and other hooks may come and go in any order.
void TCoolTrayIcon::HookOwnerWindow() {
    const HWND window = FOwner->Handle();
    if (window && ::SetWindowSubclass(window, OwnerSubclassProc, reinterpret_cast<UINT_PTR>(this),
                                      reinterpret_cast<DWORD_PTR>(this)))
        FHookedWindow = window;
}

void TCoolTrayIcon::UnhookOwnerWindow() {
    if (const HWND window = std::exchange(FHookedWindow, nullptr))
        ::RemoveWindowSubclass(window, OwnerSubclassProc, reinterpret_cast<UINT_PTR>(this));
}

LRESULT CALLBACK TCoolTrayIcon::OwnerSubclassProc(HWND window, UINT message, WPARAM wParam,
                                                  LPARAM lParam, UINT_PTR, DWORD_PTR iconData) {
    auto* icon = reinterpret_cast<TCoolTrayIcon*>(iconData);
    if (message == WM_NCDESTROY) {
        // The window goes before the icon: the hook goes with it.
        icon->UnhookOwnerWindow();
        return ::DefSubclassProc(window, message, wParam, lParam);
    }
    // The hook's one exception boundary: nothing the icon or the owner's
    // procedure raises may cross back into the system.
    LRESULT result = 0;
    Application->Guard(*icon,
                       [&] { result = icon->OwnerWindowProc(window, message, wParam, lParam); });
    return result;
}

LRESULT TCoolTrayIcon::OwnerWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    // Hidden because its own owner is being minimised: a minimise too, unless
    // the application is ending.
    const bool hiddenWithOwner = message == WM_SHOWWINDOW && wParam == 0 &&
                                 lParam == SW_PARENTCLOSING && !Application->Terminated();
    if (message == WM_SHOWWINDOW && wParam == 1 && lParam == 0) {
        ::SetForegroundWindow(Application->Handle());
        ::SetForegroundWindow(window);
    } else if ((hiddenWithOwner || SystemCommand(message, wParam) == SC_MINIMIZE) &&
               MinimizesToTray(TMinimizeFrom::mfOwner)) {
        const auto alive = Lifetime();
        Raise(OnMinimizeToTray);
        if (!alive.expired())
            MoveToTray();
        return 1;
    }
    return ::DefSubclassProc(window, message, wParam, lParam);
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
