#include "ui/framework/speed_button.h"

#include "ui/framework/application.h"
#include "ui/framework/form.h"
#include "ui/framework/png.h"

#include <windowsx.h>

namespace skorvel {

namespace {

constexpr int kPictureGap = 2; // between the picture and the caption
constexpr BYTE kDisabledPictureAlpha = 96;

} // namespace

TSpeedButton::TSpeedButton(TForm& form, TControl* parent, HWND parentWindow, const LayoutNode& node)
    : TDrawnControl(form, node) {
    FParent = parent;
    if (node.Has(L"picture"))
        FPicture = LoadPngResource(node.Text(L"picture").c_str(), FPictureWidth, FPictureHeight);
    FFont = LayoutFont(form, node);
    OnClick = form.BindNotify(node, L"on-click");
    CreateHandle(nullptr, node.Text(L"caption"), WS_CHILD | WS_CLIPSIBLINGS, 0, parentWindow, node);
    node.Finish();
}

bool TSpeedButton::Inside(LPARAM lParam) const {
    RECT r;
    ::GetClientRect(FHandle, &r);
    const POINT at = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    return ::PtInRect(&r, at) != FALSE;
}

void TSpeedButton::SetState(bool hot, bool down) {
    if (hot == FHot && down == FDown)
        return;
    FHot = hot;
    FDown = down;
    ::InvalidateRect(FHandle, nullptr, FALSE);
}

LRESULT TSpeedButton::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        ::SetCapture(FHandle);
        SetState(true, true);
        return 0;
    case WM_MOUSEMOVE: {
        if (!FHot && !FDown) {
            TRACKMOUSEEVENT track = {sizeof track, TME_LEAVE, FHandle, 0};
            ::TrackMouseEvent(&track);
        }
        const bool inside = Inside(lParam);
        SetState(inside, ::GetCapture() == FHandle && inside);
        return 0;
    }
    case WM_MOUSELEAVE:
        if (::GetCapture() != FHandle)
            SetState(false, false);
        return 0;
    case WM_LBUTTONUP: {
        const bool click = FDown && Inside(lParam);
        if (::GetCapture() == FHandle)
            ::ReleaseCapture();
        SetState(Inside(lParam), false);
        if (click && OnClick)
            Application->Guard(*this, [&] { OnClick(*this); });
        return 0;
    }
    case WM_CAPTURECHANGED:
        SetState(FHot, false);
        return 0;
    case WM_ENABLE:
        SetState(false, false);
        ::InvalidateRect(FHandle, nullptr, FALSE);
        return 0;
    case WM_SETTEXT: {
        const LRESULT result = TDrawnControl::WindowProc(message, wParam, lParam);
        ::InvalidateRect(FHandle, nullptr, FALSE);
        return result;
    }
    }
    return TDrawnControl::WindowProc(message, wParam, lParam);
}

void TSpeedButton::Paint(HDC dc) {
    RECT r;
    ::GetClientRect(FHandle, &r);
    // Compose off-screen, then copy once: no flicker.
    MemoryDc memory(::CreateCompatibleDC(dc));
    GdiObject canvas(::CreateCompatibleBitmap(dc, r.right, r.bottom));
    SelectedObject selectedCanvas(memory.get(), canvas.get());
    const HDC face = memory.get();
    const bool enabled = Enabled();
    ::FillRect(face, &r, ::GetSysColorBrush(COLOR_BTNFACE));
    RECT edge = r;
    ::DrawEdge(face, &edge, FDown ? EDGE_SUNKEN : (FHot && enabled ? EDGE_RAISED : BDR_RAISEDINNER),
               BF_RECT);

    // Picture and caption side by side, centred; pressed, both move by a pixel.
    const std::wstring caption = Caption();
    SelectedObject selectedFont(face, FFont);
    RECT textSize = {0, 0, 0, 0};
    ::DrawTextW(face, caption.c_str(), int(caption.size()), &textSize,
                DT_SINGLELINE | DT_NOPREFIX | DT_CALCRECT);
    const int gap = FPicture && !caption.empty() ? kPictureGap : 0;
    const int width = FPictureWidth + gap + textSize.right;
    const int shift = FDown ? 1 : 0;
    int x = (r.right - width) / 2 + shift;
    if (FPicture) {
        MemoryDc source(::CreateCompatibleDC(face));
        SelectedObject selectedPicture(source.get(), FPicture.get());
        const BLENDFUNCTION blend = {AC_SRC_OVER, 0, BYTE(enabled ? 255 : kDisabledPictureAlpha),
                                     AC_SRC_ALPHA};
        ::GdiAlphaBlend(face, x, (r.bottom - FPictureHeight) / 2 + shift, FPictureWidth,
                        FPictureHeight, source.get(), 0, 0, FPictureWidth, FPictureHeight, blend);
        x += FPictureWidth + gap;
    }
    RECT text = {x, shift, x + textSize.right, r.bottom + shift};
    ::SetBkMode(face, TRANSPARENT);
    if (!enabled) { // the engraved look of disabled text
        RECT highlight = text;
        ::OffsetRect(&highlight, 1, 1);
        ::SetTextColor(face, ::GetSysColor(COLOR_BTNHIGHLIGHT));
        ::DrawTextW(face, caption.c_str(), int(caption.size()), &highlight,
                    DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    }
    ::SetTextColor(face, ::GetSysColor(enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
    ::DrawTextW(face, caption.c_str(), int(caption.size()), &text,
                DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    ::BitBlt(dc, 0, 0, r.right, r.bottom, face, 0, 0, SRCCOPY);
}

} // namespace skorvel
