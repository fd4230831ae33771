// The filter files that ship beside the program: each of the ten loads as
// UTF-8 with a byte-order mark and lists clean, distinct image names, none of
// them a process of Windows itself.
#include "core/filter_file.h"
#include "core/filter_lists.h"
#include "platform/text.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

using namespace skorvel;

namespace {

const std::filesystem::path kShippedFolder =
    std::filesystem::path(SKORVEL_SOURCE_DIR) / "resources" / "filters";

// Processes of Windows itself, and the program's own image: closing any of
// them stops the session or the machine, or ends the run half-way.
const wchar_t* const kSystemProcesses[] = {
    L"csrss.exe",
    L"lsass.exe",
    L"lsaiso.exe",
    L"smss.exe",
    L"wininit.exe",
    L"winlogon.exe",
    L"services.exe",
    L"svchost.exe",
    L"dwm.exe",
    L"explorer.exe",
    L"system",
    L"registry",
    L"memory compression",
    L"spoolsv.exe",
    L"lsm.exe",
    L"taskhost.exe",
    L"taskhostw.exe",
    L"taskeng.exe",
    L"taskmgr.exe",
    L"conhost.exe",
    L"ctfmon.exe",
    L"dllhost.exe",
    L"rundll32.exe",
    L"sihost.exe",
    L"fontdrvhost.exe",
    L"userinit.exe",
    L"logonui.exe",
    L"audiodg.exe",
    L"wmiprvse.exe",
    L"searchindexer.exe",
    L"searchui.exe",
    L"searchhost.exe",
    L"runtimebroker.exe",
    L"shellexperiencehost.exe",
    L"startmenuexperiencehost.exe",
    L"securityhealthservice.exe",
    L"msmpeng.exe",
    L"nissrv.exe",
    L"sgrmbroker.exe",
    L"wudfhost.exe",
    L"smartscreen.exe",
    L"msiexec.exe",
    L"trustedinstaller.exe",
    L"tiworker.exe",
    L"winmgmt.exe",
    L"mmc.exe",
    L"regedit.exe",
    L"cmd.exe",
    L"powershell.exe",
    L"consent.exe",
    L"skorvel.exe",
};

std::string ReadBytes(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

} // namespace

TEST(ShippedFilters, EveryCategoryFileLoadsWithCleanDistinctKeywords) {
    if (!std::filesystem::is_directory(kShippedFolder))
        GTEST_SKIP() << "no shipped filter folder yet: " << kShippedFolder;
    const TWindows1250CodePage ansi;
    std::set<std::wstring> system;
    for (const wchar_t* name : kSystemProcesses)
        system.insert(AsciiUpper(name));

    for (const auto& category : kCategories) {
        const std::string stem = WideToUtf8(category.FileStem);
        const std::filesystem::path path = kShippedFolder / (stem + ".txt");
        ASSERT_TRUE(std::filesystem::is_regular_file(path)) << path;
        const std::string bytes = ReadBytes(path);
        const TFilterText text = DecodeFilterFile(bytes, ansi);
        EXPECT_EQ(text.Encoding, TFilterEncoding::feUtf8) << stem;
        EXPECT_EQ(bytes.find('\0'), std::string::npos) << stem;
        EXPECT_FALSE(text.Lines.empty()) << stem;

        std::set<std::wstring> seen;
        for (const auto& keyword : text.Lines) {
            const std::string shown = stem + ": \"" + WideToUtf8(keyword) + "\"";
            EXPECT_FALSE(keyword.empty()) << shown;
            if (keyword.empty())
                continue;
            EXPECT_GT(keyword.front(), L' ') << shown;
            EXPECT_GT(keyword.back(), L' ') << shown;
            EXPECT_EQ(keyword.find_first_of(L"\\/:*?\"<>|"), std::wstring::npos) << shown;
            // Matching ignores ASCII case, so two spellings are one keyword.
            EXPECT_TRUE(seen.insert(AsciiUpper(keyword)).second) << "duplicate " << shown;
            EXPECT_EQ(system.count(AsciiUpper(keyword)), 0u) << "system process " << shown;
        }
    }
}

TEST(ShippedFilters, NothingButTheTenCategoryFilesShips) {
    if (!std::filesystem::is_directory(kShippedFolder))
        GTEST_SKIP() << "no shipped filter folder yet: " << kShippedFolder;
    std::set<std::string> expected;
    for (const auto& category : kCategories)
        expected.insert(WideToUtf8(category.FileStem) + ".txt");
    for (const auto& entry : std::filesystem::directory_iterator(kShippedFolder))
        EXPECT_EQ(expected.count(entry.path().filename().string()), 1u) << entry.path();
}
