#pragma once
// A hidden window owned by an object: the window that receives an object's
// timer ticks, the shell's callbacks or the broadcasts to every top-level
// window. All such windows share one window class, registered once; the
// window finds its object through the pointer stored at WM_NCCREATE, and one
// guarded procedure hands every message to the object's virtual handler.
#include "platform/handles.h"

#include <windows.h>

#include <exception>

namespace skorvel {

class THiddenWindow {
public:
    // A message-only window receives no broadcasts and can never be shown.
    // A top-level one, a tool window of no size that is never shown, also
    // receives the messages sent to every top-level window (the shell's
    // "TaskbarCreated" among them), and a tray icon it owns goes from the
    // tray at once when the process dies.
    enum class TKind { hkMessageOnly, hkTopLevel };

    THiddenWindow(const THiddenWindow&) = delete;
    THiddenWindow& operator=(const THiddenWindow&) = delete;
    // Destroys the window; its last messages get the default handling.
    virtual ~THiddenWindow();

    // Null once the window has been destroyed from outside.
    HWND Handle() const noexcept { return FWindow.get(); }

protected:
    // Creates the window; raises EOSError when it cannot. The messages of the
    // creation itself reach this class's WindowProc, not the derived one's,
    // which is not constructed yet.
    explicit THiddenWindow(TKind kind);

    // Every message of the window; the default handling unless overridden.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // Receives what WindowProc raised for a message, which then answers 0:
    // an exception must not unwind through the system's frames. The layer
    // that knows where errors are shown decides where it goes.
    virtual void HandleException(UINT message, WPARAM wParam,
                                 std::exception_ptr error) noexcept = 0;
    LRESULT DefaultProc(UINT message, WPARAM wParam, LPARAM lParam) const;

private:
    static LRESULT CALLBACK GuardedWindowProc(HWND window, UINT message, WPARAM wParam,
                                              LPARAM lParam);
    static THiddenWindow* FromWindow(HWND window) noexcept;
    WindowHandle FWindow;
};

} // namespace skorvel
