#pragma once
// Relaunching a recorded application. The program runs elevated, and an
// application started straight from it would inherit administrator rights.
// It is therefore started by the desktop shell (the signed-in user's
// Explorer), so it runs with the user's normal rights; only where that route
// is not available is it started with ShellExecuteW from here.
#include "core/restore.h"

#include <windows.h>

#include <functional>
#include <string>

namespace skorvel {

enum class TLaunchRoute { lrDesktopShell, lrShellExecute };

class TDesktopShellLauncher : public IShellLauncher {
public:
    // Owner: the window that owns what ShellExecuteW shows.
    explicit TDesktopShellLauncher(std::function<HWND()> Owner) : FOwner(std::move(Owner)) {}

    void Launch(const std::wstring& Path) override { LaunchEntry(Path); }

    // A path that names no existing file goes straight to ShellExecuteW,
    // which fails silently; the desktop shell would report it to the user.
    TLaunchRoute LaunchEntry(const std::wstring& Path);

private:
    std::function<HWND()> FOwner;
};

} // namespace skorvel
