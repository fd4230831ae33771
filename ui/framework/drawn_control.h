#pragma once
// The base of every control that draws itself (the stock panel and picture,
// the custom gradient panel and glass button): its window is of a class of
// the framework's, each paint is drawn into an off-screen image kept for the
// control's life and copied to the window at once, and the mouse input is
// raised as the framework's events.
#include "ui/framework/controls.h"
#include "ui/framework/dib_image.h"

namespace skorvel {

// A colour value as a plain 0x00BBGGRR value: system colours become the
// system's current colour.
TColor ColorToRGB(TColor colour);

// Paints what the parent window shows under a child control into dc (in the
// child's coordinates): how controls look transparent over a drawn parent.
void CopyParentBackground(HWND control, HDC dc);

// Renders into dc (in the control's client coordinates) what lies beneath the
// control: the parent's rendering (CopyParentBackground), then every visible
// sibling below the control in the z-order that overlaps it, asked with
// WM_PRINTCLIENT, bottom first. Nothing without a parent.
void CopyRenderingBeneath(HWND control, HDC dc);

// The mouse button of a button-press or release message; false for any
// other message.
bool MessageMouseButton(UINT message, TMouseButton& button);
// The modifier keys and mouse buttons of a mouse message.
TShiftState MouseShiftState(UINT message, WPARAM wParam);

// The device context of a paint request: the one passed in wParam (a child
// copying our rendering), or BeginPaint's, ended on every path.
class TPaintDc {
public:
    TPaintDc(HWND window, WPARAM wParam);
    TPaintDc(const TPaintDc&) = delete;
    TPaintDc& operator=(const TPaintDc&) = delete;
    ~TPaintDc();
    HDC get() const { return FDc; }

private:
    HWND FWindow;
    PAINTSTRUCT FPaint = {};
    HDC FDc;
    bool FBegun;
};

class TDrawnControl : public TControl {
public:
    // Draws the control into its off-screen image and copies the part that
    // dc asks for (its clip box) to dc, in one piece. Every paint comes here:
    // WM_PAINT, with BeginPaint's DC or a DC handed over by a child copying
    // the rendering under itself, and WM_PRINTCLIENT from a sibling above.
    void PaintTo(HDC dc);

    TNotifyEvent OnClick, OnDblClick, OnMouseEnter, OnMouseLeave;
    TMouseEvent OnMouseDown, OnMouseUp;
    TMouseMoveEvent OnMouseMove;

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

protected:
    using TControl::TControl;

    // Draws the control in client coordinates into dc, the off-screen
    // image's DC, clipped to the part the paint needs.
    virtual void Paint(HDC dc) = 0;
    // True for a control whose drawing reads its own image back: it is then
    // always drawn whole, whatever part the paint needs.
    virtual bool DrawsWholeImage() const { return false; }
    // The off-screen image: the client area's size while Paint runs.
    const TDibImage& Image() const { return FImage; }

    // The mouse input; a derived control extends these and calls them to
    // raise the events. A left press and release both on the control click
    // it (the mouse is captured in between); a double click raises
    // OnDblClick after its press.
    virtual void MouseEnter();
    virtual void MouseLeave();
    virtual void MouseMove(TShiftState shift, int x, int y);
    virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
    virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
    virtual void Click();

    // Asks for a later repaint of the whole control and of the child windows
    // that show it through themselves.
    void Invalidate() const;
    SIZE ClientSize() const;
    // True while a left press that began on the control is held.
    bool PressHeld() const { return FClicked; }

private:
    void HandleMouse(UINT message, WPARAM wParam, LPARAM lParam);

    TDibImage FImage;
    bool FMouseInside = false;
    bool FClicked = false; // a left press began on the control
};

} // namespace skorvel
