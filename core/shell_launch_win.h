#pragma once
// Relaunching a recorded application. The program runs elevated, and an
// application started straight from it would inherit administrator rights.
// It is therefore started by the desktop shell (the signed-in user's
// Explorer), so it runs with the user's normal rights; only where that route
// is not available is it started with ShellExecuteW from here.
#include "core/restore.h"

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

namespace skorvel {

class TDesktopShellLauncher : public IShellLauncher {
public:
    // Owner: the window that owns what ShellExecuteW shows.
    explicit TDesktopShellLauncher(std::function<HWND()> Owner) : FOwner(std::move(Owner)) {}

    // False also when the test itself fails.
    bool FileExists(const std::wstring& Path) override;
    std::unique_ptr<IDesktopShell> FetchDesktopShell() override;
    void ShellOpen(const std::wstring& Path) override;

private:
    std::function<HWND()> FOwner;
};

} // namespace skorvel
