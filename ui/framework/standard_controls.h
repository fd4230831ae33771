#pragma once
// The framework's stock controls: panel, picture, check-list and push button.
#include "ui/framework/drawn_control.h"

namespace skorvel {

// A plain container filled with one colour.
class TPanel : public TDrawnControl {
public:
    TPanel(TForm& form, TControl* parent, HWND parentWindow, const LayoutNode& node);

private:
    void Paint(HDC dc) override;
    TColor FColor;
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
