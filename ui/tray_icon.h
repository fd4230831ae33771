#pragma once
// The tray icon: one icon in the taskbar's notification area, the shell's
// notifications about it turned into events, a popup menu opened from it,
// and the main form hidden to and brought back from the tray. One shared
// hidden window, the tray-icon handler, receives the shell's callbacks for
// every icon of the process; the icons time clicks, cycling and the
// pointer's exit with simple timers.
#include "platform/hidden_window.h"
#include "platform/message_filter.h"
#include "platform/shared_window.h"
#include "ui/framework/events.h"
#include "ui/icons.h"
#include "ui/simple_timer.h"

#include <windows.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>

namespace skorvel {

class TForm;
class TPopupMenu;

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
// tray icon of the process; exists while at least one icon exists (its
// RefCount()). Top-level rather than message-only, so that the shell drops
// the icons at once if the process dies.
class TTrayIconHandler final : public THiddenWindow, public TSharedWindow<TTrayIconHandler> {
private:
    friend class TSharedWindow<TTrayIconHandler>;
    friend class TCoolTrayIcon;
    TTrayIconHandler();
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void HandleException(UINT message, WPARAM wParam, std::exception_ptr error) noexcept override;
    UINT Register(TCoolTrayIcon& icon);
    void Unregister(UINT id) { FIcons.erase(id); }
    // The icon a callback's identifier names, or null.
    TCoolTrayIcon* Find(WPARAM id) const;
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
    // The two windows whose minimise may send the application to the tray.
    enum class TMinimizeFrom { mfApplication, mfOwner };
    // Raises an event under the application's guard. The handler runs as a
    // copy: it may free the icon, and with it the event.
    template <typename Event, typename... Args> void Raise(const Event& event, Args... args) {
        if (event)
            Guarded([handler = event, &args..., this] { handler(*this, args...); });
    }
    void Guarded(const std::function<void()>& handler);
    // Expires with the icon: after a call that runs user code or pumps
    // messages, the icon may be gone (a handler may free the icon that
    // raised it), and nothing of it may be touched then.
    std::weak_ptr<void> Lifetime() const { return FLifetime; }
    bool AutoPopupMenu() const;
    void ForgetPopupMenu();
    bool PrepareIconData();
    bool Notify(DWORD command);
    // The shell's notifications, one small handler each; the cursor
    // position and the modifier keys as the notification finds them.
    void HandleIconMessage(UINT message);
    void MouseMoved(POINT at, TShiftState keys);
    void LeftPressed(POINT at, TShiftState keys);
    void LeftReleased(POINT at, TShiftState keys);
    void LeftDoubleClicked(POINT at, TShiftState keys);
    void RightPressed(POINT at, TShiftState keys);
    void RightReleased(POINT at, TShiftState keys);
    void MiddlePressed(POINT at, TShiftState keys);
    void MiddleReleased(POINT at, TShiftState keys);
    void OpenMenuFromIcon();
    void ChooseDefaultItem();
    void ClickTimerElapsed();
    void CycleTimerElapsed();
    void ExitTimerElapsed();
    bool MinimizesToTray(TMinimizeFrom from) const;
    void ApplicationHook(UINT message, WPARAM wParam);
    void HookOwnerWindow();
    void UnhookOwnerWindow();
    static LRESULT CALLBACK OwnerSubclassProc(HWND window, UINT message, WPARAM wParam,
                                              LPARAM lParam, UINT_PTR id, DWORD_PTR icon);
    LRESULT OwnerWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    TSharedWindow<TTrayIconHandler>::TUse FHandler;
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
    HWND FHookedWindow = nullptr; // the owner's window while the icon's hook is on it
    int FApplicationHook = 0;
    TBroadcastRequest FTaskbarCreatedRequest;
    bool FInPopup = false; // the menu is being opened or is open
    TNotifyIconDataEx IconData = {};
    std::shared_ptr<void> FLifetime = std::make_shared<char>();
};

} // namespace skorvel
