#pragma once
// Windowed controls built from a layout node. Every control is a real child
// window; containers (forms, panels) receive the notifications of their
// children (WM_COMMAND, WM_DRAWITEM, WM_CTLCOLOR*) and hand them back to the
// child's control object, so a control handles its own notifications
// whatever window class its parent is. Every message of a control's window
// goes through one window procedure and one exception boundary: an
// exception that escapes the control's handling reaches the application's
// handler instead of unwinding through the system's frames.
#include "platform/handles.h"
#include "ui/framework/application.h"
#include "ui/framework/events.h"
#include "ui/framework/layout.h"

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace skorvel {

class TForm;
class TPopupMenu;

// A window class whose windows' messages come straight to their control's
// WindowProc; registered with the system when its first window is created,
// once for the process.
class TWindowClass {
public:
    constexpr TWindowClass(const wchar_t* name, UINT style) : FName(name), FStyle(style) {}
    const wchar_t* Name() const { return FName; }
    void Register() const;

private:
    const wchar_t* FName;
    UINT FStyle;
    mutable bool FRegistered = false;
};
// The framework's own class: forms and the stock drawn controls.
extern const TWindowClass kFrameworkWindowClass;

// How a control follows the size of its parent: not at all, or filling its
// client area, or along its top or bottom edge at the control's own height.
enum class TAlign { alNone, alTop, alBottom, alClient };

class TControl : public TObject {
public:
    // parent is the control that contains this one (the form for a form's
    // own controls, nullptr for a form or a control built outside a layout).
    TControl(TForm& form, TControl* parent, const LayoutNode& node);
    ~TControl() override;

    HWND Handle() const { return FHandle; }
    TForm& Form() const { return FForm; }
    TControl* Parent() const { return FParent; }

    bool Visible() const;
    void SetVisible(bool visible);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    bool Enabled() const;
    void SetEnabled(bool enabled);
    std::wstring Caption() const;
    void SetCaption(const std::wstring& caption);
    TRect Bounds() const { return FBounds; }
    void SetBounds(const TRect& bounds);
    void SetFocus();
    // True when the control or a window inside it has the keyboard focus.
    bool ContainsFocus() const;
    TPopupMenu* PopupMenu() const { return FPopupMenu; }
    // The place in the keyboard order the layout gave; -1 for none.
    int TabOrder() const { return FTabOrder; }

    // The control whose window this is, when it belongs to the framework.
    static TControl* FromHandle(HWND window);

    // Notifications reflected from the parent; true when handled.
    virtual bool HandleCommand(WORD code) {
        (void)code;
        return false;
    }
    virtual bool HandleDrawItem(const DRAWITEMSTRUCT& item) {
        (void)item;
        return false;
    }
    virtual HBRUSH HandleColour(HDC dc);

    // Called by the form when its size changes, for controls aligned to an edge.
    void Realign(int parentWidth, int parentHeight);

    // Every message of the control's window passes through here; the
    // default passes it on to the window class's own procedure.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);

protected:
    // Creates the window (called by the concrete constructor), then applies
    // the common properties of the node: visibility, enabling, font, popup.
    // A window of a class of the framework's:
    void CreateHandle(const TWindowClass& windowClass, const std::wstring& text, DWORD style,
                      DWORD exStyle, HWND parent, const LayoutNode& node);
    // A window of a system class (list box, button), subclassed:
    void CreateHandle(const wchar_t* systemClass, const std::wstring& text, DWORD style,
                      DWORD exStyle, HWND parent, const LayoutNode& node);
    LRESULT DefaultProc(UINT message, WPARAM wParam, LPARAM lParam);
    // Raises one of the control's events. An exception that escapes the
    // handler goes to the application's handler, and the control's own
    // handling of the message goes on.
    template <typename Event, typename... Args> void Raise(const Event& event, Args&&... args) {
        if (event)
            Application->Guard(*this, [&] { event(*this, args...); });
    }
    TForm& FForm;
    HWND FHandle = nullptr;
    TRect FBounds;

private:
    friend LRESULT CALLBACK FrameworkWindowProc(HWND, UINT, WPARAM, LPARAM);
    void Attach(HWND window);
    void Detach();
    HWND NewWindow(const wchar_t* className, const std::wstring& text, DWORD style, DWORD exStyle,
                   HWND parent, const LayoutNode& node, void* createParam);
    void ApplyCommon(const LayoutNode& node);
    // WindowProc inside the exception boundary.
    LRESULT GuardedWindowProc(UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    static LRESULT CALLBACK SubclassThunk(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
    TControl* const FParent;
    TAlign FAlign = TAlign::alNone;
    TPopupMenu* FPopupMenu = nullptr;
    int FTabOrder = -1;
    bool FOwnClass = false;
};

// For containers (forms, panels, any window that has framework children):
// hands WM_COMMAND, WM_DRAWITEM and WM_CTLCOLOR* back to the child control
// they are about. True when the child handled it.
bool ReflectNotification(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

// The modifier keys as a TShiftState: by default as the message being handled
// saw them (GetKeyState); GetAsyncKeyState gives their state at this moment.
TShiftState KeyShiftState(SHORT(WINAPI* keyState)(int) = ::GetKeyState);

} // namespace skorvel
