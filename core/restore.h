#pragma once
// The pieces of the restore run: the ordering of the recorded paths and the
// launch of each one.
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace skorvel {

// Negative, zero or positive as A sorts before, equal to or after B. On
// Windows: CompareStringW, user default locale, NORM_IGNORECASE.
using TTextComparison = std::function<int(const std::wstring& A, const std::wstring& B)>;

// Sorts List ascending by Compare and keeps one entry of each group that
// compares equal: the one recorded first (the sort is stable).
void SortUnique(std::vector<std::wstring>& List, const TTextComparison& Compare);

// The desktop shell's own launcher (on Windows its dispatch object, reached
// through several cross-process calls), held while it is in use and released
// with this object. A program it starts runs with the signed-in user's rights.
class IDesktopShell {
public:
    virtual ~IDesktopShell() = default;
    // "open", no parameters, no working directory, shown normally; false
    // when the shell did not take the launch.
    virtual bool Open(const std::wstring& Path) = 0;
};

// The system's ways of starting a recorded application.
class IShellLauncher {
public:
    virtual ~IShellLauncher() = default;
    virtual bool FileExists(const std::wstring& Path) = 0;
    // The desktop shell, or null where there is none to reach.
    virtual std::unique_ptr<IDesktopShell> FetchDesktopShell() = 0;
    // ShellExecuteW from this process: "open", no parameters, no working
    // directory, shown normally. The result is not examined.
    virtual void ShellOpen(const std::wstring& Path) = 0;
};

enum class TLaunchRoute { lrDesktopShell, lrShellExecute };

// The launches of one restore run. The desktop shell is fetched once, at
// the first path that names an existing file, used for every later launch
// and released with this object. A launch it does not take fetches it once
// more and is retried once; then that path is opened from this process, as
// is every path while no desktop shell could be reached. A path that names
// no existing file is opened from this process too, where it fails silently
// (the desktop shell would report it to the user).
class TRestoreLaunches {
public:
    explicit TRestoreLaunches(IShellLauncher& Launcher) : FLauncher(Launcher) {}

    TLaunchRoute Launch(const std::wstring& Path);

private:
    bool LaunchThroughDesktop(const std::wstring& path);

    IShellLauncher& FLauncher;
    std::unique_ptr<IDesktopShell> FDesktop;
    bool FFetched = false;
};

} // namespace skorvel
