#include "ui/controls/vista_panel.h"

#include "ui/controls/panel_paint.h"
#include "ui/framework/form.h"
#include "ui/framework/layout_builder.h"

#include <cstdlib>

namespace skorvel {

namespace {

const TWindowClass kVistaPanelClass(L"SkorvelVistaPanel", CS_DBLCLKS);

} // namespace

TvxVistaPanel::TvxVistaPanel(TForm& form, TControl* parent, HWND parentWindow,
                             const LayoutNode& node)
    : TDrawnControl(form, parent, node) {
    CreateHandle(kVistaPanelClass, L"", WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS,
                 WS_EX_CONTROLPARENT, parentWindow, node);
    ApplyBorderStyle();
    SetColor1(node.Color(L"color1", FColor1));
    SetColor2(node.Color(L"color2", FColor2));
    SetColor3(node.Color(L"color3", FColor3));
    SetColor4(node.Color(L"color4", FColor4));
    SetColorFrame(node.Color(L"color-frame", FColorBorder));
    SetFrames(node.ChoiceSet<TFrameOptions>(
        L"frames",
        {{L"left", frLeft}, {L"top", frTop}, {L"right", frRight}, {L"bottom", frBottom}}));
    SetStyle(node.Choice<TvgStyle>(L"style",
                                   {{L"vista", vgVista},
                                    {L"glass", vgGlass},
                                    {L"simple", vgSimple},
                                    {L"image", vgImage},
                                    {L"alpha", vgAlpha}},
                                   FStyle));
    SetOpacity(std::uint8_t(node.Int(L"opacity", FOpacity)));
    SetCenter(node.Bool(L"center", FCenter));
    SetBorderStyle(node.Choice<TBorderStyle>(
        L"border-style", {{L"none", bsNone}, {L"single", bsSingle}}, FBorderStyle));
    OnMouseDown = form.BindMouse(node, L"on-mouse-down");
    CreateChildControls(form, this, FHandle, node);
}

void TvxVistaPanel::SetBorderStyle(TBorderStyle value) {
    if (value == FBorderStyle)
        return;
    FBorderStyle = value;
    ApplyBorderStyle();
}

void TvxVistaPanel::SetCtl3D(bool value) {
    FCtl3D = value;
    if (FBorderStyle == bsSingle)
        ApplyBorderStyle();
}

// A single border is WS_BORDER, or with the 3D look a sunken client edge. The
// styles are changed on the live window (SWP_FRAMECHANGED), which has the
// effect of recreating it without losing the child windows.
void TvxVistaPanel::ApplyBorderStyle() {
    LONG_PTR style = ::GetWindowLongPtrW(Handle(), GWL_STYLE) & ~LONG_PTR(WS_BORDER);
    LONG_PTR exStyle = ::GetWindowLongPtrW(Handle(), GWL_EXSTYLE) & ~LONG_PTR(WS_EX_CLIENTEDGE);
    if (FBorderStyle == bsSingle) {
        if (FCtl3D)
            exStyle |= WS_EX_CLIENTEDGE;
        else
            style |= WS_BORDER;
    }
    ::SetWindowLongPtrW(Handle(), GWL_STYLE, style);
    ::SetWindowLongPtrW(Handle(), GWL_EXSTYLE, exStyle);
    ::SetWindowPos(Handle(), nullptr, 0, 0, 0, 0,
                   SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    Invalidate();
}

void TvxVistaPanel::SetCenter(bool value) {
    FCenter = value;
    Invalidate();
}
void TvxVistaPanel::SetColor1(TColor value) {
    FColor1 = value;
    Invalidate();
}
void TvxVistaPanel::SetColor2(TColor value) {
    FColor2 = value;
    Invalidate();
}
void TvxVistaPanel::SetColor3(TColor value) {
    FColor3 = value;
    Invalidate();
}
void TvxVistaPanel::SetColor4(TColor value) {
    FColor4 = value;
    Invalidate();
}
void TvxVistaPanel::SetColorFrame(TColor value) {
    FColorBorder = value;
    Invalidate();
}
void TvxVistaPanel::SetFrames(TFrameOptions value) {
    FFrames = value;
    Invalidate();
}
void TvxVistaPanel::SetStyle(TvgStyle value) {
    FStyle = value;
    Invalidate();
}
void TvxVistaPanel::SetOpacity(std::uint8_t value) {
    FOpacity = value;
    Invalidate();
}

void TvxVistaPanel::SetPicture(HBITMAP picture) {
    FPicture.reset(picture ? ::CopyImage(picture, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)
                           : nullptr);
    if (FStyle == vgImage)
        Invalidate();
}

void TvxVistaPanel::PaintWindow(HDC dc) {
    const SIZE size = ClientSize();
    const int width = size.cx, height = size.cy;
    if (width <= 0 || height <= 0)
        return;
    if (FOpacity == 255 || FStyle == vgAlpha)
        PaintFill(dc, width, height);
    if (FOpacity != 255) {
        TDibImage parent, fill;
        if (!parent.SetSize(width, height))
            return;
        CopyRenderingBeneath(Handle(), parent.Dc());
        if (FStyle == vgAlpha) {
            BlendWithColor(parent.Pixels(), FColor1, FOpacity);
        } else if (fill.SetSize(width, height)) {
            // The fill starts from the parent's rendering, which then shows
            // through the transparent parts of a vgImage tile.
            fill.Pixels().CopyFrom(parent.Pixels());
            PaintFill(fill.Dc(), width, height);
            BlendWithFill(parent.Pixels(), fill.Pixels(), FOpacity);
        }
        parent.Draw(dc, 0, 0);
    }
    PaintFrames(dc, width, height);
}

void TvxVistaPanel::PaintFill(HDC target, int width, int height) {
    switch (FStyle) {
    case vgVista:
        PaintVista(target, width, height);
        break;
    case vgGlass:
        PaintGlass(target, width, height);
        break;
    case vgSimple:
        PaintSimple(target, width, height);
        break;
    case vgImage:
        PaintImage(target, width, height);
        break;
    case vgAlpha:
        break;
    }
}

void TvxVistaPanel::PaintVista(HDC target, int width, int height) {
    TDibImage image;
    if (!image.SetSize(width, height))
        return;
    skorvel::PaintVista(image.Pixels(), ColorToRGB(FColor1), ColorToRGB(FColor2),
                        ColorToRGB(FColor3), ColorToRGB(FColor4), FCenter);
    image.Draw(target, 0, 0);
}

// The one-pixel column is stretched by GDI with plain row repetition: its
// height − 1 rows cover the height rows, one of them twice.
void TvxVistaPanel::PaintGlass(HDC target, int width, int height) {
    TImage24 column = GlassColumn(ColorToRGB(FColor1), ColorToRGB(FColor2), height);
    if (column.Height() == 0)
        return;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = 1;
    info.bmiHeader.biHeight = -column.Height();
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    const int oldMode = ::SetStretchBltMode(target, COLORONCOLOR);
    ::StretchDIBits(target, 0, 0, width, height, 0, 0, 1, column.Height(), column.View().Row(0),
                    &info, DIB_RGB_COLORS, SRCCOPY);
    ::SetStretchBltMode(target, oldMode);
}

// One vertical GradientFill; the channels come straight from the stored
// values (red in the low byte), as 16-bit vertex channels.
void TvxVistaPanel::PaintSimple(HDC target, int width, int height) {
    auto vertex = [](LONG x, LONG y, TColor c) {
        return TRIVERTEX{x,
                         y,
                         COLOR16((c & 0xFF) << 8),
                         COLOR16((c >> 8 & 0xFF) << 8),
                         COLOR16((c >> 16 & 0xFF) << 8),
                         0};
    };
    TRIVERTEX vertices[2] = {vertex(0, 0, FColor1), vertex(width, height, FColor2)};
    GRADIENT_RECT rect = {0, 1};
    ::GradientFill(target, vertices, 2, &rect, 1, GRADIENT_FILL_RECT_V);
}

// Tiles the picture unscaled from the top-left corner, one tile past the
// right and bottom edges.
void TvxVistaPanel::PaintImage(HDC target, int width, int height) {
    BITMAP picture = {};
    if (!FPicture || !::GetObjectW(FPicture.get(), sizeof picture, &picture) ||
        picture.bmWidth <= 0 || picture.bmHeight <= 0)
        return;
    const int w = picture.bmWidth, h = std::abs(picture.bmHeight);
    MemoryDc source(::CreateCompatibleDC(target));
    if (!source)
        return;
    SelectedObject selected(source.get(), FPicture.get());
    const BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    for (int i = 0; i <= width / w + 1; ++i)
        for (int j = 0; j <= height / h + 1; ++j) {
            if (picture.bmBitsPixel == 32)
                ::GdiAlphaBlend(target, i * w, j * h, w, h, source.get(), 0, 0, w, h, blend);
            else
                ::BitBlt(target, i * w, j * h, w, h, source.get(), 0, 0, SRCCOPY);
        }
}

// Each line runs from its first point to its second, the second not drawn:
// the bottom line covers the whole bottom row, the top line stops one pixel
// short of the right edge.
void TvxVistaPanel::PaintFrames(HDC dc, int width, int height) {
    if (!FFrames)
        return;
    GdiObject pen(::CreatePen(PS_SOLID, 1, ColorToRGB(FColorBorder)));
    if (!pen)
        return;
    SelectedObject selected(dc, pen.get());
    auto line = [dc](int x1, int y1, int x2, int y2) {
        ::MoveToEx(dc, x1, y1, nullptr);
        ::LineTo(dc, x2, y2);
    };
    const int l = 0, t = 0, r = width, b = height;
    if (FFrames & frLeft)
        line(l, t, l, b - 1);
    if (FFrames & frTop)
        line(l, t, r - 1, t);
    if (FFrames & frRight)
        line(r - 1, t, r - 1, b - 1);
    if (FFrames & frBottom)
        line(l, b - 1, r, b - 1);
}

LRESULT TvxVistaPanel::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    // Notifications of the child windows go on to the panel's parent, so
    // that a window handles its controls' notifications wherever they lie;
    // the framework's own controls handle theirs.
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_COMPAREITEM:
    case WM_DELETEITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSTATIC: {
        LRESULT result = 0;
        if (ReflectNotification(message, wParam, lParam, result))
            return result;
        return ::SendMessageW(::GetParent(Handle()), message, wParam, lParam);
    }
    default:
        return TDrawnControl::WindowProc(message, wParam, lParam);
    }
}

} // namespace skorvel
