#include "ui/controls/glass_button.h"

#include "ui/framework/controls.h"

#include <windowsx.h>

#include <utility>

namespace skorvel {

namespace {

constexpr wchar_t kClassName[] = L"SkorvelGlassButton";
constexpr TRGB24 kWhitePixel{255, 255, 255};

} // namespace

void TvxGlassButton::Create(HWND parent, int controlId, int left, int top, int width, int height) {
    // No CS_DBLCLKS: a double click arrives as a second press, so as two clicks.
    CreateControlWindow(kClassName, 0, WS_VISIBLE | WS_CLIPSIBLINGS, 0, parent, controlId, left,
                        top, width ? width : 57, height ? height : 27);
}

std::wstring TvxGlassButton::Caption() const {
    std::wstring text(std::size_t(::GetWindowTextLengthW(Handle())) + 1, L'\0');
    text.resize(std::size_t(::GetWindowTextW(Handle(), text.data(), int(text.size()))));
    return text;
}

// WM_SETTEXT invalidates the button.
void TvxGlassButton::SetCaption(const std::wstring& caption) {
    ::SetWindowTextW(Handle(), caption.c_str());
}

// WM_SETFONT stores the font and invalidates the button.
void TvxGlassButton::SetFont(HFONT font) {
    ::SendMessageW(Handle(), WM_SETFONT, WPARAM(font), TRUE);
}

void TvxGlassButton::SetFontColor(TColor value) {
    FFontColor = value;
    Changed();
}

void TvxGlassButton::SetAltFocus(bool value) {
    FAltFocus = value;
    Changed();
}
void TvxGlassButton::SetAltRender(bool value) {
    StoreAltRender(value);
    Changed();
}
void TvxGlassButton::SetArrow(bool value) {
    FArrow = value;
    Changed();
}
void TvxGlassButton::SetColor(TColor value) {
    FColor = ColorToRGB(value);
    Changed();
}
void TvxGlassButton::SetColorDown(TColor value) {
    FColorDown = value;
    Changed();
}
void TvxGlassButton::SetColorFocused(TColor value) {
    FColorFocused = value;
    Changed();
}
void TvxGlassButton::SetColorFrame(TColor value) {
    FColorFrame = ColorToRGB(value);
    Changed();
}
void TvxGlassButton::SetColorShadow(TColor value) {
    FColorGlow = value;
    GlowColor = ColorToRGB24(ColorToRGB(value));
    Changed();
}
void TvxGlassButton::SetColorDisabled(TColor value) {
    FDisabledColor = value;
    Changed();
}
void TvxGlassButton::SetDown(bool value) {
    FDown = value;
    Changed();
}
void TvxGlassButton::SetDuoStyle(bool value) {
    FDuoStyle = value;
    Changed();
}
void TvxGlassButton::SetFlat(bool value) {
    FFlat = value;
    Changed();
}
void TvxGlassButton::SetGlossy(bool value) {
    FGlossy = value;
    Changed();
}
void TvxGlassButton::SetGlossyLevel(int value) {
    StoreGlossyLevel(value);
    Changed();
}
void TvxGlassButton::SetImageIdx(int value) {
    FImageIndex = value;
    Changed();
}
void TvxGlassButton::SetImageOffset(int value) {
    FImageOffset = value;
    Changed();
}
void TvxGlassButton::SetImageSpacing(int value) {
    FImageSpacing = value;
    Changed();
}
void TvxGlassButton::SetShadowStyle(TShadowStyle value) {
    FShadowStyle = value;
    Changed();
}
void TvxGlassButton::SetSingleBorder(bool value) {
    FSingleBorder = value;
    Changed();
}
void TvxGlassButton::SetTextAlign(TTextAlign value) {
    FTextAlign = value;
    Changed();
}

bool TvxGlassButton::TabStop() const {
    return (::GetWindowLongPtrW(Handle(), GWL_STYLE) & WS_TABSTOP) != 0;
}

void TvxGlassButton::SetTabStop(bool value) {
    const LONG_PTR style = ::GetWindowLongPtrW(Handle(), GWL_STYLE);
    ::SetWindowLongPtrW(Handle(), GWL_STYLE,
                        value ? style | WS_TABSTOP : style & ~LONG_PTR(WS_TABSTOP));
}

void TvxGlassButton::Changed() {
    Invalidate();
}

void TvxGlassButton::RepaintNow() {
    const WindowDc dc(Handle());
    if (dc.get())
        PaintButton(dc.get());
}

void TvxGlassButton::PostDropDownRequest() {
    ::PostMessageW(Handle(), kDropDownRequest, 0, 0);
}

void TvxGlassButton::TakeFocusIfTabStop() {
    if (::GetFocus() != Handle() && TabStop())
        ::SetFocus(Handle());
}

void TvxGlassButton::ShowPopup() {
    if (Enabled() && Visible())
        ::SetFocus(Handle());
    if (!FPopupMenu)
        return;
    FBtnIdx = FDuoStyle ? 1 : 0;
    FButtonDown = true;
    RepaintNow();
    if (!FPopup)
        PostDropDownRequest();
    FButtonDown = false;
    FBtnIdx = -1;
    FPopup = false;
    Changed();
}

// --- drawing ------------------------------------------------------------------

void TvxGlassButton::PaintButton(HDC dc) {
    const SIZE size = ClientSize();
    if (!FBmp.SetSize(size.cx, size.cy))
        return;
    // Without a parent the image keeps what it held.
    CopyRenderingBeneath(Handle(), FBmp.Dc());
    struct MaskRelease {
        TDibImage& Mask;
        ~MaskRelease() { Mask.Release(); }
    } maskRelease{FMask};
    DrawButton();
    FBmp.Draw(dc, 0, 0);
}

std::optional<TGlassButtonPainter::TGlyphSize> TvxGlassButton::ImageSize() const {
    int width = 0, height = 0;
    if (!FImages || !::ImageList_GetIconSize(FImages, &width, &height))
        return std::nullopt;
    return TGlyphSize{width, height};
}

HDC TvxGlassButton::SurfaceDc(TGlassSurface surface) const {
    return surface == gsImage ? FBmp.Dc() : FMask.Dc();
}

TImageView TvxGlassButton::Pixels(TGlassSurface surface) {
    return surface == gsImage ? FBmp.Pixels() : FMask.Pixels();
}

void TvxGlassButton::NewShadowMask(int width, int height) {
    if (FMask.SetSize(width, height))
        FMask.Pixels().Fill(kWhitePixel);
}

void TvxGlassButton::DrawGlyph(TGlassSurface surface, int x, int y, TGlyphLook look) {
    const HDC dc = SurfaceDc(surface);
    if (!dc || !FImages)
        return;
    switch (look) {
    case glEnabled:
        ::ImageList_Draw(FImages, FImageIndex, dc, x, y, ILD_TRANSPARENT);
        break;
    case glDisabled: {
        const IconHandle icon(::ImageList_GetIcon(FImages, FImageIndex, ILD_TRANSPARENT));
        if (icon)
            ::DrawStateW(dc, nullptr, nullptr, reinterpret_cast<LPARAM>(icon.get()), 0, x, y, 0, 0,
                         DST_ICON | DSS_DISABLED);
        break;
    }
    case glMask: {
        // The entry's two-colour mask: black where the glyph is, white around it.
        int width = 0, height = 0;
        ::ImageList_GetIconSize(FImages, &width, &height);
        const MemoryDc mono(::CreateCompatibleDC(dc));
        const GdiObject bits(::CreateBitmap(width, height, 1, 1, nullptr));
        if (!mono || !bits)
            return;
        const SelectedObject selected(mono.get(), bits.get());
        ::ImageList_Draw(FImages, FImageIndex, mono.get(), 0, 0, ILD_MASK);
        ::SetTextColor(dc, RGB(0, 0, 0));
        ::SetBkColor(dc, RGB(255, 255, 255));
        ::BitBlt(dc, x, y, width, height, mono.get(), 0, 0, SRCAND);
        break;
    }
    }
}

void TvxGlassButton::DrawCaption(TGlassSurface surface, const TPixelRect& rect, TColor colour,
                                 TTextAlign align) {
    const HDC dc = SurfaceDc(surface);
    const std::wstring text = Caption();
    if (!dc || text.empty())
        return;
    const HGDIOBJ font = FFont ? HGDIOBJ(FFont) : ::GetStockObject(DEFAULT_GUI_FONT);
    const SelectedObject selected(dc, font);
    ::SetTextColor(dc, colour);
    ::SetBkMode(dc, TRANSPARENT);
    RECT r = {rect.Left, rect.Top, rect.Right, rect.Bottom};
    const UINT alignment = align == taCenter ? DT_CENTER : align == taRight ? DT_RIGHT : DT_LEFT;
    ::DrawTextW(dc, text.c_str(), int(text.size()), &r,
                DT_END_ELLIPSIS | DT_SINGLELINE | DT_VCENTER | alignment);
}

// --- state --------------------------------------------------------------------

void TvxGlassButton::MouseEnter() {
    FPopup = false;
    FButtonDown = false;
    FBtnIdx = -1;
    Changed();
    if (OnMouseEnter)
        OnMouseEnter();
}

// While the drop-down menu is open the button stays hot.
void TvxGlassButton::MouseLeave() {
    if (!FPopup) {
        FButtonDown = false;
        FBtnIdx = -1;
        Changed();
    }
    if (OnMouseLeave)
        OnMouseLeave();
}

// While the left button is held the pressed part does not follow the mouse.
void TvxGlassButton::MouseMove(WPARAM wParam, int x, int y) {
    const SIZE size = ClientSize();
    if (x >= 0 && y >= 0 && x < size.cx && y < size.cy && !FButtonDown) {
        const int part = InArrowZone(x, size.cx) ? 1 : 0;
        if (part != FBtnIdx) {
            FBtnIdx = part;
            Changed();
        }
        FButtonDown = (wParam & MK_LBUTTON) != 0;
    }
}

// A press shows the pressed look at once, not at the next paint.
void TvxGlassButton::MouseDown(UINT message, WPARAM wParam, LPARAM lParam) {
    TakeFocusIfTabStop();
    FPopup = false;
    if (message == WM_LBUTTONDOWN) {
        ::SetCapture(Handle());
        FClicked = true;
        FButtonDown = true;
        FBtnIdx = InArrowZone(GET_X_LPARAM(lParam), ClientSize().cx) ? 1 : 0;
        RepaintNow();
    }
    RaiseMouseEvent(OnMouseDown, message, wParam, lParam);
}

// A duo button raises OnClick only for a press that began on its main part.
void TvxGlassButton::Click() {
    TakeFocusIfTabStop();
    if ((!FDuoStyle || FBtnIdx == 0) && OnClick)
        OnClick();
}

// A duo button opens its menu for a press and a release both in the arrow
// zone; a plain button with a menu opens it after its click.
void TvxGlassButton::MouseUp(UINT message, WPARAM wParam, LPARAM lParam) {
    const int pressedPart = FBtnIdx;
    if (message == WM_LBUTTONUP) {
        if (FDuoStyle) {
            if (InArrowZone(GET_X_LPARAM(lParam), ClientSize().cx) && !FPopup && pressedPart == 1)
                PostDropDownRequest();
        } else if (FPopupMenu) {
            PostDropDownRequest();
        }
    }
    FButtonDown = false;
    FBtnIdx = -1;
    FPopup = false;
    Changed();
    RaiseMouseEvent(OnMouseUp, message, wParam, lParam);
}

// True when the key was used.
bool TvxGlassButton::KeyDown(WPARAM key) {
    FButtonDown = false;
    FPopup = false;
    switch (key) {
    case VK_RETURN:
        FButtonDown = true;
        FBtnIdx = 0;
        RepaintNow();
        return true;
    case VK_UP:
    case VK_DOWN:
        if (FArrow) {
            FButtonDown = true;
            FBtnIdx = FDuoStyle ? 1 : 0;
            RepaintNow();
        }
        return true;
    case VK_LEFT:
    case VK_RIGHT:
        if (const HWND next = ::GetNextDlgTabItem(::GetParent(Handle()), Handle(), key == VK_LEFT))
            ::SetFocus(next);
        return true;
    default:
        return false;
    }
}

bool TvxGlassButton::KeyUp(WPARAM key) {
    FButtonDown = false;
    FPopup = false;
    switch (key) {
    case VK_RETURN:
        if (!FDuoStyle && FPopupMenu) {
            PostDropDownRequest();
            return false;
        }
        FBtnIdx = -1;
        RepaintNow();
        if (OnClick)
            OnClick();
        return true;
    case VK_UP:
    case VK_DOWN:
        if (FArrow) {
            FBtnIdx = FDuoStyle ? 1 : 0;
            PostDropDownRequest();
        }
        return true;
    default:
        return false;
    }
}

// Opens the menu just below the button, modally; a chosen item's command
// goes to the top-level window.
void TvxGlassButton::DropDown() {
    if (!FPopupMenu)
        return;
    if (OnBeforePopup)
        OnBeforePopup();
    const SIZE size = ClientSize();
    POINT anchor = {FPopupAlignment == paLeft    ? 0
                    : FPopupAlignment == paRight ? size.cx
                                                 : size.cx / 2,
                    size.cy};
    ::ClientToScreen(Handle(), &anchor);
    RepaintNow();
    FPopup = true;
    if (OnPopup)
        OnPopup();
    const UINT alignment = FPopupAlignment == paLeft    ? TPM_LEFTALIGN
                           : FPopupAlignment == paRight ? TPM_RIGHTALIGN
                                                        : TPM_CENTERALIGN;
    const int command =
        int(::TrackPopupMenu(FPopupMenu, TPM_RETURNCMD | TPM_LEFTBUTTON | TPM_TOPALIGN | alignment,
                             anchor.x + FPopupOff, anchor.y, 0, Handle(), nullptr));
    FBtnIdx = -1;
    FButtonDown = false;
    Changed();
    if (command)
        ::SendMessageW(::GetAncestor(Handle(), GA_ROOT), WM_COMMAND, MAKEWPARAM(command, 0), 0);
}

LRESULT TvxGlassButton::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_GETDLGCODE:
        DefaultProc(message, wParam, lParam);
        return DLGC_WANTARROWS;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        if (TabStop())
            Changed();
        return DefaultProc(message, wParam, lParam);
    case WM_ENABLE:
    case WM_SIZE:
        Changed();
        return DefaultProc(message, wParam, lParam);
    case WM_WINDOWPOSCHANGED: {
        Changed();
        const LRESULT result = DefaultProc(message, wParam, lParam);
        Changed();
        return result;
    }
    case WM_SETTEXT: {
        const LRESULT result = DefaultProc(message, wParam, lParam);
        Changed();
        return result;
    }
    case WM_SETFONT:
        FFont = reinterpret_cast<HFONT>(wParam);
        Changed();
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(FFont);
    case WM_SETCURSOR:
        if (FHandCursor && LOWORD(lParam) == HTCLIENT) {
            ::SetCursor(::LoadCursorW(nullptr, IDC_HAND));
            return TRUE;
        }
        return DefaultProc(message, wParam, lParam);
    case WM_MOUSEMOVE:
        if (!FMouseInside) {
            FMouseInside = true;
            TRACKMOUSEEVENT track = {sizeof track, TME_LEAVE, Handle(), 0};
            ::TrackMouseEvent(&track);
            MouseEnter();
        }
        MouseMove(wParam, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        if (OnMouseMove)
            OnMouseMove(MouseShiftState(message, wParam), GET_X_LPARAM(lParam),
                        GET_Y_LPARAM(lParam));
        return 0;
    case WM_MOUSELEAVE:
        FMouseInside = false;
        MouseLeave();
        return 0;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        MouseDown(message, wParam, lParam);
        return 0;
    case WM_LBUTTONUP: {
        // The click comes before the release, and only for a press that began
        // on the button and a release inside it.
        const bool clicked = std::exchange(FClicked, false);
        ::ReleaseCapture();
        const SIZE size = ClientSize();
        const int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
        if (clicked && x >= 0 && y >= 0 && x < size.cx && y < size.cy)
            Click();
        MouseUp(message, wParam, lParam);
        return 0;
    }
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
        MouseUp(message, wParam, lParam);
        return 0;
    case WM_CAPTURECHANGED:
        FClicked = false;
        return 0;
    case WM_KEYDOWN:
    case WM_KEYUP: {
        WORD key = WORD(wParam);
        const TKeyHandler& handler = message == WM_KEYDOWN ? OnKeyDown : OnKeyUp;
        if (handler)
            handler(key, KeyShiftState());
        const bool used = message == WM_KEYDOWN ? KeyDown(key) : KeyUp(key);
        return used ? 0 : DefaultProc(message, wParam, lParam);
    }
    case kDropDownRequest:
        DropDown();
        return 0;
    default:
        return TControlWindow::WindowProc(message, wParam, lParam);
    }
}

} // namespace skorvel
