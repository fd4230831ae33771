#pragma once
// Opening files and addresses through the shell with the verb "open".
#include <windows.h>

#include <string>

namespace skorvel {

// The desktop's own ShellExecute, reached through the desktop shell window:
// IShellWindows -> FindWindowSW(SWC_DESKTOP) -> IServiceProvider ->
// IShellBrowser -> IShellView -> IShellFolderViewDual -> Application ->
// IShellDispatch2. "open", no parameters, no directory, SW_SHOWNORMAL. A
// program started this way runs with the signed-in user's rights, not with
// those of the elevated caller. False when any step fails; the calling thread
// must be in a COM apartment.
bool ShellExecuteThroughDesktop(const std::wstring& Path);

// ShellExecuteW with "open" and SW_SHOWNORMAL from this process; Owner owns
// whatever the shell shows. The result is not examined: the shell reports
// failures to the user itself.
void ShellOpen(HWND Owner, const std::wstring& Path);

} // namespace skorvel
