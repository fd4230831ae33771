#include "ui/framework/edit_controls.h"

#include "ui/framework/application.h"
#include "ui/framework/form.h"
#include "ui/framework/layout_builder.h"

#include <algorithm>

namespace skorvel {

namespace {

constexpr DWORD kChildStyle = WS_CHILD | WS_CLIPSIBLINGS;

// The height of the closed drop-down's selection field that gives the whole
// control the height of its layout bounds (the field lies inside a 3 px frame).
constexpr int kComboFrame = 6;
// The list part opens below the field; the window's height covers both.
constexpr int kComboListHeight = 200;

// A list that refuses an entry (out of memory, or an index past its end)
// answers an error; going on would lose the entry without a word, and a
// later save would write the list without it.
void CheckAdded(LRESULT answer, const std::wstring& entry) {
    static_assert(LB_ERR == CB_ERR && LB_ERRSPACE == CB_ERRSPACE, "one check for both lists");
    if (answer == LB_ERRSPACE)
        throw Exception(L"Not enough memory to add \"" + entry + L"\" to the list");
    if (answer < 0)
        throw Exception(L"The list refused the entry \"" + entry + L"\"");
}

// Drawing of a list window switched off for a change of many entries, and
// on again (with one full repaint) on every way out.
class RedrawPause {
public:
    explicit RedrawPause(HWND window) : FWindow(window) {
        ::SendMessageW(FWindow, WM_SETREDRAW, FALSE, 0);
    }
    RedrawPause(const RedrawPause&) = delete;
    RedrawPause& operator=(const RedrawPause&) = delete;
    ~RedrawPause() {
        ::SendMessageW(FWindow, WM_SETREDRAW, TRUE, 0);
        ::InvalidateRect(FWindow, nullptr, TRUE);
    }

private:
    HWND FWindow;
};

} // namespace

// --- TLabel -------------------------------------------------------------------

TLabel::TLabel(TForm& form, TControl* parent, HWND parentWindow, const LayoutNode& node)
    : TDrawnControl(form, parent, node) {
    FFont = LayoutFont(form, node);
    FFontColor = node.Color(L"font-color", kSystemColor | COLOR_WINDOWTEXT);
    FWordWrap = node.Bool(L"word-wrap", false);
    FTransparent = node.Bool(L"transparent", false);
    OnMouseDown = form.BindMouse(node, L"on-mouse-down");
    CreateHandle(kFrameworkWindowClass, node.Text(L"caption"), kChildStyle, 0, parentWindow, node);
}

void TLabel::Paint(HDC dc) {
    RECT r;
    ::GetClientRect(FHandle, &r);
    if (FTransparent)
        CopyParentBackground(FHandle, dc);
    else
        ::FillRect(dc, &r, ::GetSysColorBrush(COLOR_BTNFACE));
    SelectedObject selectedFont(dc, FFont);
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, ColorToRGB(FFontColor));
    const std::wstring text = Caption();
    ::DrawTextW(dc, text.c_str(), int(text.size()), &r,
                DT_NOPREFIX | (FWordWrap ? DT_WORDBREAK : DT_SINGLELINE));
}

// --- TComboBox ----------------------------------------------------------------

