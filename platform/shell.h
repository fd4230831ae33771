#pragma once
// Opening files and addresses through the shell with the verb "open".
#include "platform/com_ptr.h"

#include <windows.h>

#include <string>

struct IShellDispatch2;

namespace skorvel {

// The desktop's own ShellExecute, reached through the desktop shell window:
// IShellWindows -> FindWindowSW(SWC_DESKTOP) -> IServiceProvider ->
// IShellBrowser -> IShellView -> IShellFolderViewDual -> Application ->
// IShellDispatch2. A program started this way runs with the signed-in user's
// rights, not with those of the elevated caller. The object lives in the
// desktop shell's process: reaching it takes about eight cross-process calls,
// so it is worth keeping for a series of launches. The calling thread must be
// in a COM apartment, and the object is used on that thread only.
class TDesktopShellDispatch {
public:
    // Empty when any step fails (no desktop shell window, no X display under
    // Wine).
    static TDesktopShellDispatch Fetch();

    TDesktopShellDispatch() noexcept;
    TDesktopShellDispatch(TDesktopShellDispatch&&) noexcept;
    TDesktopShellDispatch& operator=(TDesktopShellDispatch&&) noexcept;
    ~TDesktopShellDispatch();

    explicit operator bool() const noexcept { return bool(FShell); }
    // "open", no parameters, no directory, SW_SHOWNORMAL; false when the call
    // fails, also when the shell's process has gone.
    bool Open(const std::wstring& Path) const;

private:
    ComPtr<IShellDispatch2> FShell;
};

// ShellExecuteW with "open" and SW_SHOWNORMAL from this process; Owner owns
// whatever the shell shows. The result is not examined: the shell reports
// failures to the user itself.
void ShellOpen(HWND Owner, const std::wstring& Path);

} // namespace skorvel
