#pragma once
// The optimisation core over the real system. The main window creates one in
// FormCreate, after its ProcessInfo:
//
//     Core = std::make_unique<TWinOptimisationCore>(*this, *ProcessInfo,
//                                                   [this] { return Handle(); });
//
// where *this implements IMainView, and forwards its handlers to it
// (StartBtnClick, PrzywrocBtnClick, SetCheckboxesToDefault). The calling
// thread must be in a single-threaded COM apartment (WMI and the desktop
// shell are reached through COM).
#include "core/filter_lists_win.h"
#include "core/optimisation_core.h"
#include "core/platform_adapters_win.h"
#include "core/shell_launch_win.h"

namespace skorvel {

// CompareStringW with the user's default locale and NORM_IGNORECASE.
int CompareTextUserLocale(const std::wstring& A, const std::wstring& B);

// GetWindowsTypeEx's OSKind.
TWindowsType CurrentOSKind();

// The real services, constructed before the core that refers to them.
class TWinCoreParts {
protected:
    TWinCoreParts(TProcessInfo& ProcessInfo, std::function<HWND()> Owner);

    TProcessInfoList FProcesses;
    TWmiConnector FWmi;
    TFilterFolderFiles FFilterFiles;
    TServiceManagerFactory FServiceManagers;
    TDesktopShellLauncher FLauncher;
};

class TWinOptimisationCore : private TWinCoreParts, public TOptimisationCore {
public:
    TWinOptimisationCore(IMainView& View, TProcessInfo& ProcessInfo, std::function<HWND()> Owner);
};

} // namespace skorvel
