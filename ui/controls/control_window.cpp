#include "ui/controls/control_window.h"

#include "platform/os_error.h"
#include "ui/framework/controls.h"
#include "ui/framework/standard_controls.h"

#include <windowsx.h>

#include <stdexcept>
#include <vector>

namespace skorvel {

TColor ColorToRGB(TColor colour) {
    return colour >> 24 == 0xFF ? TColor(::GetSysColor(int(colour & 0xFF))) : colour & 0xFFFFFF;
}

void CopyRenderingBeneath(HWND control, HDC dc) {
    if (!::GetParent(control))
        return;
    CopyParentBackground(control, dc);
    RECT own;
    ::GetWindowRect(control, &own);
    std::vector<HWND> beneath;
    for (HWND sibling = ::GetWindow(control, GW_HWNDNEXT); sibling;
         sibling = ::GetWindow(sibling, GW_HWNDNEXT)) {
        RECT bounds, overlap;
        ::GetWindowRect(sibling, &bounds);
        if (::IsWindowVisible(sibling) && ::IntersectRect(&overlap, &own, &bounds))
            beneath.push_back(sibling);
    }
    for (auto it = beneath.rbegin(); it != beneath.rend(); ++it) {
        POINT origin = {0, 0};
        ::MapWindowPoints(*it, control, &origin, 1);
        RECT client;
        ::GetClientRect(*it, &client);
        const int saved = ::SaveDC(dc);
        ::OffsetViewportOrgEx(dc, origin.x, origin.y, nullptr);
        ::IntersectClipRect(dc, 0, 0, client.right, client.bottom);
        ::SendMessageW(*it, WM_PRINTCLIENT, WPARAM(dc), PRF_CLIENT);
        ::RestoreDC(dc, saved);
    }
}

TControlWindow::~TControlWindow() {
    if (FWindow) {
        // The object is going: later messages of the window go to DefWindowProc.
        ::SetWindowLongPtrW(FWindow, GWLP_USERDATA, 0);
        ::DestroyWindow(FWindow);
    }
}

void TControlWindow::CreateControlWindow(const wchar_t* className, UINT classStyle, DWORD style,
                                         DWORD exStyle, HWND parent, int controlId, int left,
                                         int top, int width, int height) {
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    wc.style = classStyle;
    wc.lpfnWndProc = StaticWindowProc;
    wc.hInstance = instance;
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = className;
    if (!::RegisterClassExW(&wc) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        RaiseLastOSError();
    if (!::CreateWindowExW(exStyle, className, L"", style | WS_CHILD, left, top, width, height,
                           parent, reinterpret_cast<HMENU>(INT_PTR(controlId)), instance, this))
        RaiseLastOSError();
}

LRESULT CALLBACK TControlWindow::StaticWindowProc(HWND window, UINT message, WPARAM wParam,
                                                  LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self =
            static_cast<TControlWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->FWindow = window;
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<TControlWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self)
        return ::DefWindowProcW(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        self->FWindow = nullptr;
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
    try {
        return self->WindowProc(message, wParam, lParam);
    } catch (const std::exception& e) {
        if (self->OnException)
            self->OnException(e);
    } catch (...) {
        if (self->OnException)
            self->OnException(std::runtime_error("unknown exception"));
    }
    return 0;
}

LRESULT TControlWindow::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        const TPaintDc dc(FWindow, wParam);
        Paint(dc.get());
        return 0;
    }
    case WM_PRINTCLIENT:
        Paint(reinterpret_cast<HDC>(wParam));
        return 0;
    default:
        return DefaultProc(message, wParam, lParam);
    }
}

void TControlWindow::Invalidate() const {
    ::RedrawWindow(FWindow, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
}

void TControlWindow::SetBounds(int left, int top, int width, int height) {
    ::MoveWindow(FWindow, left, top, width, height, TRUE);
}

SIZE TControlWindow::ClientSize() const {
    RECT r;
    ::GetClientRect(FWindow, &r);
    return {r.right, r.bottom};
}

void TControlWindow::RaiseMouseEvent(const TMouseHandler& handler, UINT message, WPARAM wParam,
                                     LPARAM lParam) {
    TMouseButton button;
    if (handler && MessageMouseButton(message, button))
        handler(button, MouseShiftState(message, wParam), GET_X_LPARAM(lParam),
                GET_Y_LPARAM(lParam));
}

TPaintDc::TPaintDc(HWND window, WPARAM wParam)
    : FWindow(window), FDc(reinterpret_cast<HDC>(wParam)), FBegun(wParam == 0) {
    if (FBegun)
        FDc = ::BeginPaint(window, &FPaint);
}

TPaintDc::~TPaintDc() {
    if (FBegun)
        ::EndPaint(FWindow, &FPaint);
}

} // namespace skorvel
