#include "platform/os_version_classify.h"
#include "platform/text.h"

#include <gtest/gtest.h>

#include <vector>

using namespace skorvel;

namespace {

struct TFakeProbes : TVersionProbes {
    uint16_t Arch = 0;
    int R2 = 0;
    std::wstring ProductType;
    bool Hotfix = false;
    int ArchCalls = 0, RegistryCalls = 0;

    uint16_t NativeProcessorArchitecture() override {
        ++ArchCalls;
        return Arch;
    }
    int ServerR2Metric() override { return R2; }
    std::wstring ProductOptionsProductType() override {
        ++RegistryCalls;
        return ProductType;
    }
    bool HotfixQ246009Present() override { return Hotfix; }
};

constexpr uint16_t kX86 = 0;
constexpr uint16_t kIa64 = kProcessorArchitectureIa64;
constexpr uint16_t kAmd64 = kProcessorArchitectureAmd64;

constexpr uint16_t Suite(int bit) {
    return uint16_t(1u << bit);
}
constexpr uint16_t kPersonal = Suite(kSuitePersonal);
constexpr uint16_t kEnterprise = Suite(kSuiteEnterprise);
constexpr uint16_t kDatacenter = Suite(kSuiteDatacenter);
constexpr uint16_t kBlade = Suite(kSuiteBlade);
constexpr uint16_t kSmallBusiness = Suite(kSuiteSmallBusiness);
constexpr uint16_t kRestricted = Suite(kSuiteSmallBusinessRestricted);
constexpr uint16_t kTerminal = 0x0010; // a flag no rule looks at

struct TCase {
    const char* Name;
    TOSVersionRecord Version;
    bool Extended;
    uint16_t Arch;
    int R2;
    const wchar_t* RegistryProductType;
    bool Hotfix;
    // expected
    const wchar_t* Full;
    const wchar_t* Product;
    const wchar_t* Kind;
    TWindowsProductType AsType;
    TWindowsType OSKind;
    bool Server;
    const wchar_t* ServicePack;
};

TOSVersionRecord Record(uint32_t platform, uint32_t major, uint32_t minor, uint32_t build,
                        const wchar_t* csd, uint8_t type = 0, uint16_t suite = 0,
                        uint16_t spMajor = 0) {
    TOSVersionRecord record;
    record.PlatformId = platform;
    record.MajorVersion = major;
    record.MinorVersion = minor;
    record.BuildNumber = build;
    record.CSDVersion = csd;
    record.ProductType = type;
    record.SuiteMask = suite;
    record.ServicePackMajor = spMajor;
    return record;
}

TOSVersionRecord NT(uint32_t major, uint32_t minor, uint32_t build, uint8_t type, uint16_t suite,
                    const wchar_t* csd = L"") {
    return Record(2, major, minor, build, csd, type, suite);
}

constexpr uint8_t kWs = kVerNtWorkstation;
constexpr uint8_t kSrv = kVerNtServer;
constexpr uint8_t kDc = kVerNtDomainController;
constexpr auto kW = wptWorkstation;
constexpr auto kS = wptServer;

const std::vector<TCase>& Cases() {
    static const std::vector<TCase> cases = {
        // Win32s and the Windows 95 family
        {"Win32s", Record(0, 3, 10, 0, L""), false, kX86, 0, L"", false, //
         L"Microsoft Win32s", L"Microsoft Win32s", L"", kW, win31, false, L""},
        {"Windows 95", Record(1, 4, 0, 0x040003B6, L""), true, kX86, 0, L"", false,
         L"Microsoft Windows 95 ", L"Microsoft Windows 95", L"", kW, win95, false, L""},
        {"Windows 95 OSR2 (C)", Record(1, 4, 0, 0x04000457, L" C"), true, kX86, 0, L"", false,
         L"Microsoft Windows 95 OSR2", L"Microsoft Windows 95", L"OSR2", kW, win95OSR2, false,
         L"C"},
        {"Windows 95 OSR2 (B)", Record(1, 4, 0, 0x04000457, L" B"), true, kX86, 0, L"", false,
         L"Microsoft Windows 95 OSR2", L"Microsoft Windows 95", L"OSR2", kW, win95OSR2, false,
         L"B"},
        {"Windows 95, lower-case c is no OSR2", Record(1, 4, 0, 0, L" c"), true, kX86, 0, L"",
         false, L"Microsoft Windows 95 ", L"Microsoft Windows 95", L"", kW, win95, false, L"c"},
        {"Windows 98", Record(1, 4, 10, 0x040A07CE, L" "), true, kX86, 0, L"", false,
         L"Microsoft Windows 98 ", L"Microsoft Windows 98", L"", kW, win98, false, L""},
        {"Windows 98 SE", Record(1, 4, 10, 0x040A08AE, L" A "), true, kX86, 0, L"", false,
         L"Microsoft Windows 98 SE", L"Microsoft Windows 98", L"SE", kW, win98se, false, L"A"},
        {"Windows Millennium", Record(1, 4, 90, 0x045A0BB8, L" "), true, kX86, 0, L"", false,
         L"Microsoft Windows Millennium Edition", L"Microsoft Windows Millennium Edition", L"", kW,
         winME, false, L""},
        {"unknown 9x version", Record(1, 4, 50, 0, L" X"), true, kX86, 0, L"", false, L"", L"", L"",
         kW, winUnknown, false, L"X"},
        {"unknown platform", Record(3, 5, 0, 0, L"Service Pack 1"), true, kX86, 0, L"", false, L"",
         L"", L"", kW, winUnknown, false, L""},

        // NT 6.x clients and servers
        {"Windows 8", NT(6, 2, 9200, kWs, kTerminal), true, kAmd64, 0, L"", false,
         L"Microsoft Windows 8 Professional", L"Microsoft Windows 8", L"Professional", kW, win8,
         false, L"(Build 9200)"},
        {"Server 2012", NT(6, 2, 9200, kSrv, kTerminal), true, kAmd64, 0, L"", false,
         L"Microsoft Windows Server 2012 Standard", L"Microsoft Windows Server 2012", L"Standard",
         kS, winServer2012, true, L"(Build 9200)"},
        {"Windows 7 Professional SP1", NT(6, 1, 7601, kWs, 0x0100, L"Service Pack 1"), true, kAmd64,
         0, L"", false, L"Microsoft Windows Seven Professional", L"Microsoft Windows Seven",
         L"Professional", kW, winSeven, false, L"Service Pack 1 (Build 7601)"},
        {"Windows 7 Home Premium", NT(6, 1, 7600, kWs, kPersonal), true, kX86, 0, L"", false,
         L"Microsoft Windows Seven Home Edition", L"Microsoft Windows Seven", L"Home Edition", kW,
         winSeven, false, L"(Build 7600)"},
        {"Server 2008 R2 Enterprise domain controller", NT(6, 1, 7601, kDc, kEnterprise), true,
         kAmd64, 0, L"", false, L"Microsoft Windows Server 2008 R2 Enterprise",
         L"Microsoft Windows Server 2008 R2", L"Enterprise", kS, winServer2008R2, true,
         L"(Build 7601)"},
        {"Windows Vista", NT(6, 0, 6002, kWs, 0, L"Service Pack 2"), true, kX86, 0, L"", false,
         L"Microsoft Windows Vista Professional", L"Microsoft Windows Vista", L"Professional", kW,
         winVista, false, L"Service Pack 2 (Build 6002)"},
        {"Server 2008 Datacenter", NT(6, 0, 6001, kSrv, kDatacenter | kEnterprise), true, kX86, 0,
         L"", false, L"Microsoft Windows Server 2008 Datacenter", L"Microsoft Windows Server 2008",
         L"Datacenter", kS, winServer2008, true, L"(Build 6001)"},
        {"Server 2008 Web", NT(6, 0, 6001, kSrv, kBlade), true, kX86, 0, L"", false,
         L"Microsoft Windows Server 2008 Web Server", L"Microsoft Windows Server 2008",
         L"Web Server", kS, winServer2008, true, L"(Build 6001)"},
        {"Server 2008 Small Business", NT(6, 0, 6001, kSrv, kSmallBusiness | kRestricted), true,
         kX86, 0, L"", false, L"Microsoft Windows Server 2008 Small Business Server",
         L"Microsoft Windows Server 2008", L"Small Business Server", kS, winServer2008, true,
         L"(Build 6001)"},
        {"6.3 client", NT(6, 3, 9600, kWs, 0), true, kAmd64, 0, L"", false, L" Professional", L"",
         L"Professional", kW, winUnknown, false, L"(Build 9600)"},
        {"10.0 home client", NT(10, 0, 19045, kWs, kPersonal), true, kAmd64, 0, L"", false,
         L" Home Edition", L"", L"Home Edition", kW, winUnknown, false, L"(Build 19045)"},
        {"10.0 server", NT(10, 0, 20348, kSrv, 0), true, kAmd64, 0, L"", false, L" Standard", L"",
         L"Standard", kS, winUnknown, true, L"(Build 20348)"},

        // NT 5.2
        {"Server 2003 R2", NT(5, 2, 3790, kSrv, 0, L"Service Pack 2"), true, kX86, 1, L"", false,
         L"Microsoft Windows Server 2003 R2 Standard Edition", L"Microsoft Windows Server 2003 R2",
         L"Standard Edition", kS, win2003R2, true, L"Service Pack 2 (Build 3790)"},
        {"XP Professional x64", NT(5, 2, 3790, kWs, 0, L"Service Pack 2"), true, kAmd64, 0, L"",
         false, L"Microsoft Windows XP Professional x64 Edition ",
         L"Microsoft Windows XP Professional x64 Edition", L"", kW, winXPx64, false,
         L"Service Pack 2 (Build 3790)"},
        {"Server 2003 Standard", NT(5, 2, 3790, kSrv, 0), true, kX86, 0, L"", false,
         L"Microsoft Windows Server 2003 family Standard Edition",
         L"Microsoft Windows Server 2003 family", L"Standard Edition", kS, win2003, true,
         L"(Build 3790)"},
        {"Server 2003 Datacenter before Enterprise",
         NT(5, 2, 3790, kSrv, kDatacenter | kEnterprise), true, kX86, 0, L"", false,
         L"Microsoft Windows Server 2003 family Datacenter Edition",
         L"Microsoft Windows Server 2003 family", L"Datacenter Edition", kS, win2003, true,
         L"(Build 3790)"},
        {"Server 2003 Enterprise before Web", NT(5, 2, 3790, kDc, kEnterprise | kBlade), true, kX86,
         0, L"", false, L"Microsoft Windows Server 2003 family Enterprise Edition",
         L"Microsoft Windows Server 2003 family", L"Enterprise Edition", kS, win2003, true,
         L"(Build 3790)"},
        {"Server 2003 Web", NT(5, 2, 3790, kSrv, kBlade | kSmallBusiness), true, kX86, 0, L"",
         false, L"Microsoft Windows Server 2003 family Web Edition",
         L"Microsoft Windows Server 2003 family", L"Web Edition", kS, win2003, true,
         L"(Build 3790)"},
        {"Small Business Server 2003", NT(5, 2, 3790, kSrv, kSmallBusiness | kRestricted), true,
         kX86, 0, L"", false, L"Microsoft Windows Server 2003 family Small Business Server",
         L"Microsoft Windows Server 2003 family", L"Small Business Server", kS, win2003, true,
         L"(Build 3790)"},
        {"Small Business Server 2003 restricted", NT(5, 2, 3790, kSrv, kRestricted), true, kX86, 0,
         L"", false, L"Microsoft Windows Server 2003 family Small Business Server ( Restricted )",
         L"Microsoft Windows Server 2003 family", L"Small Business Server ( Restricted )", kS,
         win2003, true, L"(Build 3790)"},
        {"Server 2003 x64 Datacenter", NT(5, 2, 3790, kSrv, kDatacenter), true, kAmd64, 0, L"",
         false, L"Microsoft Windows Server 2003 family Datacenter x64 Edition",
         L"Microsoft Windows Server 2003 family", L"Datacenter x64 Edition", kS, win2003, true,
         L"(Build 3790)"},
        {"Server 2003 x64 Enterprise", NT(5, 2, 3790, kSrv, kEnterprise), true, kAmd64, 0, L"",
         false, L"Microsoft Windows Server 2003 family Enterprise x64 Edition",
         L"Microsoft Windows Server 2003 family", L"Enterprise x64 Edition", kS, win2003, true,
         L"(Build 3790)"},
        {"Server 2003 x64 Standard", NT(5, 2, 3790, kSrv, kBlade), true, kAmd64, 0, L"", false,
         L"Microsoft Windows Server 2003 family Standard x64 Edition",
         L"Microsoft Windows Server 2003 family", L"Standard x64 Edition", kS, win2003, true,
         L"(Build 3790)"},
        {"Server 2003 Itanium Datacenter", NT(5, 2, 3790, kSrv, kDatacenter), true, kIa64, 0, L"",
         false,
         L"Microsoft Windows Server 2003 family Datacenter Edition for Itanium-based Systems",
         L"Microsoft Windows Server 2003 family", L"Datacenter Edition for Itanium-based Systems",
         kS, win2003, true, L"(Build 3790)"},
        {"Server 2003 Itanium Enterprise", NT(5, 2, 3790, kSrv, kEnterprise), true, kIa64, 0, L"",
         false,
         L"Microsoft Windows Server 2003 family Enterprise Edition for Itanium-based Systems",
         L"Microsoft Windows Server 2003 family", L"Enterprise Edition for Itanium-based Systems",
         kS, win2003, true, L"(Build 3790)"},
        {"Server 2003 Itanium without flags", NT(5, 2, 3790, kSrv, kBlade), true, kIa64, 0, L"",
         false, L"Microsoft Windows Server 2003 family ", L"Microsoft Windows Server 2003 family",
         L"", kS, win2003, true, L"(Build 3790)"},

        // NT 5.1 and 5.0
        {"XP Professional SP3", NT(5, 1, 2600, kWs, 0, L"Service Pack 3"), true, kX86, 0, L"",
         false, L"Microsoft Windows XP Professional", L"Microsoft Windows XP", L"Professional", kW,
         winXP, false, L"Service Pack 3 (Build 2600)"},
        {"XP Home without service pack", NT(5, 1, 2600, kWs, kPersonal), true, kX86, 0, L"", false,
         L"Microsoft Windows XP Home Edition", L"Microsoft Windows XP", L"Home Edition", kW, winXP,
         false, L"(Build 2600)"},
        {"2000 Professional", NT(5, 0, 2195, kWs, 0, L"Service Pack 4"), true, kX86, 0, L"", false,
         L"Microsoft Windows 2000 Professional", L"Microsoft Windows 2000", L"Professional", kW,
         win2000, false, L"Service Pack 4 (Build 2195)"},
        {"2000 Server", NT(5, 0, 2195, kSrv, 0), true, kX86, 0, L"", false,
         L"Microsoft Windows Server 2000 family Server", L"Microsoft Windows Server 2000 family",
         L"Server", kS, win2000, true, L"(Build 2195)"},
        {"2000 Advanced Server", NT(5, 0, 2195, kDc, kEnterprise), true, kX86, 0, L"", false,
         L"Microsoft Windows Server 2000 family Advanced Server",
         L"Microsoft Windows Server 2000 family", L"Advanced Server", kS, win2000, true,
         L"(Build 2195)"},
        {"2000 Datacenter Server", NT(5, 0, 2195, kSrv, kDatacenter | kEnterprise), true, kX86, 0,
         L"", false, L"Microsoft Windows Server 2000 family Datacenter Server",
         L"Microsoft Windows Server 2000 family", L"Datacenter Server", kS, win2000, true,
         L"(Build 2195)"},

        // NT 4.0 and older
        {"NT 4.0 Workstation SP6", NT(4, 0, 1381, kWs, 0, L"Service Pack 6"), true, kX86, 0, L"",
         false, L"Microsoft Windows NT Workstation 4.0", L"Microsoft Windows NT",
         L"Workstation 4.0", kW, winNT, false, L"Service Pack 6 (Build 1381)"},
        {"NT 4.0 SP6a (hotfix key, any letter case)", NT(4, 0, 1381, kWs, 0, L"service pack 6"),
         true, kX86, 0, L"", true, L"Microsoft Windows NT Workstation 4.0", L"Microsoft Windows NT",
         L"Workstation 4.0", kW, winNT, false, L"Service Pack 6a (Build 1381)"},
        {"NT 4.0 SP5 ignores the hotfix key", NT(4, 0, 1381, kWs, 0, L"Service Pack 5"), true, kX86,
         0, L"", true, L"Microsoft Windows NT Workstation 4.0", L"Microsoft Windows NT",
         L"Workstation 4.0", kW, winNT, false, L"Service Pack 5 (Build 1381)"},
        {"NT 4.0 Server", NT(4, 0, 1381, kSrv, 0, L"Service Pack 6"), true, kX86, 0, L"", false,
         L"Microsoft Windows NT Server 4.0", L"Microsoft Windows NT", L"Server 4.0", kS, winNT,
         true, L"Service Pack 6 (Build 1381)"},
        {"NT 4.0 Server Enterprise", NT(4, 0, 1381, kSrv, kEnterprise), true, kX86, 0, L"", false,
         L"Microsoft Windows NT Server 4.0 Enterprise Edition", L"Microsoft Windows NT",
         L"Server 4.0 Enterprise Edition", kS, winNT, true, L"(Build 1381)"},
        {"NT 4.0 without extended record: WinNT", NT(4, 0, 1381, 0, 0, L"Service Pack 5"), false,
         kX86, 0, L"WinNT", false, L"Microsoft Windows NT Workstation 4.0 ",
         L"Microsoft Windows NT", L"Workstation 4.0 ", kW, winNT, false,
         L"Service Pack 5 (Build 1381)"},
        {"NT 4.0 without extended record: LanmanNT", NT(4, 0, 1381, 0, 0), false, kX86, 0,
         L"LanmanNT", false, L"Microsoft Windows NT Server 4.0 ", L"Microsoft Windows NT",
         L"Server 4.0 ", kW, winNT, false, L"(Build 1381)"},
        {"NT 4.0 without extended record: ServerNT", NT(4, 0, 1381, 0, 0), false, kX86, 0,
         L"ServerNT", false, L"Microsoft Windows NT Advanced Server 4.0 ", L"Microsoft Windows NT",
         L"Advanced Server 4.0 ", kW, winNT, false, L"(Build 1381)"},
        {"NT 4.0 without extended record or ProductType", NT(4, 0, 1381, 0, 0), false, kX86, 0, L"",
         false, L"Microsoft Windows NT  4.0 ", L"Microsoft Windows NT", L" 4.0 ", kW, winNT, false,
         L"(Build 1381)"},
        {"NT 3.51", NT(3, 51, 1057, kWs, 0, L"Service Pack 5"), true, kX86, 0, L"", false,
         L"Microsoft Windows NT Professional", L"Microsoft Windows NT", L"Professional", kW, winNT,
         false, L"Service Pack 5 (Build 1057)"},
    };
    return cases;
}

} // namespace

