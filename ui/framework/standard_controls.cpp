#include "ui/framework/standard_controls.h"

#include "platform/os_error.h"
#include "ui/framework/application.h"
#include "ui/framework/form.h"
#include "ui/framework/layout_builder.h"

#include <windowsx.h>

namespace skorvel {

namespace {

constexpr DWORD kChildStyle = WS_CHILD | WS_CLIPSIBLINGS;

} // namespace

// --- TPanel -------------------------------------------------------------------

TPanel::TPanel(TForm& form, TControl* parent, HWND parentWindow, const LayoutNode& node)
    : TDrawnControl(form, parent, node) {
    FColor = node.Color(L"color", kSystemColor | COLOR_BTNFACE);
    OnMouseDown = form.BindMouse(node, L"on-mouse-down");
    CreateHandle(kFrameworkWindowClass, L"", kChildStyle | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT,
                 parentWindow, node);
    CreateChildControls(form, this, FHandle, node);
}

void TPanel::Paint(HDC dc) {
    RECT r;
    ::GetClientRect(FHandle, &r);
    GdiObject brush(::CreateSolidBrush(ColorToRGB(FColor)));
    ::FillRect(dc, &r, HBRUSH(brush.get()));
}

// --- TPicture -----------------------------------------------------------------

TPicture::TPicture(TForm& form, TControl* parent, HWND parentWindow, const LayoutNode& node)
    : TDrawnControl(form, parent, node) {
    FBitmap = LayoutPicture(node, L"picture", FWidth, FHeight);
    OnMouseDown = form.BindMouse(node, L"on-mouse-down");
    CreateHandle(kFrameworkWindowClass, L"", kChildStyle, 0, parentWindow, node);
    // The control takes the picture's size; pictures lie beneath the other controls.
    FBounds.Width = FWidth;
    FBounds.Height = FHeight;
    ::SetWindowPos(FHandle, HWND_BOTTOM, FBounds.Left, FBounds.Top, FWidth, FHeight,
                   SWP_NOACTIVATE);
}

void TPicture::Paint(HDC dc) {
    CopyParentBackground(FHandle, dc);
    MemoryDc source(::CreateCompatibleDC(dc));
    SelectedObject selectedPicture(source.get(), FBitmap.get());
    const BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    ::GdiAlphaBlend(dc, 0, 0, FWidth, FHeight, source.get(), 0, 0, FWidth, FHeight, blend);
}

// --- TCheckListBox ------------------------------------------------------------

TCheckListBox::TCheckListBox(TForm& form, TControl* parent, HWND parentWindow,
                             const LayoutNode& node)
    : TControl(form, parent, node) {
    FRowHeight = node.Int(L"item-height", 14);
    FFlat = node.Bool(L"flat", false);
    OnClickCheck = form.BindNotify(node, L"on-click-check");
    const DWORD style = kChildStyle | WS_VSCROLL | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS |
                        LBS_NOTIFY | LBS_NOINTEGRALHEIGHT |
                        (node.Bool(L"tab-stop", true) ? WS_TABSTOP : 0);
    CreateHandle(L"LISTBOX", L"", style, WS_EX_CLIENTEDGE, parentWindow, node);
    ::SendMessageW(FHandle, LB_SETITEMHEIGHT, 0, FRowHeight);
    for (const auto& item : node.Texts(L"item"))
        AddItem(item);
}

void TCheckListBox::AddItem(const std::wstring& text) {
    ::SendMessageW(FHandle, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

int TCheckListBox::Count() const {
    return int(::SendMessageW(FHandle, LB_GETCOUNT, 0, 0));
}

LPARAM TCheckListBox::Flags(int row) const {
    if (row < 0 || row >= Count())
        throw EListError(row);
    return ::SendMessageW(FHandle, LB_GETITEMDATA, WPARAM(row), 0);
}

void TCheckListBox::SetFlags(int row, LPARAM flags) {
    if (flags == Flags(row))
        return;
    ::SendMessageW(FHandle, LB_SETITEMDATA, WPARAM(row), flags);
    RECT r;
    if (::SendMessageW(FHandle, LB_GETITEMRECT, WPARAM(row), reinterpret_cast<LPARAM>(&r)) !=
        LB_ERR)
        ::InvalidateRect(FHandle, &r, FALSE);
}

bool TCheckListBox::Checked(int row) const {
    return Flags(row) & kChecked;
}

void TCheckListBox::SetChecked(int row, bool checked) {
    SetFlags(row, checked ? (Flags(row) | kChecked) : (Flags(row) & ~kChecked));
}

bool TCheckListBox::ItemEnabled(int row) const {
    return !(Flags(row) & kDisabled);
}

void TCheckListBox::SetItemEnabled(int row, bool enabled) {
    SetFlags(row, enabled ? (Flags(row) & ~kDisabled) : (Flags(row) | kDisabled));
}

std::wstring TCheckListBox::Item(int row) const {
    Flags(row); // range check
    std::wstring text(size_t(::SendMessageW(FHandle, LB_GETTEXTLEN, WPARAM(row), 0)) + 1, L'\0');
    text.resize(size_t(
        ::SendMessageW(FHandle, LB_GETTEXT, WPARAM(row), reinterpret_cast<LPARAM>(text.data()))));
    return text;
}

void TCheckListBox::Toggle(int row) {
    if (!ItemEnabled(row))
        return;
    SetChecked(row, !Checked(row));
    Raise(OnClickCheck);
}

int TCheckListBox::RowAt(int x, int y, bool& onCheckBox) const {
    const LRESULT hit = ::SendMessageW(FHandle, LB_ITEMFROMPOINT, 0, MAKELPARAM(x, y));
    onCheckBox = x < FRowHeight + 2;
    return HIWORD(hit) ? -1 : int(LOWORD(hit));
}

bool TCheckListBox::HandleDrawItem(const DRAWITEMSTRUCT& item) {
    if (item.itemID == UINT(-1))
        return true;
    const int row = int(item.itemID);
    const auto& style = Application->Style();
    const bool selected = item.itemState & ODS_SELECTED;
    const bool enabled = ItemEnabled(row) && Enabled();
    COLORREF back = style ? style->ControlBackground : ::GetSysColor(COLOR_WINDOW);
    COLORREF text = style ? style->Text : ::GetSysColor(COLOR_WINDOWTEXT);
    if (selected) {
        back = style ? style->SelectionBackground : ::GetSysColor(COLOR_HIGHLIGHT);
        text = style ? style->SelectionText : ::GetSysColor(COLOR_HIGHLIGHTTEXT);
    }
    if (!enabled)
        text = style ? style->DisabledText : ::GetSysColor(COLOR_GRAYTEXT);

    const HDC dc = item.hDC;
    RECT r = item.rcItem;
    const int box = std::min(13, int(r.bottom - r.top) - 1);
    RECT boxRect = {r.left + 1, r.top + (r.bottom - r.top - box) / 2, 0, 0};
    boxRect.right = boxRect.left + box;
    boxRect.bottom = boxRect.top + box;
    RECT textRect = r;
    textRect.left = boxRect.right + 3;

    GdiObject backBrush(::CreateSolidBrush(back));
    RECT checkArea = r;
    checkArea.right = textRect.left;
    GdiObject windowBrush(
        ::CreateSolidBrush(style ? style->ControlBackground : ::GetSysColor(COLOR_WINDOW)));
    ::FillRect(dc, &checkArea, HBRUSH(windowBrush.get()));
    ::FillRect(dc, &textRect, HBRUSH(backBrush.get()));
    UINT state = DFCS_BUTTONCHECK | (Checked(row) ? DFCS_CHECKED : 0) |
                 (enabled ? 0 : DFCS_INACTIVE) | (FFlat ? DFCS_FLAT : 0);
    ::DrawFrameControl(dc, &boxRect, DFC_BUTTON, state);

    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, text);
    textRect.left += 1;
    const std::wstring caption = Item(row);
    ::DrawTextW(dc, caption.c_str(), int(caption.size()), &textRect,
                DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    if ((item.itemState & ODS_FOCUS) && selected)
        ::DrawFocusRect(dc, &textRect);
    return true;
}

LRESULT TCheckListBox::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        const LRESULT result = TControl::WindowProc(message, wParam, lParam);
        bool onCheckBox = false;
        const int row = RowAt(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam), onCheckBox);
        if (row >= 0 && (onCheckBox || message == WM_LBUTTONDBLCLK))
            Toggle(row);
        return result;
    }
    case WM_KEYDOWN:
        if (wParam == VK_SPACE) {
            const int row = int(::SendMessageW(FHandle, LB_GETCURSEL, 0, 0));
            if (row >= 0)
                Toggle(row);
            return 0;
        }
        break;
    case WM_CHAR:
        if (wParam == L' ')
            return 0;
        break;
    }
    return TControl::WindowProc(message, wParam, lParam);
}

// --- TButton ------------------------------------------------------------------

TButton::TButton(TForm& form, TControl* parent, HWND parentWindow, const LayoutNode& node)
    : TControl(form, parent, node) {
    OnClick = form.BindNotify(node, L"on-click");
    const DWORD style =
        kChildStyle | BS_PUSHBUTTON | (node.Bool(L"tab-stop", true) ? WS_TABSTOP : 0);
    CreateHandle(L"BUTTON", node.Text(L"caption"), style, 0, parentWindow, node);
}

bool TButton::HandleCommand(WORD code) {
    if (code != BN_CLICKED)
        return false;
    Raise(OnClick);
    return true;
}

} // namespace skorvel
