#include "ui/controls/glass_button.h"

#include "ui/framework/form.h"

namespace skorvel {

namespace {

// No CS_DBLCLKS: a double click arrives as a second press, so as two clicks.
const TWindowClass kGlassButtonClass(L"SkorvelGlassButton", 0);
constexpr TRGB24 kWhitePixel{255, 255, 255};

} // namespace

TvxGlassButton::TvxGlassButton(TForm& form, TControl* parent, HWND parentWindow,
                               const LayoutNode& node)
    : TDrawnControl(form, parent, node) {
    const TRect bounds = node.Rect(L"bounds");
    CreateHandle(kGlassButtonClass, node.Text(L"caption"), WS_CHILD | WS_CLIPSIBLINGS, 0,
                 parentWindow, node);
    if (!bounds.Width || !bounds.Height)
        SetBounds({bounds.Left, bounds.Top, bounds.Width ? bounds.Width : 57,
                   bounds.Height ? bounds.Height : 27});
    SetColor(node.Color(L"color", FColor));
    SetColorDown(node.Color(L"color-down", FColorDown));
    SetColorFocused(node.Color(L"color-focused", FColorFocused));
    SetColorFrame(node.Color(L"color-frame", FColorFrame));
    SetColorShadow(node.Color(L"color-shadow", FColorGlow));
    SetFontColor(node.Color(L"font-color", FFontColor));
    SetGlossy(node.Bool(L"glossy", FGlossy));
    SetGlossyLevel(node.Int(L"glossy-level", FGlossyLevel));
    SetLightHeight(node.Int(L"light-height", FLightHeight));
    SetShadowStyle(node.Choice<TShadowStyle>(
        L"shadow-style", {{L"none", ssNone}, {L"glow", ssGlow}, {L"drop", ssDrop}}, FShadowStyle));
    SetTextAlign(node.Choice<TTextAlign>(
        L"text-align", {{L"left", taLeft}, {L"center", taCenter}, {L"right", taRight}},
        FTextAlign));
    SetAltFocus(node.Bool(L"alt-focus", FAltFocus));
    SetAltRender(node.Bool(L"alt-render", FAltRender));
    SetFlat(node.Bool(L"flat", FFlat));
    SetDropDownAlignment(node.Choice<TPopupAlignment>(
        L"drop-down-alignment", {{L"left", paLeft}, {L"right", paRight}, {L"center", paCenter}},
        FPopupAlignment));
    SetHandCursor(node.Choice<bool>(L"cursor", {{L"arrow", false}, {L"hand", true}}, false));
    SetTabStop(node.Bool(L"tab-stop", true));
    OnClick = form.BindNotify(node, L"on-click");
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
        PaintTo(dc.get());
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
    if (!FDropDownMenu)
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

void TvxGlassButton::Paint(HDC dc) {
    // Without a parent the image keeps what it held.
    CopyRenderingBeneath(Handle(), dc);
    struct MaskRelease {
        TDibImage& Mask;
        ~MaskRelease() { Mask.Release(); }
    } maskRelease{FMask};
    DrawButton();
}

std::optional<TGlassButtonPainter::TGlyphSize> TvxGlassButton::ImageSize() const {
    int width = 0, height = 0;
    if (!FImages || !::ImageList_GetIconSize(FImages, &width, &height))
        return std::nullopt;
    return TGlyphSize{width, height};
}

HDC TvxGlassButton::SurfaceDc(TGlassSurface surface) const {
    return surface == gsImage ? Image().Dc() : FMask.Dc();
}

TImageView TvxGlassButton::Pixels(TGlassSurface surface) {
    return surface == gsImage ? Image().Pixels() : FMask.Pixels();
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
    TDrawnControl::MouseEnter();
}

// While the drop-down menu is open the button stays hot.
void TvxGlassButton::MouseLeave() {
    if (!FPopup) {
        FButtonDown = false;
        FBtnIdx = -1;
        Changed();
    }
    TDrawnControl::MouseLeave();
}

// While the left button is held the pressed part does not follow the mouse.
void TvxGlassButton::MouseMove(TShiftState shift, int x, int y) {
    const SIZE size = ClientSize();
    if (x >= 0 && y >= 0 && x < size.cx && y < size.cy && !FButtonDown) {
        const int part = InArrowZone(x, size.cx) ? 1 : 0;
        if (part != FBtnIdx) {
            FBtnIdx = part;
            Changed();
        }
        FButtonDown = (shift & ssLeft) != 0;
    }
    TDrawnControl::MouseMove(shift, x, y);
}

// A press shows the pressed look at once, not at the next paint.
void TvxGlassButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    TakeFocusIfTabStop();
    FPopup = false;
    if (button == TMouseButton::mbLeft) {
        FButtonDown = true;
        FBtnIdx = InArrowZone(x, ClientSize().cx) ? 1 : 0;
        RepaintNow();
    }
    TDrawnControl::MouseDown(button, shift, x, y);
}

// A duo button raises OnClick only for a press that began on its main part.
void TvxGlassButton::Click() {
    TakeFocusIfTabStop();
    if (!FDuoStyle || FBtnIdx == 0)
        TDrawnControl::Click();
}

// A duo button opens its menu for a press and a release both in the arrow
// zone; a plain button with a menu opens it after its click.
void TvxGlassButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    const int pressedPart = FBtnIdx;
    if (button == TMouseButton::mbLeft) {
        if (FDuoStyle) {
            if (InArrowZone(x, ClientSize().cx) && !FPopup && pressedPart == 1)
                PostDropDownRequest();
        } else if (FDropDownMenu) {
            PostDropDownRequest();
        }
    }
    FButtonDown = false;
    FBtnIdx = -1;
    FPopup = false;
    Changed();
    TDrawnControl::MouseUp(button, shift, x, y);
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
        if (!FDuoStyle && FDropDownMenu) {
            PostDropDownRequest();
            return false;
        }
        FBtnIdx = -1;
        RepaintNow();
        Raise(OnClick);
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
    if (!FDropDownMenu)
        return;
    Raise(OnBeforePopup);
    const SIZE size = ClientSize();
    POINT anchor = {FPopupAlignment == paLeft    ? 0
                    : FPopupAlignment == paRight ? size.cx
                                                 : size.cx / 2,
                    size.cy};
    ::ClientToScreen(Handle(), &anchor);
    RepaintNow();
    FPopup = true;
    Raise(OnPopup);
    const UINT alignment = FPopupAlignment == paLeft    ? TPM_LEFTALIGN
                           : FPopupAlignment == paRight ? TPM_RIGHTALIGN
                                                        : TPM_CENTERALIGN;
    const int command = int(
        ::TrackPopupMenu(FDropDownMenu, TPM_RETURNCMD | TPM_LEFTBUTTON | TPM_TOPALIGN | alignment,
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
        break;
    case WM_ENABLE:
        Changed();
        break;
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
        break;
    case WM_KEYDOWN:
    case WM_KEYUP: {
        WORD key = WORD(wParam);
        Raise(message == WM_KEYDOWN ? OnKeyDown : OnKeyUp, key, KeyShiftState());
        const bool used = message == WM_KEYDOWN ? KeyDown(key) : KeyUp(key);
        return used ? 0 : DefaultProc(message, wParam, lParam);
    }
    case kDropDownRequest:
        DropDown();
        return 0;
    }
    return TDrawnControl::WindowProc(message, wParam, lParam);
}

} // namespace skorvel