TEST(ClassifyWindowsVersion, EveryRowOfTheTables) {
    for (const TCase& c : Cases()) {
        SCOPED_TRACE(c.Name);
        TFakeProbes probes;
        probes.Arch = c.Arch;
        probes.R2 = c.R2;
        probes.ProductType = c.RegistryProductType;
        probes.Hotfix = c.Hotfix;
        TWindowsTypeEx info;
        ClassifyWindowsVersion(c.Version, c.Extended, probes, info);
        EXPECT_EQ(WideToUtf8(info.Full), WideToUtf8(c.Full));
        EXPECT_EQ(WideToUtf8(info.Product), WideToUtf8(c.Product));
        EXPECT_EQ(WideToUtf8(info.Kind.AsString), WideToUtf8(c.Kind));
        EXPECT_EQ(info.Kind.AsType, c.AsType);
        EXPECT_EQ(int(info.OSKind), int(c.OSKind));
        EXPECT_EQ(info.Server, c.Server);
        EXPECT_EQ(WideToUtf8(info.ServicePack), WideToUtf8(c.ServicePack));
        EXPECT_EQ(info.OSBuild, int32_t(c.Version.BuildNumber));
        // The architecture is read on 5.2 only (0 elsewhere, even on x64), the
        // registry only for NT without the extended record.
        const bool is52 =
            c.Version.PlatformId == 2 && c.Version.MajorVersion == 5 && c.Version.MinorVersion == 2;
        EXPECT_EQ(probes.ArchCalls, is52 ? 1 : 0);
        EXPECT_EQ(probes.RegistryCalls, c.Version.PlatformId == 2 && !c.Extended ? 1 : 0);
    }
}

