#include "core/shell_launch_win.h"

#include "platform/paths.h"
#include "platform/shell.h"

namespace skorvel {

namespace {

class TDesktopShell : public IDesktopShell {
public:
    explicit TDesktopShell(TDesktopShellDispatch Dispatch) : FDispatch(std::move(Dispatch)) {}
    bool Open(const std::wstring& Path) override { return FDispatch.Open(Path); }

private:
    TDesktopShellDispatch FDispatch;
};

} // namespace

bool TDesktopShellLauncher::FileExists(const std::wstring& Path) {
    try {
        return NativeFileExists(Path);
    } catch (...) {
        return false;
    }
}

std::unique_ptr<IDesktopShell> TDesktopShellLauncher::FetchDesktopShell() {
    TDesktopShellDispatch dispatch = TDesktopShellDispatch::Fetch();
    if (!dispatch)
        return nullptr;
    return std::make_unique<TDesktopShell>(std::move(dispatch));
}

void TDesktopShellLauncher::ShellOpen(const std::wstring& Path) {
    skorvel::ShellOpen(FOwner ? FOwner() : nullptr, Path);
}

} // namespace skorvel
