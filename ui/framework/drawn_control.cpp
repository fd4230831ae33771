#include "ui/framework/drawn_control.h"

#include <windowsx.h>

#include <utility>
#include <vector>

namespace skorvel {

namespace {

bool IsButtonRelease(UINT message) {
    return message == WM_LBUTTONUP || message == WM_RBUTTONUP || message == WM_MBUTTONUP;
}

} // namespace

bool MessageMouseButton(UINT message, TMouseButton& button) {
    switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
        button = TMouseButton::mbLeft;
        return true;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK:
        button = TMouseButton::mbRight;
        return true;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_MBUTTONDBLCLK:
        button = TMouseButton::mbMiddle;
        return true;
    default:
        return false;
    }
}

TShiftState MouseShiftState(UINT message, WPARAM wParam) {
    TShiftState shift = KeyShiftState();
    if (wParam & MK_LBUTTON)
        shift |= ssLeft;
    if (wParam & MK_RBUTTON)
        shift |= ssRight;
    if (wParam & MK_MBUTTON)
        shift |= ssMiddle;
    if (message == WM_LBUTTONDBLCLK || message == WM_RBUTTONDBLCLK || message == WM_MBUTTONDBLCLK)
        shift |= ssDouble;
    return shift;
}

TColor ColorToRGB(TColor colour) {
    return (colour & kSystemColor) == kSystemColor ? TColor(::GetSysColor(int(colour & 0xFF)))
                                                   : colour & 0xFFFFFF;
}

void CopyParentBackground(HWND control, HDC dc) {
    const HWND parent = ::GetParent(control);
    POINT origin = {0, 0};
    ::MapWindowPoints(control, parent, &origin, 1);
    const SavedDc saved(dc);
    ::OffsetViewportOrgEx(dc, -origin.x, -origin.y, nullptr);
    RECT client;
    ::GetClientRect(parent, &client);
    ::IntersectClipRect(dc, client.left, client.top, client.right, client.bottom);
    ::SendMessageW(parent, WM_ERASEBKGND, WPARAM(dc), 0);
    ::SendMessageW(parent, WM_PAINT, WPARAM(dc), 0);
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
        const SavedDc saved(dc);
        ::OffsetViewportOrgEx(dc, origin.x, origin.y, nullptr);
        ::IntersectClipRect(dc, 0, 0, client.right, client.bottom);
        ::SendMessageW(*it, WM_PRINTCLIENT, WPARAM(dc), PRF_CLIENT);
    }
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

// --- TDrawnControl ------------------------------------------------------------

void TDrawnControl::PaintTo(HDC dc) {
    const SIZE size = ClientSize();
    if (!FImage.SetSize(size.cx, size.cy))
        return;
    RECT area = {0, 0, size.cx, size.cy};
    RECT asked;
    if (!DrawsWholeImage()) {
        const int region = ::GetClipBox(dc, &asked);
        if (region == NULLREGION)
            return;
        if (region != ERROR && !::IntersectRect(&area, &area, &asked))
            return;
    }
    const HDC image = FImage.Dc();
    {
        const SavedDc saved(image);
        ::IntersectClipRect(image, area.left, area.top, area.right, area.bottom);
        Paint(image);
    }
    ::BitBlt(dc, area.left, area.top, area.right - area.left, area.bottom - area.top, image,
             area.left, area.top, SRCCOPY);
}

void TDrawnControl::Invalidate() const {
    ::RedrawWindow(FHandle, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
}

SIZE TDrawnControl::ClientSize() const {
    RECT r;
    ::GetClientRect(FHandle, &r);
    return {r.right, r.bottom};
}

void TDrawnControl::MouseEnter() {
    Raise(OnMouseEnter);
}

void TDrawnControl::MouseLeave() {
    Raise(OnMouseLeave);
}

void TDrawnControl::MouseMove(TShiftState shift, int x, int y) {
    Raise(OnMouseMove, shift, x, y);
}

void TDrawnControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    Raise(OnMouseDown, button, shift, x, y);
}

void TDrawnControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    Raise(OnMouseUp, button, shift, x, y);
}

void TDrawnControl::Click() {
    Raise(OnClick);
}

// The modifier keys are read only for mouse messages: each is a call to the system.
void TDrawnControl::HandleMouse(UINT message, WPARAM wParam, LPARAM lParam) {
    const int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
    if (message == WM_MOUSEMOVE) {
        if (!FMouseInside) {
            FMouseInside = true;
            TRACKMOUSEEVENT track = {sizeof track, TME_LEAVE, FHandle, 0};
            ::TrackMouseEvent(&track);
            MouseEnter();
        }
        MouseMove(MouseShiftState(message, wParam), x, y);
        return;
    }
    TMouseButton button;
    if (!MessageMouseButton(message, button))
        return;
    const TShiftState shift = MouseShiftState(message, wParam);
    if (IsButtonRelease(message)) {
        // The click comes before the release, and only for a press that
        // began on the control and a release inside it.
        if (button == TMouseButton::mbLeft) {
            const bool clicked = std::exchange(FClicked, false);
            ::ReleaseCapture();
            const SIZE size = ClientSize();
            if (clicked && x >= 0 && y >= 0 && x < size.cx && y < size.cy)
                Click();
        }
        MouseUp(button, shift, x, y);
    } else {
        if (button == TMouseButton::mbLeft) {
            ::SetCapture(FHandle);
            FClicked = true;
        }
        MouseDown(button, shift, x, y);
        if (message == WM_LBUTTONDBLCLK)
            Raise(OnDblClick);
    }
}

LRESULT TDrawnControl::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ERASEBKGND: // the paint covers everything: erasing would only flicker
        return 1;
    case WM_PAINT: {
        const TPaintDc dc(FHandle, wParam);
        PaintTo(dc.get());
        return 0;
    }
    case WM_PRINTCLIENT:
        PaintTo(reinterpret_cast<HDC>(wParam));
        return 0;
    // What lies beneath shows through the rendering: it changes with the place.
    case WM_WINDOWPOSCHANGED: {
        Invalidate();
        const LRESULT result = TControl::WindowProc(message, wParam, lParam);
        Invalidate();
        return result;
    }
    case WM_SIZE:
    case WM_SETTEXT: { // the caption is part of the drawing
        const LRESULT result = TControl::WindowProc(message, wParam, lParam);
        Invalidate();
        return result;
    }
    case WM_MOUSELEAVE:
        FMouseInside = false;
        MouseLeave();
        break;
    case WM_CAPTURECHANGED:
        FClicked = false;
        break;
    default:
        HandleMouse(message, wParam, lParam);
        break;
    }
    return TControl::WindowProc(message, wParam, lParam);
}

} // namespace skorvel
