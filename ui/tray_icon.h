#pragma once
// The tray icon: one icon in the taskbar's notification area, the shell's
// notifications about it turned into events, a popup menu opened from it,
// and the main form hidden to and brought back from the tray. Two shared
// hidden windows serve every icon and timer of the process: the tray-icon
// handler receives the shell's callbacks, the simple-timer handler the ticks
// of the window-less timers the icons use.
#include "platform/handles.h"
#include "platform/message_filter.h"
#include "ui/framework/events.h"

#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>

namespace skorvel {

class TForm;
class TPopupMenu;

// --- simple timers --------------------------------------------------------

class TSimpleTimer;

// The hidden window that receives the ticks of every simple timer; exists
// while at least one timer exists.
class TSimpleTimerHandler {
public:
    static TSimpleTimerHandler* Instance() { return FInstance; }
    unsigned RefCount = 0;    // timers in existence
    unsigned ActiveCount = 0; // timers running
    HWND WindowHandle() const { return FWindowHandle; }

private:
    friend class TSimpleTimer;
    TSimpleTimerHandler();
    ~TSimpleTimerHandler();
    static LRESULT CALLBACK WindowProc(HWND, UINT, WPARAM, LPARAM);
    static TSimpleTimerHandler* FInstance;
    HWND FWindowHandle = nullptr;
    std::set<TSimpleTimer*> FTimers; // a tick names its timer by address: only these are real
};

class TSimpleTimer : public TObject {
public:
    TSimpleTimer(); // 1000 ms, no handler, stopped
    TSimpleTimer(unsigned AInterval, TNotifyEvent AOnTimer);
    ~TSimpleTimer() override;

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
    friend class TSimpleTimerHandler;
    bool Start();
    // Kills the system timer; with disable, the timer also counts as stopped
    // (otherwise it is only paused).
    bool Stop(bool disable);
    // Runs inside the handler window's exception boundary.
    void Tick();
    UINT_PTR FId; // the timer's own address
    bool FEnabled = false;
    unsigned FInterval = 1000;
    TNotifyEvent FOnTimer;
};

// --- icons and image lists ------------------------------------------------

// An owned icon whose changes are reported.
class TIcon {
public:
    HICON Handle() const { return HICON(FHandle.get()); }
    // Takes a copy of the icon (no icon when it cannot be copied).
    void Assign(HICON icon);
    // Takes ownership of the icon.
    void TakeHandle(HICON icon);
    std::function<void()> OnChange;

private:
    UniqueHandle<IconTraits> FHandle;
};

// A list of same-sized images from which icons are taken.
class TImageList : public TObject {
public:
    explicit TImageList(int width = 16, int height = 16);
    ~TImageList() override;
    int Count() const;
    int AddIcon(HICON icon);
    // Adds a bitmap whose pixels of the mask colour are transparent.
    int AddMasked(HBITMAP bitmap, COLORREF maskColor);
    void GetIcon(int index, TIcon& icon) const;

private:
    HIMAGELIST FHandle;
};

// --- the notification record -----------------------------------------------

// The layout of the shell's notification record that ends with dwInfoFlags:
// 936 bytes on i686, 952 on x86-64. A 64-bit program passing the 32-bit size
// is taken for the oldest layout, and its balloons are dropped.
union TTimeoutOrVersion {
    UINT uTimeout;
    UINT uVersion;
};
struct TNotifyIconDataEx {
    DWORD cbSize;
    HWND hWnd;
    UINT uID;
    UINT uFlags;
    UINT uCallbackMessage;
    HICON hIcon;
    WCHAR szTip[128];
    DWORD dwState;
    DWORD dwStateMask;
    WCHAR szInfo[256];
    TTimeoutOrVersion TimeoutOrVersion;
    WCHAR szInfoTitle[64];
    DWORD dwInfoFlags;
};

class TCoolTrayIcon;

// The hidden top-level window that receives the shell's callbacks for every
// tray icon of the process; exists while at least one icon exists. Top-level
// rather than message-only, so that the shell drops the icons at once if
// the process dies.
class TTrayIconHandler {
public:
    static TTrayIconHandler* Instance() { return FInstance; }
    unsigned RefCount = 0;
    HWND Handle() const { return FHandle; }

private:
    friend class TCoolTrayIcon;
    TTrayIconHandler();
    ~TTrayIconHandler();
    static LRESULT CALLBACK WindowProc(HWND, UINT, WPARAM, LPARAM);
    UINT Register(TCoolTrayIcon& icon);
    static TTrayIconHandler* FInstance;
    HWND FHandle = nullptr;
    std::map<UINT, TCoolTrayIcon*> FIcons; // by identifier
    UINT FNextId = 1;
};

// --- the tray icon ----------------------------------------------------------

enum class TBalloonHintIcon { bitNone, bitInfo, bitWarning, bitError, bitCustom };
using TBalloonHintTimeOut = int; // 10 to 60 seconds
enum class TBehavior { bhWin95, bhWin2000 };

using TCycleEvent = std::function<void(TObject& Sender, int NextIndex)>;
using TStartupEvent = std::function<void(TObject& Sender, bool& ShowMainForm)>;
using TMouseMoveEvent = std::function<void(TObject& Sender, TShiftState Shift, int X, int Y)>;

constexpr UINT WM_TRAYNOTIFY = WM_USER + 0x400; // the icon's callback message

class TCoolTrayIcon : public TObject {
public:
    // An owner form is hooked: its minimise and show messages pass through
    // the icon first. Properties are set after construction; Loaded() then
    // applies them as the end of loading a layout does.
    explicit TCoolTrayIcon(TForm* owner, std::wstring name = L"TrayIcon");
    ~TCoolTrayIcon() override;
    void Loaded();
    // The owner form; null once it has been freed.
    TForm* Owner() const { return FOwner; }

