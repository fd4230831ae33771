#pragma once
// The application object: one per process. It owns the message loop, the
// title shown on message boxes, the main form, the kinds of control the
// layouts may name, the menu-command registry, the window the framework's
// timers tick on, the visual style, and the one exception hook that every
// exception escaping an event handler of any window reaches.
#include "platform/com_ptr.h"
#include "platform/handles.h"
#include "ui/framework/control_kinds.h"
#include "ui/framework/events.h"
#include "ui/framework/style.h"

#include <windows.h>

#include <exception>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace skorvel {

class TForm;
class TMenuItem;
class TTimerWindow;

// Sees a message of the application window before the application does;
// true (with the result set) when it has handled the message.
using TWindowHook =
    std::function<bool(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)>;

class TApplication : public TObject {
public:
    TApplication();
    ~TApplication() override;

    // Initialises COM (single-threaded apartment) for the program's life and
    // creates the application window and the framework's timer window.
    void Initialize();

    // The application's own window: a hidden top-level window of no size that
    // never has a taskbar button (the main form carries that). It receives
    // the broadcasts sent to every top-level window.
    HWND Handle() const;
    // Hooks see every message of the application window first, in the order
    // they were added.
    int HookMainWindow(TWindowHook hook);
    void UnhookMainWindow(int id);
    // Brings a minimised application back to its normal state.
    void Restore();

    const std::wstring& Title() const { return FTitle; }
    void SetTitle(std::wstring title) { FTitle = std::move(title); }
    bool MainFormOnTaskBar = true;

    TForm* MainForm() const { return FMainForm; }
    void SetMainForm(TForm* form) { FMainForm = form; }

    // Shows the main form (unless ShowMainForm was switched off) and runs
    // the message loop until Terminate().
    void Run();
    bool ShowMainForm = true;
    void Terminate();
    bool Terminated() const { return FTerminated; }
    // Handles every message waiting in the queue, then returns.
    void ProcessMessages();
    // Handles one message; false when the queue is empty.
    bool HandleMessage(bool wait);
    // Ends the process at once with exit code 0 (exit handlers still run).
    [[noreturn]] void Halt();

    // Runs an event handler; an exception that escapes it goes to
    // HandleException, an EAbort ends it silently.
    template <typename F> void Guard(TObject& sender, F&& handler) noexcept {
        try {
            handler();
        } catch (...) {
            HandleException(sender, std::current_exception());
        }
    }
    void HandleException(TObject& sender, const std::exception& e) noexcept;
    // The same for an exception caught elsewhere (a hidden window's own
    // boundary); one that is no std::exception is reported as unknown.
    void HandleException(TObject& sender, std::exception_ptr error) noexcept;
    TExceptionEvent OnException;
    // The framework's own error box, used when OnException is not assigned.
    void ShowException(const std::exception& e) noexcept;
    // The window an error box belongs to, so that the box is modal to what
    // the user is looking at: the program's active window (the modal editor
    // while it is shown), else the window last active over the main form
    // (another program is in front), else the main form.
    HWND MessageBoxOwner() const;

    // Visual style. ApplyStyle raises when the named style resource is
    // missing or malformed; until a style is applied the default look is used.
    void ApplyStyle(const wchar_t* resourceName);
    const std::optional<TStyle>& Style() const { return FStyle; }
    HBRUSH ControlBrush() const { return HBRUSH(FControlBrush.get()); }
    HBRUSH FormBrush() const { return HBRUSH(FFormBrush.get()); }
    HBRUSH MenuBrush() const { return HBRUSH(FMenuBrush.get()); }

    // The kinds of control the layouts may name: the stock kinds from the
    // start, the program's own added before its first window is built.
    TControlKinds& ControlKinds() { return FControlKinds; }

    // The registry of menu commands, routed by numeric id.
    WORD RegisterCommand(TMenuItem& item);
    void UnregisterCommand(WORD id);
    TMenuItem* FindCommand(WORD id) const;
    // The window the framework's timers tick on; what escapes a tick there
    // reaches HandleException with the application as sender.
    TTimerWindow& TimerWindow() const { return *FTimerWindow; }

private:
    class TWindow;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    void HandleUnknownException(TObject& sender) noexcept;
    bool IsShortCutMessage(const MSG& msg);
    bool IsTabMessage(const MSG& msg);

    std::wstring FTitle;
    TForm* FMainForm = nullptr;
    bool FTerminated = false;
    std::optional<ComInitialization> FCom;
    TControlKinds FControlKinds;
    std::unique_ptr<TWindow> FWindow;
    std::unique_ptr<TTimerWindow> FTimerWindow;
    std::vector<std::pair<int, TWindowHook>> FHooks;
    int FNextHook = 1;
    std::map<WORD, TMenuItem*> FCommands;
    WORD FNextCommand = 100;
    std::optional<TStyle> FStyle;
    GdiObject FControlBrush, FFormBrush, FMenuBrush;
};

extern TApplication* Application;

// The resource data of a custom resource type, or an empty view.
std::string LoadResourceBytes(const wchar_t* type, const wchar_t* name);

// The executable's default application title: its file name up to the first
// ".", with every letter after the first in lower case ("SKORVEL.EXE" gives
// "Skorvel").
std::wstring DefaultApplicationTitle();

} // namespace skorvel
