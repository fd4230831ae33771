#pragma once
// The framework's controls for editing lists of text: a label drawn over its
// parent, a pick-only drop-down list, a list box with several selections and
// a one-line text field.
#include "ui/framework/drawn_control.h"

#include <string>
#include <vector>

namespace skorvel {

// Static text in its own font and colour, optionally wrapped at word breaks.
// A transparent label shows what its parent paints beneath it (the gradient
// panels); an opaque one fills with the button face first.
class TLabel : public TDrawnControl {
public:
    TLabel(TForm& form, TControl* parent, HWND parentWindow, const LayoutNode& node);

private:
    void Paint(HDC dc) override;
    HFONT FFont;
    TColor FFontColor;
    bool FWordWrap, FTransparent;
};

// A drop-down list the user can only pick from; no typing.
class TComboBox : public TControl {
public:
    TComboBox(TForm& form, TControl* parent, HWND parentWindow, const LayoutNode& node);

    // Replaces the entries, in the given order; afterwards none is selected.
    // Raises when the list refuses an entry.
    void SetItems(const std::vector<std::wstring>& items);
    int Count() const;
    std::wstring Item(int index) const;
    // -1 when no entry is selected.
    int ItemIndex() const;
    void SetItemIndex(int index);
    // The selected entry's text, or the empty text.
    std::wstring Text() const;
};

// A list of text entries, shown in the order they are inserted; with
// "multi-select: true" several entries can be selected at once (Shift and
// Ctrl extend the selection).
class TListBox : public TControl {
public:
    TListBox(TForm& form, TControl* parent, HWND parentWindow, const LayoutNode& node);

    int Count() const;
    std::wstring Item(int index) const;
    std::vector<std::wstring> Items() const;
    // Replaces every entry at once, drawing once at the end. SetItems and
    // Insert raise when the list refuses an entry (out of memory, or an index
    // past the end), so that no entry goes missing unnoticed.
    void SetItems(const std::vector<std::wstring>& items);
    void Insert(int index, const std::wstring& text);
    // Deletes every selected entry in one pass with drawing off: the list
    // box's own deletions from the last to the first, so that the entries
    // left, their order and the caret come out as deleting them one by one
    // leaves them.
    void DeleteSelected();
    void Clear();
    bool Selected(int index) const;
    // The indexes of the selected entries, in ascending order.
    std::vector<int> SelectedIndexes() const;
    void SetSelected(int index, bool selected);
    void SelectAll();

private:
    // A message straight to the list box's own procedure, past the
    // framework's subclass: the data messages need nothing of it, and under
    // Wine every message through a subclassed window costs two round trips to
    // the server for its window properties, which made a list of 20,000
    // entries take seconds to fill or read.
    LRESULT ListMessage(UINT message, WPARAM wParam, LPARAM lParam) const;
    WNDPROC FListProc;
    bool FMultiSelect;
};

// A one-line text field.
class TEdit : public TControl {
public:
    TEdit(TForm& form, TControl* parent, HWND parentWindow, const LayoutNode& node);
    std::wstring Text() const { return Caption(); }
    void SetText(const std::wstring& text) { SetCaption(text); }
};

} // namespace skorvel
