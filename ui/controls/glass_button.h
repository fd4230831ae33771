#pragma once
// TvxGlassButton: a push button that draws itself completely on every paint
// into an off-screen 24-bit image kept for its life: a copy of what lies
// beneath it, a translucent body, a frame with cut corners, an optional
// glyph, the caption with an optional blurred shadow or glow, an optional
// drop-down arrow; then one BitBlt to the window. It can work as a split
// button (DuoStyle), open a drop-down menu, stay pressed (Down), show only
// its content until hot (Flat) and show keyboard focus. The drawing is
// TGlassButtonPainter's; this class binds it to the window. The layout kind
// "glassbutton" makes it.
#include "ui/controls/glass_paint.h"
#include "ui/framework/drawn_control.h"

#include <commctrl.h>

#include <string>

namespace skorvel {

enum TPopupAlignment { paLeft, paRight, paCenter };

class TvxGlassButton : public TDrawnControl, private TGlassButtonPainter {
public:
    // The button's own message: the drop-down request it posts to itself, so
    // that the menu opens after the current mouse or key handling.
    static constexpr UINT kDropDownRequest = 0x0914;

    // A button whose bounds give a width or height of 0 takes 57 or 27.
    TvxGlassButton(TForm& form, TControl* parent, HWND parentWindow, const LayoutNode& node);

    // The caption font is not owned; the default GUI font while none is set.
    HFONT Font() const { return FFont; }
    void SetFont(HFONT font);
    TColor FontColor() const { return FFontColor; }
    void SetFontColor(TColor value);

    bool AltFocus() const { return FAltFocus; }
    void SetAltFocus(bool value);
    bool AltRender() const { return FAltRender; }
    void SetAltRender(bool value);
    bool Arrow() const { return FArrow; }
    void SetArrow(bool value);
    TColor Color() const { return FColor; }
    void SetColor(TColor value);
    TColor ColorDown() const { return FColorDown; }
    void SetColorDown(TColor value);
    TColor ColorFocused() const { return FColorFocused; }
    void SetColorFocused(TColor value);
    TColor ColorFrame() const { return FColorFrame; }
    void SetColorFrame(TColor value);
    TColor ColorShadow() const { return FColorGlow; }
    void SetColorShadow(TColor value);
    TColor ColorDisabled() const { return FDisabledColor; }
    void SetColorDisabled(TColor value);
    bool Down() const { return FDown; }
    void SetDown(bool value);
    bool DuoStyle() const { return FDuoStyle; }
    void SetDuoStyle(bool value);
    bool Flat() const { return FFlat; }
    void SetFlat(bool value);
    bool Glossy() const { return FGlossy; }
    void SetGlossy(bool value);
    int GlossyLevel() const { return FGlossyLevel; }
    void SetGlossyLevel(int value);
    // The body opacity that GlossyLevel gives (0..196).
    int Gloss() const { return FGloss; }
    HIMAGELIST Images() const { return FImages; }
    void SetImages(HIMAGELIST images) { FImages = images; }
    int ImageIdx() const { return FImageIndex; }
    void SetImageIdx(int value);
    int ImageOffset() const { return FImageOffset; }
    void SetImageOffset(int value);
    int ImageSpacing() const { return FImageSpacing; }
    void SetImageSpacing(int value);
    int LightHeight() const { return FLightHeight; }
    void SetLightHeight(int value) { StoreLightHeight(value); }
    TShadowStyle ShadowStyle() const { return FShadowStyle; }
    void SetShadowStyle(TShadowStyle value);
    bool SingleBorder() const { return FSingleBorder; }
    void SetSingleBorder(bool value);
    TTextAlign TextAlign() const { return FTextAlign; }
    void SetTextAlign(TTextAlign value);
    // The drop-down menu is not owned; a chosen item's command goes to the
    // top-level window as WM_COMMAND, like a menu-bar command.
    HMENU DropDownMenu() const { return FDropDownMenu; }
    void SetDropDownMenu(HMENU menu) { FDropDownMenu = menu; }
    TPopupAlignment DropDownAlignment() const { return FPopupAlignment; }
    void SetDropDownAlignment(TPopupAlignment value) { FPopupAlignment = value; }
    int PopupOffset() const { return FPopupOff; }
    void SetPopupOffset(int value) { FPopupOff = value; }
    bool TabStop() const;
    void SetTabStop(bool value);
    bool HandCursor() const { return FHandCursor; }
    void SetHandCursor(bool value) { FHandCursor = value; }

    // Opens the drop-down menu as if the button had been pressed for it.
    void ShowPopup();

    TNotifyEvent OnPopup, OnBeforePopup;
    TKeyEvent OnKeyDown, OnKeyUp;

    // What the drawing reads of the state, for the host and the tests.
    bool IsPressed() const { return Pressed(); }
    bool IsHot() const { return Hot(); }
    int BtnIdx() const { return FBtnIdx; }

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

protected:
    // Everything of the paint that lies between the copy of the rendering
    // beneath and the copy to the window works on the whole image.
    void Paint(HDC dc) override;
    bool DrawsWholeImage() const override { return true; }
    void MouseEnter() override;
    void MouseLeave() override;
    void MouseMove(TShiftState shift, int x, int y) override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    void Click() override;

    // TGlassButtonPainter's window-system part.
    TColor ColorToRGB(TColor colour) const override { return skorvel::ColorToRGB(colour); }
    bool HasFocus() const override { return ::GetFocus() == Handle(); }
    bool IsEnabled() const override { return Enabled(); }
    std::optional<TGlyphSize> ImageSize() const override;
    TImageView Pixels(TGlassSurface surface) override;
    void NewShadowMask(int width, int height) override;
    void DrawGlyph(TGlassSurface surface, int x, int y, TGlyphLook look) override;
    void DrawCaption(TGlassSurface surface, const TPixelRect& rect, TColor colour,
                     TTextAlign align) override;

private:
    void Changed(); // invalidate after a property change
    void RepaintNow();
    void PostDropDownRequest();
    void TakeFocusIfTabStop();
    bool KeyDown(WPARAM key);
    bool KeyUp(WPARAM key);
    void DropDown();
    HDC SurfaceDc(TGlassSurface surface) const;

    TDibImage FMask; // the shadow mask of one paint
    HFONT FFont = nullptr;
    HIMAGELIST FImages = nullptr;
    bool FPopup = false;
    TPopupAlignment FPopupAlignment = paLeft;
    HMENU FDropDownMenu = nullptr;
    int FPopupOff = 0;
    bool FHandCursor = false;
};

} // namespace skorvel
