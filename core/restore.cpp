#include "core/restore.h"

#include <algorithm>

namespace skorvel {

void SortUnique(std::vector<std::wstring>& List, const TTextComparison& Compare) {
    std::stable_sort(List.begin(), List.end(), [&](const std::wstring& a, const std::wstring& b) {
        return Compare(a, b) < 0;
    });
    const auto end =
        std::unique(List.begin(), List.end(), [&](const std::wstring& a, const std::wstring& b) {
            return Compare(a, b) == 0;
        });
    List.erase(end, List.end());
}

TLaunchRoute TRestoreLaunches::Launch(const std::wstring& Path) {
    if (FLauncher.FileExists(Path) && LaunchThroughDesktop(Path))
        return TLaunchRoute::lrDesktopShell;
    FLauncher.ShellOpen(Path);
    return TLaunchRoute::lrShellExecute;
}

bool TRestoreLaunches::LaunchThroughDesktop(const std::wstring& path) {
    if (!FFetched) {
        FFetched = true;
        FDesktop = FLauncher.FetchDesktopShell();
    }
    if (!FDesktop)
        return false;
    if (FDesktop->Open(path))
        return true;
    // The shell held may have gone (Explorer restarted, its proxy
    // disconnected): the one fetched now serves this and the later launches.
    FDesktop.reset();
    FDesktop = FLauncher.FetchDesktopShell();
    return FDesktop && FDesktop->Open(path);
}

} // namespace skorvel
