#include "platform/hidden_window.h"

#include "platform/os_error.h"

namespace skorvel {

namespace {

constexpr wchar_t kHiddenWindowClass[] = L"SkorvelHiddenWindow";

ATOM RegisterHiddenWindowClass(WNDPROC procedure) {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = procedure;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = kHiddenWindowClass;
    const ATOM atom = ::RegisterClassExW(&wc);
    if (!atom)
        RaiseLastOSError();
    return atom;
}

} // namespace

THiddenWindow::THiddenWindow(TKind kind) {
    // Registered by the first window of the process; a registration that
    // failed is tried again by the next one.
    static const ATOM windowClass = RegisterHiddenWindowClass(GuardedWindowProc);
    const bool topLevel = kind == TKind::hkTopLevel;
    // The window is attached to this object at WM_NCCREATE.
    const HWND window = ::CreateWindowExW(
        topLevel ? WS_EX_TOOLWINDOW : 0, MAKEINTATOM(windowClass), L"", WS_POPUP, 0, 0, 0, 0,
        topLevel ? nullptr : HWND_MESSAGE, nullptr, ::GetModuleHandleW(nullptr), this);
    if (!window)
        RaiseLastOSError();
}

THiddenWindow::~THiddenWindow() {
    if (FWindow)
        ::SetWindowLongPtrW(FWindow.get(), GWLP_USERDATA, 0);
}

LRESULT THiddenWindow::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    return DefaultProc(message, wParam, lParam);
}

LRESULT THiddenWindow::DefaultProc(UINT message, WPARAM wParam, LPARAM lParam) const {
    return ::DefWindowProcW(FWindow.get(), message, wParam, lParam);
}

THiddenWindow* THiddenWindow::FromWindow(HWND window) noexcept {
    return reinterpret_cast<THiddenWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
}

LRESULT CALLBACK THiddenWindow::GuardedWindowProc(HWND window, UINT message, WPARAM wParam,
                                                  LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self =
            static_cast<THiddenWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->FWindow.reset(window);
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    THiddenWindow* self = FromWindow(window);
    if (!self)
        return ::DefWindowProcW(window, message, wParam, lParam);
    LRESULT result = 0;
    try {
        result = self->WindowProc(message, wParam, lParam);
    } catch (...) {
        // The handler may have freed the object (a tick that frees the last
        // user of a shared window): only an object still attached hears of it.
        if (FromWindow(window) == self)
            self->HandleException(message, wParam, std::current_exception());
    }
    if (message == WM_NCDESTROY && FromWindow(window) == self) {
        // Destroyed from outside: the object no longer owns a window.
        ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        self->FWindow.release();
    }
    return result;
}

} // namespace skorvel
