#pragma once
// The framework's stock controls: panel, picture, check-list and push button.
#include "ui/framework/controls.h"

#include <vector>

namespace skorvel {

// Paints what the parent window shows under a child control into dc (in the
// child's coordinates): how controls look transparent over a drawn parent.
void CopyParentBackground(HWND control, HDC dc);

// Raises a mouse-down event for a button press; true when it was one.
bool RaiseMouseDown(TControl& control, const TMouseEvent& event, UINT message, WPARAM wParam,
                    LPARAM lParam);

// A window of the framework's own class that draws itself: no background
// erasing (the paint covers everything), painting also into a DC handed over
// with WM_PAINT (how children copy it), mouse presses raised as OnMouseDown.
class TDrawnControl : public TControl {
public:
    using TControl::TControl;
    TMouseEvent OnMouseDown;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

protected:
    virtual void Paint(HDC dc) = 0;
};

// A plain container filled with one colour.
class TPanel : public TDrawnControl {
public:
    TPanel(TForm& form, TControl* parent, HWND parentWindow, const LayoutNode& node);

private:
    void Paint(HDC dc) override;
    uint32_t FColor;
};

// A PNG picture with alpha, drawn over whatever its parent paints beneath it.
// The control takes the picture's size.
class TPicture : public TDrawnControl {
public:
    TPicture(TForm& form, TControl* parent, HWND parentWindow, const LayoutNode& node);

private:
    void Paint(HDC dc) override;
    GdiObject FBitmap; // 32-bit premultiplied BGRA
    int FWidth = 0, FHeight = 0;
};

// A list of rows with three-dimensional check boxes; each row can be
// disabled on its own. Each row's state is also kept in its item data (bit 0
// ticked, bit 1 disabled), so that the state can be read from outside.
class TCheckListBox : public TControl {
public:
    TCheckListBox(TForm& form, TControl* parent, HWND parentWindow, const LayoutNode& node);

    // Appends an unticked, enabled row.
    void AddItem(const std::wstring& text);
    int Count() const;
    bool Checked(int row) const;
    void SetChecked(int row, bool checked);
    bool ItemEnabled(int row) const;
    void SetItemEnabled(int row, bool enabled);
    std::wstring Item(int row) const;

    TNotifyEvent OnClickCheck;

    bool HandleDrawItem(const DRAWITEMSTRUCT& item) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    enum : LPARAM { kChecked = 1, kDisabled = 2 };
    LPARAM Flags(int row) const;
    void SetFlags(int row, LPARAM flags);
    void Toggle(int row);
    int RowAt(int x, int y, bool& onCheckBox) const;
    int FRowHeight;
    bool FFlat;
};

// A standard push button.
class TButton : public TControl {
public:
    TButton(TForm& form, TControl* parent, HWND parentWindow, const LayoutNode& node);
    TNotifyEvent OnClick;
    bool HandleCommand(WORD code) override;
};

} // namespace skorvel
