#include "core/shell_launch_win.h"

#include "platform/paths.h"
#include "platform/shell.h"

namespace skorvel {

namespace {

bool NamesExistingFile(const std::wstring& path) {
    try {
        return NativeFileExists(path);
    } catch (...) {
        return false;
    }
}

} // namespace

TLaunchRoute TDesktopShellLauncher::LaunchEntry(const std::wstring& Path) {
    if (NamesExistingFile(Path) && ShellExecuteThroughDesktop(Path))
        return TLaunchRoute::lrDesktopShell;
    ShellOpen(FOwner ? FOwner() : nullptr, Path);
    return TLaunchRoute::lrShellExecute;
}

} // namespace skorvel
