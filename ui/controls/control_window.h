#pragma once
// What the two custom controls share: a child window of a window class of
// their own whose procedure finds its object through GWLP_USERDATA (set at
// WM_NCCREATE), an exception boundary around every message, colour
// resolution and the copy of what lies beneath a control.
#include "ui/framework/image24.h"
#include "ui/framework/events.h"

#include <windows.h>

#include <exception>
#include <functional>

namespace skorvel {

// A colour value as a plain 0x00BBGGRR value: system colours (high byte 0xFF)
// become the system's current colour.
TColor ColorToRGB(TColor colour);

// Renders into dc (in the control's client coordinates) what lies beneath the
// control: the parent's rendering (CopyParentBackground), then every visible
// sibling below the control in the z-order that overlaps it, asked with
// WM_PRINTCLIENT, bottom first. Nothing without a parent.
void CopyRenderingBeneath(HWND control, HDC dc);

using TMouseHandler = std::function<void(TMouseButton button, TShiftState shift, int x, int y)>;
using TMouseMoveHandler = std::function<void(TShiftState shift, int x, int y)>;
using TKeyHandler = std::function<void(WORD& key, TShiftState shift)>;

class TControlWindow {
public:
    TControlWindow(const TControlWindow&) = delete;
    TControlWindow& operator=(const TControlWindow&) = delete;
    virtual ~TControlWindow();

    HWND Handle() const { return FWindow; }
    bool Enabled() const { return ::IsWindowEnabled(FWindow) != FALSE; }
    void SetEnabled(bool enabled) { ::EnableWindow(FWindow, enabled); }
    bool Visible() const { return ::IsWindowVisible(FWindow) != FALSE; }
    void SetVisible(bool visible) { ::ShowWindow(FWindow, visible ? SW_SHOWNA : SW_HIDE); }
    void SetBounds(int left, int top, int width, int height);

    // An exception that escapes an event handler or the painting stops at the
    // window procedure (it must not unwind through the system's frames) and is
    // handed here; the host passes it to its application-wide handler.
    std::function<void(const std::exception& e)> OnException;

protected:
    TControlWindow() = default;
    // Registers the class on first use and creates the child window.
    void CreateControlWindow(const wchar_t* className, UINT classStyle, DWORD style, DWORD exStyle,
                             HWND parent, int controlId, int left, int top, int width, int height);
    // Handles the paint messages alike for both controls: no background
    // erasing (the paint covers everything, erasing would only flicker),
    // painting into a DC passed with WM_PAINT or WM_PRINTCLIENT; everything
    // else goes to DefaultProc.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual void Paint(HDC dc) = 0;
    LRESULT DefaultProc(UINT message, WPARAM wParam, LPARAM lParam) {
        return ::DefWindowProcW(FWindow, message, wParam, lParam);
    }
    // Asks for a later repaint of the whole control and of the child windows
    // that show it through themselves.
    void Invalidate() const;
    SIZE ClientSize() const;
    // Raises the press, release and move events shared by the controls.
    void RaiseMouseEvent(const TMouseHandler& handler, UINT message, WPARAM wParam, LPARAM lParam);

private:
    static LRESULT CALLBACK StaticWindowProc(HWND window, UINT message, WPARAM wParam,
                                             LPARAM lParam);
    HWND FWindow = nullptr;
};

// The device context of a paint request: the one passed in wParam (a child
// copying our rendering, or WM_PRINTCLIENT), or BeginPaint's, ended on every path.
class TPaintDc {
public:
    TPaintDc(HWND window, WPARAM wParam);
    TPaintDc(const TPaintDc&) = delete;
    TPaintDc& operator=(const TPaintDc&) = delete;
    ~TPaintDc();
    HDC get() const { return FDc; }

private:
    HWND FWindow;
    PAINTSTRUCT FPaint = {};
    HDC FDc;
    bool FBegun;
};

} // namespace skorvel
