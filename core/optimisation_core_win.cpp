#include "core/optimisation_core_win.h"

#include "platform/os_error.h"
#include "platform/os_version.h"

#include <climits>

namespace skorvel {

int CompareTextUserLocale(const std::wstring& A, const std::wstring& B) {
    if (A.size() > size_t(INT_MAX) || B.size() > size_t(INT_MAX))
        RaiseOSError(ERROR_ARITHMETIC_OVERFLOW);
    const int result = ::CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, A.data(),
                                        int(A.size()), B.data(), int(B.size()));
    if (result == 0)
        RaiseLastOSError();
    return result - CSTR_EQUAL;
}

TWindowsType CurrentOSKind() {
    TWindowsTypeEx info;
    GetWindowsTypeEx(info);
    return info.OSKind;
}

TWinCoreParts::TWinCoreParts(TProcessInfo& ProcessInfo, std::function<HWND()> Owner)
    : FProcesses(ProcessInfo), FLauncher(std::move(Owner)) {}

TWinOptimisationCore::TWinOptimisationCore(IMainView& View, TProcessInfo& ProcessInfo,
                                           std::function<HWND()> Owner)
    : TWinCoreParts(ProcessInfo, std::move(Owner)),
      TOptimisationCore(View, TCoreServices{FProcesses, FWmi, FFilterFiles, FilterFolder(),
                                            FServiceManagers, FLauncher, CompareTextUserLocale,
                                            CurrentOSKind, ::GetCurrentProcessId()}) {}

} // namespace skorvel
