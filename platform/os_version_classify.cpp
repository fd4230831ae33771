#include "platform/os_version_classify.h"

#include "platform/text.h"

#include <initializer_list>

namespace skorvel {

namespace {

constexpr uint32_t kPlatformWin32s = 0;
constexpr uint32_t kPlatformWindows9x = 1;
constexpr uint32_t kPlatformNT = 2;
constexpr size_t kCSDVersionLength = 128;

struct TSuiteText {
    int Bit;
    const wchar_t* Text;
};

bool HasSuite(uint16_t mask, int bit) {
    return (mask & (1u << bit)) != 0;
}

// Target becomes the text of the first listed suite flag present in Mask, or
// Fallback when none is; a null Fallback leaves Target as it was.
void PickSuiteText(uint16_t mask, std::initializer_list<TSuiteText> texts, const wchar_t* fallback,
                   std::wstring& target) {
    for (const auto& entry : texts) {
        if (HasSuite(mask, entry.Bit)) {
            target = entry.Text;
            return;
        }
    }
    if (fallback)
        target = fallback;
}

TWindowsProductVersion MakeVersion(int32_t major, int32_t minor) {
    return {std::to_wstring(major) + L'.' + std::to_wstring(minor), major, minor};
}

std::wstring CutAtNul(const std::wstring& text, size_t capacity) {
    const std::wstring cut = text.substr(0, capacity);
    return cut.substr(0, cut.find(L'\0'));
}

void ClassifyWindows9x(const TOSVersionRecord& version, TWindowsTypeEx& result) {
    result.Kind.AsType = wptWorkstation;
    result.ServicePack = CutAtNul(version.CSDVersion, kCSDVersionLength);
    const wchar_t second = result.ServicePack.size() > 1 ? result.ServicePack[1] : L'\0';
    const uint32_t major = version.MajorVersion, minor = version.MinorVersion;
    if (major == 4 && minor == 0) {
        result.Product = L"Microsoft Windows 95";
        result.OSKind = win95;
        if (second == L'C' || second == L'B') {
            result.Kind.AsString = L"OSR2";
            result.OSKind = win95OSR2;
        }
        result.Full = result.Product + L' ' + result.Kind.AsString;
    } else if (major == 4 && minor == 10) {
        result.Product = L"Microsoft Windows 98";
        result.OSKind = win98;
        if (second == L'A') {
            result.Kind.AsString = L"SE";
            result.OSKind = win98se;
        }
        result.Full = result.Product + L' ' + result.Kind.AsString;
    } else if (major == 4 && minor == 90) {
        result.Product = L"Microsoft Windows Millennium Edition";
        result.OSKind = winME;
        result.Full = result.Product;
    }
}

// The product name and kind by version. Returns the native architecture,
// which is only read on 5.2 (0 everywhere else).
uint16_t ClassifyNTProduct(const TOSVersionRecord& version, TVersionProbes& probes,
                           TWindowsTypeEx& result) {
    const uint32_t major = version.MajorVersion, minor = version.MinorVersion;
    const bool workstation = version.ProductType == kVerNtWorkstation;
    auto set = [&result](const wchar_t* product, TWindowsType kind) {
        result.Product = product;
        result.OSKind = kind;
    };
    uint16_t arch = 0;
    if (major == 6 && minor == 2)
        workstation ? set(L"Microsoft Windows 8", win8)
                    : set(L"Microsoft Windows Server 2012", winServer2012);
    else if (major == 6 && minor == 1)
        workstation ? set(L"Microsoft Windows Seven", winSeven)
                    : set(L"Microsoft Windows Server 2008 R2", winServer2008R2);
    else if (major == 6 && minor == 0)
        workstation ? set(L"Microsoft Windows Vista", winVista)
                    : set(L"Microsoft Windows Server 2008", winServer2008);
    else if (major == 5 && minor == 2) {
        arch = probes.NativeProcessorArchitecture();
        if (probes.ServerR2Metric() != 0)
            set(L"Microsoft Windows Server 2003 R2", win2003R2);
        else if (workstation && arch == kProcessorArchitectureAmd64)
            set(L"Microsoft Windows XP Professional x64 Edition", winXPx64);
        else
            set(L"Microsoft Windows Server 2003 family", win2003);
    } else if (major == 5 && minor == 1)
        set(L"Microsoft Windows XP", winXP);
    else if (major == 5 && minor == 0)
        set(L"Microsoft Windows 2000", win2000);
    else if (major <= 4)
        set(L"Microsoft Windows NT", winNT);
    return arch;
}

void ClassifyServerEdition(const TOSVersionRecord& version, uint16_t arch, TWindowsTypeEx& result) {
    const uint32_t major = version.MajorVersion, minor = version.MinorVersion;
    const uint16_t suite = version.SuiteMask;
    std::wstring& text = result.Kind.AsString;
    if (major == 5 && minor == 2 && arch == kProcessorArchitectureIa64)
        PickSuiteText(suite,
                      {{kSuiteDatacenter, L"Datacenter Edition for Itanium-based Systems"},
                       {kSuiteEnterprise, L"Enterprise Edition for Itanium-based Systems"}},
                      nullptr, text);
    else if (major == 5 && minor == 2 && arch == kProcessorArchitectureAmd64)
        PickSuiteText(suite,
                      {{kSuiteDatacenter, L"Datacenter x64 Edition"},
                       {kSuiteEnterprise, L"Enterprise x64 Edition"}},
                      L"Standard x64 Edition", text);
    else if (major == 5 && minor == 2)
        PickSuiteText(suite,
                      {{kSuiteDatacenter, L"Datacenter Edition"},
                       {kSuiteEnterprise, L"Enterprise Edition"},
                       {kSuiteBlade, L"Web Edition"},
                       {kSuiteSmallBusiness, L"Small Business Server"},
                       {kSuiteSmallBusinessRestricted, L"Small Business Server ( Restricted )"}},
                      L"Standard Edition", text);
    else if (major == 5 && minor == 0) {
        result.Product = L"Microsoft Windows Server 2000 family";
        PickSuiteText(
            suite,
            {{kSuiteDatacenter, L"Datacenter Server"}, {kSuiteEnterprise, L"Advanced Server"}},
            L"Server", text);
    } else if (major == 4)
        PickSuiteText(suite, {{kSuiteEnterprise, L"Server 4.0 Enterprise Edition"}}, L"Server 4.0",
                      text);
    else // Server 2008, 2008 R2, 2012 and anything newer: the editions' own names
        PickSuiteText(suite,
                      {{kSuiteDatacenter, L"Datacenter"},
                       {kSuiteEnterprise, L"Enterprise"},
                       {kSuiteBlade, L"Web Server"},
                       {kSuiteSmallBusiness, L"Small Business Server"},
                       {kSuiteSmallBusinessRestricted, L"Small Business Server"}},
                      L"Standard", text);
}

void ClassifyNTEdition(const TOSVersionRecord& version, uint16_t arch, TWindowsTypeEx& result) {
    const uint8_t type = version.ProductType;
    if (type == kVerNtWorkstation && arch != kProcessorArchitectureAmd64) {
        result.Kind.AsType = wptWorkstation;
        if (version.MajorVersion == 4)
            result.Kind.AsString = L"Workstation 4.0";
        else if (HasSuite(version.SuiteMask, kSuitePersonal))
            result.Kind.AsString = L"Home Edition";
        else
            result.Kind.AsString = L"Professional";
    } else if (type == kVerNtServer || type == kVerNtDomainController) {
        result.Server = true;
        result.Kind.AsType = wptServer;
        ClassifyServerEdition(version, arch, result);
    }
}

// NT 4.0 before Service Pack 6 has no extended record: the edition is in the registry.
void ClassifyNTEditionFromRegistry(const TOSVersionRecord& version, TVersionProbes& probes,
                                   TWindowsTypeEx& result) {
    const std::wstring productType = AsciiUpper(probes.ProductOptionsProductType());
    if (productType == L"WINNT")
        result.Kind.AsString = L"Workstation";
    else if (productType == L"LANMANNT")
        result.Kind.AsString = L"Server";
    else if (productType == L"SERVERNT")
        result.Kind.AsString = L"Advanced Server";
    result.Kind.AsString += L' ' + std::to_wstring(int32_t(version.MajorVersion)) + L'.' +
                            std::to_wstring(int32_t(version.MinorVersion)) + L' ';
}

void ClassifyNTServicePack(const TOSVersionRecord& version, TVersionProbes& probes,
                           TWindowsTypeEx& result) {
    const std::wstring csd = CutAtNul(version.CSDVersion, kCSDVersionLength);
    const std::wstring build =
        L" (Build " + std::to_wstring(int32_t(version.BuildNumber & 0xFFFF)) + L") \r\n";
    if (version.MajorVersion == 4 && AsciiSameText(csd, L"Service Pack 6") &&
        probes.HotfixQ246009Present())
        result.ServicePack = L"Service Pack 6a" + build;
    else
        result.ServicePack = csd + build;
}

void ClassifyNT(const TOSVersionRecord& version, bool extended, TVersionProbes& probes,
                TWindowsTypeEx& result) {
    const uint16_t arch = ClassifyNTProduct(version, probes, result);
    if (extended)
        ClassifyNTEdition(version, arch, result);
    else
        ClassifyNTEditionFromRegistry(version, probes, result);
    ClassifyNTServicePack(version, probes, result);
    result.Full = result.Product + L' ' + result.Kind.AsString;
}

} // namespace

std::wstring Trim(std::wstring_view Text) {
    size_t first = 0, last = Text.size();
    while (first < last && Text[first] <= L' ')
        ++first;
    while (last > first && Text[last - 1] <= L' ')
        --last;
    return std::wstring(Text.substr(first, last - first));
}

void ClassifyWindowsVersion(const TOSVersionRecord& Version, bool Extended, TVersionProbes& Probes,
                            TWindowsTypeEx& Result) {
    Result.OSVersion = MakeVersion(int32_t(Version.MajorVersion), int32_t(Version.MinorVersion));
    Result.ServicePackVersion = MakeVersion(Version.ServicePackMajor, Version.ServicePackMinor);
    Result.Server = false;
    Result.OSBuild = int32_t(Version.BuildNumber);
    switch (Version.PlatformId) {
    case kPlatformWin32s:
        Result.Product = L"Microsoft Win32s";
        Result.Kind.AsType = wptWorkstation;
        Result.Full = Result.Product;
        Result.OSKind = win31;
        break;
    case kPlatformWindows9x:
        ClassifyWindows9x(Version, Result);
        break;
    case kPlatformNT:
        ClassifyNT(Version, Extended, Probes, Result);
        break;
    default:
        break;
    }
    Result.ServicePack = Trim(Result.ServicePack);
}

} // namespace skorvel
