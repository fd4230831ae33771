#include "ui/framework/controls.h"

#include "platform/os_error.h"
#include "ui/framework/application.h"
#include "ui/framework/form.h"
#include "ui/framework/layout_builder.h"
#include "ui/framework/menus.h"

#include <commctrl.h>
#include <windowsx.h>

namespace skorvel {

namespace {

constexpr wchar_t kControlProperty[] = L"SkorvelControl";
constexpr UINT_PTR kSubclassId = 1;
void RealignChildren(HWND window, int width, int height);

} // namespace

const TWindowClass kFrameworkWindowClass(L"SkorvelWindow", CS_DBLCLKS);

LRESULT CALLBACK FrameworkWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* control =
            static_cast<TControl*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        control->Attach(window);
    }
    if (auto* control = reinterpret_cast<TControl*>(::GetWindowLongPtrW(window, GWLP_USERDATA))) {
        const LRESULT result = control->GuardedWindowProc(message, wParam, lParam);
        if (message == WM_NCDESTROY)
            control->Detach();
        return result;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

void TWindowClass::Register() const {
    if (FRegistered)
        return;
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    wc.style = FStyle;
    wc.lpfnWndProc = FrameworkWindowProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.hIcon = ::LoadIconW(wc.hInstance, L"MAINICON");
    wc.lpszClassName = FName;
    if (!::RegisterClassExW(&wc) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        RaiseLastOSError();
    FRegistered = true;
}

TControl::TControl(TForm& form, TControl* parent, const LayoutNode& node)
    : TObject(node.Name()), FForm(form), FParent(parent) {}

TControl::~TControl() {
    if (FHandle) {
        if (!FOwnClass)
            ::RemoveWindowSubclass(FHandle, SubclassThunk, kSubclassId);
        const HWND window = FHandle;
        Detach(); // the window's last messages go to the default handling
        ::DestroyWindow(window);
    }
}

// A window of the framework's classes keeps its control in GWLP_USERDATA,
// which its window procedure reads on every message at no cost; a window
// property, which a subclassed system window needs, is a round trip to the
// Wine server for each lookup.
TControl* TControl::FromHandle(HWND window) {
    if (ULONG_PTR(::GetClassLongPtrW(window, GCLP_WNDPROC)) ==
        reinterpret_cast<ULONG_PTR>(FrameworkWindowProc))
        return reinterpret_cast<TControl*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    return static_cast<TControl*>(::GetPropW(window, kControlProperty));
}

void TControl::Attach(HWND window) {
    FHandle = window;
    if (FOwnClass)
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    else
        ::SetPropW(window, kControlProperty, this);
}

void TControl::Detach() {
    if (FOwnClass)
        ::SetWindowLongPtrW(FHandle, GWLP_USERDATA, 0);
    else
        ::RemovePropW(FHandle, kControlProperty);
    FHandle = nullptr;
}

HWND TControl::NewWindow(const wchar_t* className, const std::wstring& text, DWORD style,
                         DWORD exStyle, HWND parent, const LayoutNode& node, void* createParam) {
    FBounds = node.Has(L"bounds") ? node.Rect(L"bounds") : TRect{};
    const HWND window = ::CreateWindowExW(exStyle, className, text.c_str(), style, FBounds.Left,
                                          FBounds.Top, FBounds.Width, FBounds.Height, parent,
                                          nullptr, ::GetModuleHandleW(nullptr), createParam);
    if (!window)
        RaiseLastOSError();
    return window;
}

void TControl::CreateHandle(const TWindowClass& windowClass, const std::wstring& text, DWORD style,
                            DWORD exStyle, HWND parent, const LayoutNode& node) {
    windowClass.Register();
    FOwnClass = true;
    // The window procedure attaches the window to this control at WM_NCCREATE.
    NewWindow(windowClass.Name(), text, style, exStyle, parent, node, this);
    ApplyCommon(node);
}

void TControl::CreateHandle(const wchar_t* systemClass, const std::wstring& text, DWORD style,
                            DWORD exStyle, HWND parent, const LayoutNode& node) {
    FOwnClass = false;
    const HWND window = NewWindow(systemClass, text, style, exStyle, parent, node, nullptr);
    Attach(window);
    ::SetWindowSubclass(window, SubclassThunk, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
    ApplyCommon(node);
}

void TControl::ApplyCommon(const LayoutNode& node) {
    FTabOrder = node.Int(L"tab-order", -1);
    FAlign = node.Choice<TAlign>(
        L"align",
        {{L"client", TAlign::alClient}, {L"top", TAlign::alTop}, {L"bottom", TAlign::alBottom}},
        TAlign::alNone);
    ::SendMessageW(FHandle, WM_SETFONT, WPARAM(LayoutFont(FForm, node)), FALSE);
    if (node.Has(L"popup-menu"))
        FPopupMenu = &FForm.FindComponent<TPopupMenu>(node, L"popup-menu");
    if (!node.Bool(L"enabled", true))
        ::EnableWindow(FHandle, FALSE);
    // Forms are shown later.
    if (&FForm != this)
        ::ShowWindow(FHandle, node.Bool(L"visible", true) ? SW_SHOWNA : SW_HIDE);
}

LRESULT CALLBACK TControl::SubclassThunk(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                         UINT_PTR, DWORD_PTR refData) {
    auto* control = reinterpret_cast<TControl*>(refData);
    const LRESULT result = control->GuardedWindowProc(message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        ::RemoveWindowSubclass(window, SubclassThunk, kSubclassId);
        control->Detach();
    }
    return result;
}

LRESULT TControl::GuardedWindowProc(UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    LRESULT result = 0;
    Application->Guard(*this, [&] { result = WindowProc(message, wParam, lParam); });
    return result;
}

LRESULT TControl::DefaultProc(UINT message, WPARAM wParam, LPARAM lParam) {
    return FOwnClass ? ::DefWindowProcW(FHandle, message, wParam, lParam)
                     : ::DefSubclassProc(FHandle, message, wParam, lParam);
}

LRESULT TControl::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (ReflectNotification(message, wParam, lParam, result))
        return result;
    if (message == WM_SIZE)
        RealignChildren(FHandle, LOWORD(lParam), HIWORD(lParam));
    if (message == WM_CONTEXTMENU && FPopupMenu) {
        POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        if (at.x == -1 && at.y == -1) { // from the keyboard: open at the control's corner
            at = {0, 0};
            ::ClientToScreen(FHandle, &at);
        }
        FPopupMenu->Popup(*this, at.x, at.y);
        return 0;
    }
    return DefaultProc(message, wParam, lParam);
}

HBRUSH TControl::HandleColour(HDC dc) {
    const auto& style = Application->Style();
    if (!style)
        return nullptr;
    ::SetTextColor(dc, style->Text);
    ::SetBkColor(dc, style->ControlBackground);
    return Application->ControlBrush();
}

bool TControl::Visible() const {
    return FHandle && ::IsWindowVisible(FHandle);
}

void TControl::SetVisible(bool visible) {
    if (visible != Visible())
        ::ShowWindow(FHandle, visible ? SW_SHOW : SW_HIDE);
}

bool TControl::Enabled() const {
    return ::IsWindowEnabled(FHandle);
}

void TControl::SetEnabled(bool enabled) {
    // A window that is disabled while it has the keyboard focus leaves the
    // focus with nobody, and the keyboard then does nothing until the next
    // click: hand it on first, as a dialog does.
    if (!enabled && ContainsFocus())
        FForm.FocusNextControl(FHandle);
    ::EnableWindow(FHandle, enabled);
}

bool TControl::ContainsFocus() const {
    const HWND focus = ::GetFocus();
    return focus && (focus == FHandle || ::IsChild(FHandle, focus));
}

std::wstring TControl::Caption() const {
    std::wstring text(size_t(::GetWindowTextLengthW(FHandle)) + 1, L'\0');
    text.resize(size_t(::GetWindowTextW(FHandle, text.data(), int(text.size()))));
    return text;
}

void TControl::SetCaption(const std::wstring& caption) {
    ::SetWindowTextW(FHandle, caption.c_str());
}

void TControl::SetBounds(const TRect& bounds) {
    FBounds = bounds;
    ::MoveWindow(FHandle, bounds.Left, bounds.Top, bounds.Width, bounds.Height, TRUE);
}

void TControl::SetFocus() {
    ::SetFocus(FHandle);
}

void TControl::Realign(int parentWidth, int parentHeight) {
    TRect r;
    switch (FAlign) {
    case TAlign::alNone:
        return;
    case TAlign::alClient:
        r = {0, 0, parentWidth, parentHeight};
        break;
    case TAlign::alTop:
        r = {0, 0, parentWidth, FBounds.Height};
        break;
    case TAlign::alBottom:
        r = {0, parentHeight - FBounds.Height, parentWidth, FBounds.Height};
        break;
    }
    if (r.Left != FBounds.Left || r.Top != FBounds.Top || r.Width != FBounds.Width ||
        r.Height != FBounds.Height)
        SetBounds(r);
}

namespace {

void RealignChildren(HWND window, int width, int height) {
    for (HWND child = ::GetWindow(window, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        if (TControl* control = TControl::FromHandle(child))
            control->Realign(width, height);
}

} // namespace

bool ReflectNotification(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
    case WM_COMMAND:
        if (lParam) {
            auto* child = TControl::FromHandle(reinterpret_cast<HWND>(lParam));
            if (child && child->HandleCommand(HIWORD(wParam))) {
                result = 0;
                return true;
            }
        }
        return false;
    case WM_DRAWITEM: {
        const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        auto* child = TControl::FromHandle(item.hwndItem);
        if (child && child->HandleDrawItem(item)) {
            result = TRUE;
            return true;
        }
        return false;
    }
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
        if (auto* child = TControl::FromHandle(reinterpret_cast<HWND>(lParam)))
            if (HBRUSH brush = child->HandleColour(reinterpret_cast<HDC>(wParam))) {
                result = reinterpret_cast<LRESULT>(brush);
                return true;
            }
        return false;
    default:
        return false;
    }
}

TShiftState KeyShiftState(SHORT(WINAPI* keyState)(int)) {
    TShiftState shift = 0;
    if (keyState(VK_SHIFT) < 0)
        shift |= ssShift;
    if (keyState(VK_CONTROL) < 0)
        shift |= ssCtrl;
    if (keyState(VK_MENU) < 0)
        shift |= ssAlt;
    return shift;
}

} // namespace skorvel
