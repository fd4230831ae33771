#pragma once
// A speed button: a button face with an optional 16 x 16 PNG picture and a
// caption, operated with the mouse only. It never takes the keyboard focus
// and is no tab stop; a press and a release inside it is a click (OnClick).
#include "ui/framework/drawn_control.h"

namespace skorvel {

class TSpeedButton : public TDrawnControl {
public:
    TSpeedButton(TForm& form, TControl* parent, HWND parentWindow, const LayoutNode& node);
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void Paint(HDC dc) override;
    void MouseLeave() override;
    void MouseMove(TShiftState shift, int x, int y) override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    void SetState(bool hot, bool down);
    bool Inside(int x, int y) const;
    GdiObject FPicture; // 32-bit premultiplied BGRA, or none
    int FPictureWidth = 0, FPictureHeight = 0;
    HFONT FFont;
    bool FHot = false, FDown = false;
};

} // namespace skorvel