TEST(ClassifyWindowsVersion, VersionNumbersAndUnsetFields) {
    TOSVersionRecord version = NT(6, 1, 7601, kWs, 0, L"Service Pack 1");
    version.ServicePackMajor = 1;
    TFakeProbes probes;
    TWindowsTypeEx info;
    ClassifyWindowsVersion(version, true, probes, info);
    EXPECT_EQ(WideToUtf8(info.OSVersion.AsString), "6.1");
    EXPECT_EQ(info.OSVersion.Major, 6);
    EXPECT_EQ(info.OSVersion.Minor, 1);
    EXPECT_EQ(WideToUtf8(info.ServicePackVersion.AsString), "1.0");
    EXPECT_EQ(info.ServicePackVersion.Major, 1);
    EXPECT_EQ(info.ServicePackVersion.Minor, 0);

    // The build number keeps all its bits; the service-pack text shows the low 16.
    TWindowsTypeEx wide;
    ClassifyWindowsVersion(NT(5, 1, 0x00010A28, kWs, 0), true, probes, wide);
    EXPECT_EQ(wide.OSBuild, 0x00010A28);
    EXPECT_EQ(WideToUtf8(wide.ServicePack), "(Build 2600)");

    // A version the tables do not know leaves what the caller put there.
    TWindowsTypeEx prefilled;
    prefilled.Product = L"kept";
    prefilled.OSKind = win2000;
    ClassifyWindowsVersion(NT(6, 3, 9600, 4, 0), true, probes, prefilled);
    EXPECT_EQ(WideToUtf8(prefilled.Product), "kept");
    EXPECT_EQ(prefilled.OSKind, win2000);
    EXPECT_EQ(WideToUtf8(prefilled.Full), "kept ");
}

TEST(ClassifyWindowsVersion, ServicePackTextStopsAtTheFirstNul) {
    TOSVersionRecord version = NT(5, 1, 2600, kWs, 0);
    version.CSDVersion = std::wstring(L"Service Pack 2\0garbage", 22);
    TFakeProbes probes;
    TWindowsTypeEx info;
    ClassifyWindowsVersion(version, true, probes, info);
    EXPECT_EQ(WideToUtf8(info.ServicePack), "Service Pack 2 (Build 2600)");
}

TEST(Trim, RemovesBlanksAndControlCharactersAtBothEnds) {
    EXPECT_EQ(WideToUtf8(Trim(L"\t  a b \r\n")), "a b");
    EXPECT_EQ(WideToUtf8(Trim(std::wstring(L"x\0\0", 3))), "x");
    EXPECT_EQ(WideToUtf8(Trim(L" \x01 ")), "");
    EXPECT_EQ(WideToUtf8(Trim(L"\x00A0z\x00A0")), "\u00A0z\u00A0"); // no-break space is kept
}
