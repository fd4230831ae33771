#pragma once
// TvxVistaPanel: a container window that paints its whole client area with
// one of five fills, optionally mixed with what its parent shows beneath it,
// and optional one-pixel frame lines. Its children are real child windows;
// a child that looks transparent copies the panel's rendering under itself
// by sending the panel WM_PAINT with its own DC (CopyParentBackground). The
// layout kind "vistapanel" makes it; its notifications of child windows that
// are not the framework's go on to its parent.
#include "platform/handles.h"
#include "ui/framework/drawn_control.h"

#include <cstdint>

namespace skorvel {

enum TvgStyle { vgVista, vgGlass, vgSimple, vgImage, vgAlpha };
enum TFrameOption : std::uint8_t { frLeft = 1, frTop = 2, frRight = 4, frBottom = 8 };
using TFrameOptions = std::uint8_t; // a set of TFrameOption bits
enum TBorderStyle { bsNone, bsSingle };

class TvxVistaPanel : public TDrawnControl {
public:
    TvxVistaPanel(TForm& form, TControl* parent, HWND parentWindow, const LayoutNode& node);

    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle value);
    // The single border is drawn as a sunken client edge while this is on.
    bool Ctl3D() const { return FCtl3D; }
    void SetCtl3D(bool value);
    bool Center() const { return FCenter; }
    void SetCenter(bool value);
    TColor Color1() const { return FColor1; }
    void SetColor1(TColor value);
    TColor Color2() const { return FColor2; }
    void SetColor2(TColor value);
    TColor Color3() const { return FColor3; }
    void SetColor3(TColor value);
    TColor Color4() const { return FColor4; }
    void SetColor4(TColor value);
    TColor ColorFrame() const { return FColorBorder; }
    void SetColorFrame(TColor value);
    TFrameOptions Frames() const { return FFrames; }
    void SetFrames(TFrameOptions value);
    // The vgImage tile. The panel keeps its own copy of the bitmap; a 32-bit
    // bitmap is taken as premultiplied BGRA and drawn with its alpha.
    HBITMAP Picture() const { return HBITMAP(FPicture.get()); }
    void SetPicture(HBITMAP picture);
    TvgStyle Style() const { return FStyle; }
    void SetStyle(TvgStyle value);
    std::uint8_t Opacity() const { return FOpacity; }
    void SetOpacity(std::uint8_t value);

    // Paints the panel (fill, opacity, frame lines) straight into dc.
    void PaintWindow(HDC dc);

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

protected:
    void Paint(HDC dc) override { PaintWindow(dc); }

private:
    void ApplyBorderStyle();
    void PaintFill(HDC target, int width, int height);
    void PaintVista(HDC target, int width, int height);
    void PaintGlass(HDC target, int width, int height);
    void PaintSimple(HDC target, int width, int height);
    void PaintImage(HDC target, int width, int height);
    void PaintFrames(HDC dc, int width, int height);

    TBorderStyle FBorderStyle = bsNone;
    bool FCenter = false;
    TColor FColor1 = 0xFFFFFF;
    TColor FColor2 = 0xC0C0C0;
    TColor FColor3 = 0x00FFFF;
    TColor FColor4 = 0x808000;
    TColor FColorBorder = 0x008000;
    TFrameOptions FFrames = 0;
    GdiObject FPicture;
    TvgStyle FStyle = vgVista;
    std::uint8_t FOpacity = 255;
    bool FCtl3D = true;
};

} // namespace skorvel