TComboBox::TComboBox(TForm& form, TControl* parent, HWND parentWindow, const LayoutNode& node)
    : TControl(form, parent, node) {
    const DWORD style = kChildStyle | WS_VSCROLL | CBS_DROPDOWNLIST | CBS_HASSTRINGS |
                        (node.Bool(L"tab-stop", true) ? WS_TABSTOP : 0);
    CreateHandle(L"COMBOBOX", L"", style, 0, parentWindow, node);
    ::SetWindowPos(FHandle, nullptr, 0, 0, FBounds.Width, FBounds.Height + kComboListHeight,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ::SendMessageW(FHandle, CB_SETITEMHEIGHT, WPARAM(-1), FBounds.Height - kComboFrame);
    for (const auto& item : node.Texts(L"item"))
        ::SendMessageW(FHandle, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
}

void TComboBox::SetItems(const std::vector<std::wstring>& items) {
    ::SendMessageW(FHandle, CB_RESETCONTENT, 0, 0);
    for (const auto& item : items)
        CheckAdded(::SendMessageW(FHandle, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str())),
                   item);
}

int TComboBox::Count() const {
    return int(::SendMessageW(FHandle, CB_GETCOUNT, 0, 0));
}

std::wstring TComboBox::Item(int index) const {
    if (index < 0 || index >= Count())
        throw EListError(index);
    std::wstring text(size_t(::SendMessageW(FHandle, CB_GETLBTEXTLEN, WPARAM(index), 0)) + 1,
                      L'\0');
    text.resize(size_t(::SendMessageW(FHandle, CB_GETLBTEXT, WPARAM(index),
                                      reinterpret_cast<LPARAM>(text.data()))));
    return text;
}

int TComboBox::ItemIndex() const {
    return int(::SendMessageW(FHandle, CB_GETCURSEL, 0, 0));
}

void TComboBox::SetItemIndex(int index) {
    ::SendMessageW(FHandle, CB_SETCURSEL, WPARAM(index), 0);
}

std::wstring TComboBox::Text() const {
    const int index = ItemIndex();
    return index < 0 ? std::wstring() : Item(index);
}

// --- TListBox -----------------------------------------------------------------

TListBox::TListBox(TForm& form, TControl* parent, HWND parentWindow, const LayoutNode& node)
    : TControl(form, parent, node) {
    FMultiSelect = node.Bool(L"multi-select", false);
    const DWORD style = kChildStyle | WS_VSCROLL | LBS_HASSTRINGS | LBS_NOTIFY |
                        LBS_NOINTEGRALHEIGHT | (FMultiSelect ? LBS_EXTENDEDSEL : 0) |
                        (node.Bool(L"tab-stop", true) ? WS_TABSTOP : 0);
    CreateHandle(L"LISTBOX", L"", style, WS_EX_CLIENTEDGE, parentWindow, node);
    FListProc = reinterpret_cast<WNDPROC>(::GetClassLongPtrW(FHandle, GCLP_WNDPROC));
    if (node.Has(L"item-height"))
        ListMessage(LB_SETITEMHEIGHT, 0, node.Int(L"item-height"));
}

LRESULT TListBox::ListMessage(UINT message, WPARAM wParam, LPARAM lParam) const {
    return ::CallWindowProcW(FListProc, FHandle, message, wParam, lParam);
}

int TListBox::Count() const {
    return int(ListMessage(LB_GETCOUNT, 0, 0));
}

std::wstring TListBox::Item(int index) const {
    if (index < 0 || index >= Count())
        throw EListError(index);
    std::wstring text(size_t(ListMessage(LB_GETTEXTLEN, WPARAM(index), 0)) + 1, L'\0');
    text.resize(
        size_t(ListMessage(LB_GETTEXT, WPARAM(index), reinterpret_cast<LPARAM>(text.data()))));
    return text;
}

std::vector<std::wstring> TListBox::Items() const {
    std::vector<std::wstring> items(static_cast<size_t>(Count()));
    for (size_t i = 0; i < items.size(); ++i)
        items[i] = Item(int(i));
    return items;
}

void TListBox::SetItems(const std::vector<std::wstring>& items) {
    const RedrawPause pause(FHandle);
    ListMessage(LB_RESETCONTENT, 0, 0);
    size_t characters = 0;
    for (const auto& item : items)
        characters += item.size() + 1;
    ListMessage(LB_INITSTORAGE, items.size(), characters * sizeof(wchar_t));
    for (const auto& item : items)
        CheckAdded(ListMessage(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str())), item);
}

void TListBox::Insert(int index, const std::wstring& text) {
    CheckAdded(ListMessage(LB_INSERTSTRING, WPARAM(index), reinterpret_cast<LPARAM>(text.c_str())),
               text);
}

void TListBox::Clear() {
    ListMessage(LB_RESETCONTENT, 0, 0);
}

void TListBox::DeleteSelected() {
    const std::vector<int> selected = SelectedIndexes();
    if (selected.empty())
        return;
    const RedrawPause pause(FHandle);
    for (auto index = selected.rbegin(); index != selected.rend(); ++index)
        ListMessage(LB_DELETESTRING, WPARAM(*index), 0);
}

std::vector<int> TListBox::SelectedIndexes() const {
    if (!FMultiSelect) {
        const int current = int(ListMessage(LB_GETCURSEL, 0, 0));
        return current < 0 ? std::vector<int>() : std::vector<int>{current};
    }
    std::vector<int> selected(size_t(std::max<LRESULT>(ListMessage(LB_GETSELCOUNT, 0, 0), 0)));
    if (!selected.empty())
        selected.resize(size_t(std::max<LRESULT>(
            ListMessage(LB_GETSELITEMS, selected.size(), reinterpret_cast<LPARAM>(selected.data())),
            0)));
    return selected;
}

bool TListBox::Selected(int index) const {
    if (!FMultiSelect)
        return ListMessage(LB_GETCURSEL, 0, 0) == index;
    return ListMessage(LB_GETSEL, WPARAM(index), 0) > 0;
}

void TListBox::SetSelected(int index, bool selected) {
    if (FMultiSelect)
        ListMessage(LB_SETSEL, selected, index);
    else
        ListMessage(LB_SETCURSEL, selected ? WPARAM(index) : WPARAM(-1), 0);
}

void TListBox::SelectAll() {
    if (FMultiSelect)
        ListMessage(LB_SETSEL, TRUE, -1);
}

// --- TEdit --------------------------------------------------------------------

TEdit::TEdit(TForm& form, TControl* parent, HWND parentWindow, const LayoutNode& node)
    : TControl(form, parent, node) {
    const DWORD style =
        kChildStyle | ES_AUTOHSCROLL | (node.Bool(L"tab-stop", true) ? WS_TABSTOP : 0);
    CreateHandle(L"EDIT", node.Text(L"text", L""), style, WS_EX_CLIENTEDGE, parentWindow, node);
}

} // namespace skorvel