    // Published properties.
    bool DesignPreview() const { return FDesignPreview; }
    void SetDesignPreview(bool value) { FDesignPreview = value; } // there is no designer
    TImageList* IconList() const { return FIconList; }
    void SetIconList(TImageList* value);
    bool CycleIcons() const { return FCycleIcons; }
    void SetCycleIcons(bool value);
    unsigned CycleInterval() const { return FCycleInterval; }
    void SetCycleInterval(unsigned value);
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool value) { FEnabled = value; }
    const std::wstring& Hint() const { return FHint; }
    void SetHint(const std::wstring& value);
    bool ShowHint() const { return FShowHint; }
    void SetShowHint(bool value);
    const TIcon& Icon() const { return FIcon; }
    void SetIcon(HICON value); // the picture is copied
    bool IconVisible() const { return FIconVisible; }
    void SetIconVisible(bool value);
    int IconIndex() const { return FIconIndex; }
    void SetIconIndex(int value);
    TPopupMenu* PopupMenu() const { return FPopupMenu; }
    void SetPopupMenu(TPopupMenu* value);
    bool LeftPopup() const { return FLeftPopup; }
    void SetLeftPopup(bool value) { FLeftPopup = value; }
    bool WantEnterExitEvents() const { return FWantEnterExitEvents; }
    void SetWantEnterExitEvents(bool value);
    bool MinimizeToTray() const { return FMinimizeToTray; }
    void SetMinimizeToTray(bool value) { FMinimizeToTray = value; }

    TNotifyEvent OnClick, OnDblClick, OnMouseEnter, OnMouseExit, OnMinimizeToTray;
    TNotifyEvent OnBalloonHintShow, OnBalloonHintHide, OnBalloonHintTimeout, OnBalloonHintClick;
    TMouseEvent OnMouseDown, OnMouseUp;
    TMouseMoveEvent OnMouseMove;
    TCycleEvent OnCycle;
    TStartupEvent OnStartup;

    // Public properties.
    HWND Handle() const { return IconData.hWnd; }
    TBehavior Behavior() const { return FBehavior; }
    bool SetBehavior(TBehavior value); // sends the protocol version
    const TNotifyIconDataEx& Data() const { return IconData; }

    // Each answers the shell's result; failures are never raised.
    virtual bool AddToTray();
    virtual bool RemoveFromTray();
    virtual bool UpdateTray();
    bool Refresh() { return UpdateTray(); }
    bool ShowBalloonHint(const std::wstring& Title, const std::wstring& Text,
                         TBalloonHintIcon IconType, TBalloonHintTimeOut TimeoutSecs);
    // Text is UTF-16 throughout the program: the same as ShowBalloonHint.
    bool ShowBalloonHintUnicode(const std::wstring& Title, const std::wstring& Text,
                                TBalloonHintIcon IconType, TBalloonHintTimeOut TimeoutSecs) {
        return ShowBalloonHint(Title, Text, IconType, TimeoutSecs);
    }
    bool HideBalloonHint();
    bool SetFocus();

