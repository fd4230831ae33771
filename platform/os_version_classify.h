#pragma once
// Identification of the Windows release and edition from what the version
// calls report. No system calls here: the facts that only some releases need
// (native architecture, the Server 2003 R2 metric, two registry entries) are
// asked through TVersionProbes, so the whole table is tested natively.
#include <cstdint>
#include <string>
#include <string_view>

namespace skorvel {

enum TWindowsType : uint8_t {
    winUnknown,
    win31,
    win95,
    win95OSR2,
    winNT,
    win98,
    win98se,
    winME,
    win2000,
    winXP,
    winXPx64,
    win2003,
    win2003R2,
    winVista,
    winServer2008,
    winServer2008R2,
    winSeven,
    win8,
    winServer2012
};

enum TWindowsProductType : uint8_t { wptWorkstation, wptServer };

struct TWindowsProductKind {
    std::wstring AsString;
    TWindowsProductType AsType = wptWorkstation;
};

struct TWindowsProductVersion {
    std::wstring AsString; // "major.minor"
    int32_t Major = 0;
    int32_t Minor = 0;
};

struct TWindowsTypeEx {
    std::wstring Full;
    std::wstring Product;
    TWindowsProductKind Kind;
    TWindowsType OSKind = winUnknown;
    TWindowsProductVersion OSVersion;
    bool Server = false;
    int32_t OSBuild = 0;
    std::wstring ServicePack;
    TWindowsProductVersion ServicePackVersion;
};

// Windows' values for the product type, the native architecture, the system
// metric of Server 2003 R2 and the suite flags (held as bit numbers). The
// Windows headers define the same names as macros, hence the k names here.
constexpr uint8_t kVerNtWorkstation = 1;            // VER_NT_WORKSTATION
constexpr uint8_t kVerNtDomainController = 2;       // VER_NT_DOMAIN_CONTROLLER
constexpr uint8_t kVerNtServer = 3;                 // VER_NT_SERVER
constexpr int kSmServerR2 = 89;                     // SM_SERVERR2
constexpr uint16_t kProcessorArchitectureIa64 = 6;  // PROCESSOR_ARCHITECTURE_IA64
constexpr uint16_t kProcessorArchitectureAmd64 = 9; // PROCESSOR_ARCHITECTURE_AMD64
constexpr int kSuiteSmallBusiness = 0;              // VER_SUITE_SMALLBUSINESS
constexpr int kSuiteEnterprise = 1;                 // VER_SUITE_ENTERPRISE
constexpr int kSuiteSmallBusinessRestricted = 5;    // VER_SUITE_SMALLBUSINESS_RESTRICTED
constexpr int kSuiteDatacenter = 7;                 // VER_SUITE_DATACENTER
constexpr int kSuitePersonal = 9;                   // VER_SUITE_PERSONAL
constexpr int kSuiteBlade = 10;                     // VER_SUITE_BLADE

// What GetVersionExW reports. The extended fields stay 0 when only the plain
// record could be read.
struct TOSVersionRecord {
    uint32_t MajorVersion = 0;
    uint32_t MinorVersion = 0;
    uint32_t BuildNumber = 0;
    uint32_t PlatformId = 0;
    std::wstring CSDVersion; // up to its first NUL
    uint16_t ServicePackMajor = 0;
    uint16_t ServicePackMinor = 0;
    uint16_t SuiteMask = 0;
    uint8_t ProductType = 0;
};

// The system facts that only some releases need; each is asked only where the
// identification uses it.
class TVersionProbes {
public:
    virtual ~TVersionProbes() = default;
    // GetNativeSystemInfo's processor architecture, 0 where it cannot be read.
    virtual uint16_t NativeProcessorArchitecture() = 0;
    // GetSystemMetrics(SM_SERVERR2).
    virtual int ServerR2Metric() = 0;
    // HKLM\SYSTEM\CurrentControlSet\Control\ProductOptions "ProductType", empty
    // when the key or the value is missing.
    virtual std::wstring ProductOptionsProductType() = 0;
    // Whether HKLM\SOFTWARE\Microsoft\Windows NT\CurrentVersion\Hotfix\Q246009
    // exists (the marker of NT 4.0 Service Pack 6a).
    virtual bool HotfixQ246009Present() = 0;
};

// Fills Result from the version record; Extended tells whether the extended
// record was read. Fields that no rule sets keep the values they came with.
void ClassifyWindowsVersion(const TOSVersionRecord& Version, bool Extended, TVersionProbes& Probes,
                            TWindowsTypeEx& Result);

// Text without the characters at or below U+0020 (blanks and control
// characters) at both ends.
std::wstring Trim(std::wstring_view Text);

} // namespace skorvel
