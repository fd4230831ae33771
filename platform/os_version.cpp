#include "platform/os_version.h"

#include "platform/handles.h"
#include "platform/system_library.h"

#include <windows.h>

namespace skorvel {

namespace {

class TSystemVersionProbes : public TVersionProbes {
public:
    uint16_t NativeProcessorArchitecture() override {
        using GetNativeSystemInfoFn = void(WINAPI*)(LPSYSTEM_INFO);
        // Looked up at run time: Windows 2000 does not have it.
        const auto getNativeSystemInfo = LibraryFunction<GetNativeSystemInfoFn>(
            ::GetModuleHandleW(L"kernel32.dll"), "GetNativeSystemInfo");
        SYSTEM_INFO info{};
        if (getNativeSystemInfo)
            getNativeSystemInfo(&info);
        return info.wProcessorArchitecture;
    }

    int ServerR2Metric() override { return ::GetSystemMetrics(SM_SERVERR2); }

    std::wstring ProductOptionsProductType() override {
        RegKey key = OpenMachineKey(L"SYSTEM\\CurrentControlSet\\Control\\ProductOptions");
        return key ? StringValue(key.get(), L"ProductType") : std::wstring();
    }

    bool HotfixQ246009Present() override {
        return bool(
            OpenMachineKey(L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Hotfix\\Q246009"));
    }

private:
    static RegKey OpenMachineKey(const wchar_t* path) {
        HKEY key = nullptr;
        if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
            return RegKey();
        return RegKey(key);
    }

    // A REG_SZ value, empty when it is missing or of another type.
    static std::wstring StringValue(HKEY key, const wchar_t* name) {
        DWORD type = 0, size = 0;
        if (::RegQueryValueExW(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
            type != REG_SZ)
            return std::wstring();
        std::wstring value(size / sizeof(wchar_t) + 1, L'\0');
        size = DWORD(value.size() * sizeof(wchar_t));
        if (::RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(value.data()),
                               &size) != ERROR_SUCCESS)
            return std::wstring();
        return value.substr(0, value.find(L'\0')); // the stored text need not end with a NUL
    }
};

} // namespace

void GetWindowsTypeEx(TWindowsTypeEx& Info) {
    OSVERSIONINFOEXW info{};
    info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOEXW);
    const bool extended = ::GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&info)) != FALSE;
    if (!extended) {
        info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOW);
        if (!::GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&info)))
            return;
    }
    TOSVersionRecord version;
    version.MajorVersion = info.dwMajorVersion;
    version.MinorVersion = info.dwMinorVersion;
    version.BuildNumber = info.dwBuildNumber;
    version.PlatformId = info.dwPlatformId;
    version.CSDVersion.assign(info.szCSDVersion, ::wcsnlen(info.szCSDVersion, 128));
    version.ServicePackMajor = info.wServicePackMajor;
    version.ServicePackMinor = info.wServicePackMinor;
    version.SuiteMask = info.wSuiteMask;
    version.ProductType = info.wProductType;
    TSystemVersionProbes probes;
    ClassifyWindowsVersion(version, extended, probes, Info);
}

} // namespace skorvel