    void Popup(int X, int Y);
    void PopupAtCursor();
    static bool BitmapToIcon(HBITMAP Bitmap, TIcon& Icon, COLORREF MaskColor);
    static POINT GetClientIconPos(int X, int Y);
    static HWND GetTooltipHandle();
    static HWND GetBalloonHintHandle();

    void HideTaskbarIcon();
    void ShowTaskbarIcon();
    void ShowMainForm();
    void HideMainForm();
    // Hides the main form and puts the icon into the tray.
    virtual void MoveToTray();

    // The identifier the shell knows the icon by; a callback naming it comes
    // back to this icon.
    UINT IconID() const { return FIconID; }

    // The elevated program's windows get no broadcast from the shell, which
    // runs with lower integrity, unless they let it through: the icon asks
    // for the shell's "TaskbarCreated" to reach the application window its
    // hook listens on. What was asked and what the system answered (nothing
    // is asked where the shell sends no such broadcast).
    struct TBroadcastRequest {
        HWND Window = nullptr;
        UINT Message = 0;
        TMessageFilterAnswer Answer;
    };
    const TBroadcastRequest& TaskbarCreatedRequest() const { return FTaskbarCreatedRequest; }

protected:
    void Notification(TObject& freed) override;
    // Each event is raised through its own operation.
    virtual void Click();
    virtual void DblClick();
    virtual void CycleIcon(int nextIndex);
    virtual void DoMouseDown(TMouseButton button, TShiftState shift, int x, int y);
    virtual void DoMouseUp(TMouseButton button, TShiftState shift, int x, int y);
    virtual void DoMouseMove(TShiftState shift, int x, int y);
    virtual void MouseEnter();
    virtual void MouseExit();

private:
    friend class TTrayIconHandler;
    template <typename Event, typename... Args> void Raise(const Event& event, Args... args);
    // Expires with the icon: after a call that runs user code or pumps
    // messages, the icon may be gone (a handler may free the icon that
    // raised it), and nothing of it may be touched then.
    std::weak_ptr<void> Lifetime() const { return FLifetime; }
    bool AutoPopupMenu() const;
    void ForgetPopupMenu();
    void HandleIconMessage(UINT message);
    bool PrepareIconData();
    bool Notify(DWORD command);
    void ApplicationHook(UINT message, WPARAM wParam);
    void HookOwnerWindow();
    void UnhookOwnerWindow();
    static LRESULT CALLBACK NewWndProc(HWND, UINT, WPARAM, LPARAM);
    LRESULT OwnerWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    void ClickTimerElapsed();
    void CycleTimerElapsed();
    void ExitTimerElapsed();
    void ChooseDefaultItem();

    TForm* FOwner;
    bool FEnabled = true;
    TIcon FIcon;
    UINT FIconID = 0;
    bool FIconVisible = false;
    std::wstring FHint;
    bool FShowHint = true;
    TPopupMenu* FPopupMenu = nullptr;
    bool FLeftPopup = false;
    bool FMinimizeToTray = false;
    bool FClickStart = false;
    bool FClickReady = false;
    TSimpleTimer CycleTimer, ClickTimer, ExitTimer;
    int LastMoveX = 0, LastMoveY = 0;
    bool FDidExit = true;
    bool FWantEnterExitEvents = false;
    TBehavior FBehavior = TBehavior::bhWin95;
    bool IsDblClick = false;
    int FIconIndex = 0;
    bool FDesignPreview = false;
    bool SettingMDIForm = true;
    TImageList* FIconList = nullptr;
    bool FCycleIcons = false;
    unsigned FCycleInterval = 0;
    // The owner window's previous procedure, kept with the window (see
    // HookOwnerWindow).
    struct TOwnerHook* FOwnerHook = nullptr;
    int FApplicationHook = 0;
    TBroadcastRequest FTaskbarCreatedRequest;
    bool FInPopup = false; // the menu is being opened or is open
    TNotifyIconDataEx IconData = {};
    std::shared_ptr<void> FLifetime = std::make_shared<char>();
};

} // namespace skorvel
