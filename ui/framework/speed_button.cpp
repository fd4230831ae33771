#include "ui/framework/speed_button.h"

#include "ui/framework/form.h"
#include "ui/framework/layout_builder.h"

namespace skorvel {

namespace {

constexpr int kPictureGap = 2; // between the picture and the caption
constexpr BYTE kDisabledPictureAlpha = 96;

} // namespace

TSpeedButton::TSpeedButton(TForm& form, TControl* parent, HWND parentWindow, const LayoutNode& node)
    : TDrawnControl(form, parent, node) {
    if (node.Has(L"picture"))
        FPicture = LayoutPicture(node, L"picture", FPictureWidth, FPictureHeight);
    FFont = LayoutFont(form, node);
    OnClick = form.BindNotify(node, L"on-click");
    CreateHandle(kFrameworkWindowClass, node.Text(L"caption"), WS_CHILD | WS_CLIPSIBLINGS, 0,
                 parentWindow, node);
}

bool TSpeedButton::Inside(int x, int y) const {
    const SIZE size = ClientSize();
    return x >= 0 && y >= 0 && x < size.cx && y < size.cy;
}

void TSpeedButton::SetState(bool hot, bool down) {
    if (hot == FHot && down == FDown)
        return;
    FHot = hot;
    FDown = down;
    Invalidate();
}

// While the left button is held (the mouse is captured) the face shows
// pressed only with the pointer over it.
void TSpeedButton::MouseMove(TShiftState shift, int x, int y) {
    const bool inside = Inside(x, y);
    SetState(inside, PressHeld() && inside);
    TDrawnControl::MouseMove(shift, x, y);
}

void TSpeedButton::MouseLeave() {
    if (!PressHeld())
        SetState(false, false);
    TDrawnControl::MouseLeave();
}

void TSpeedButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    if (button == TMouseButton::mbLeft)
        SetState(true, true);
    TDrawnControl::MouseDown(button, shift, x, y);
}

void TSpeedButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    if (button == TMouseButton::mbLeft)
        SetState(Inside(x, y), false);
    TDrawnControl::MouseUp(button, shift, x, y);
}

LRESULT TSpeedButton::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CAPTURECHANGED: // the press ends without a click
        SetState(FHot, false);
        break;
    case WM_ENABLE: // the face and the picture change with it
        FHot = FDown = false;
        Invalidate();
        break;
    }
    return TDrawnControl::WindowProc(message, wParam, lParam);
}

void TSpeedButton::Paint(HDC face) {
    RECT r;
    ::GetClientRect(FHandle, &r);
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
}

} // namespace skorvel
