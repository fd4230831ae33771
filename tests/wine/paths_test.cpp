#include "platform/paths.h"

#include <windows.h>

#include <gtest/gtest.h>

using namespace skorvel;

// The harness's setup script maps D: to a folder that holds probe.txt and
// marks D: as an optical drive (see paths_test.setup).

TEST(Paths, NativeTestsTellFilesFromFolders) {
    const std::wstring windows = L"C:\\windows";
    EXPECT_TRUE(NativeDirectoryExists(windows));
    EXPECT_FALSE(NativeFileExists(windows));
    EXPECT_TRUE(NativeFileExists(windows + L"\\system32\\kernel32.dll"));
    EXPECT_FALSE(NativeDirectoryExists(windows + L"\\system32\\kernel32.dll"));
    EXPECT_FALSE(NativeFileExists(windows + L"\\no-such-file.txt"));
    EXPECT_FALSE(IsWow64()); // a 64-bit test process
}

TEST(Paths, FixedDriveTestsAnswerOnlyForFixedDisks) {
    ASSERT_EQ(::GetDriveTypeW(L"D:\\"), UINT(DRIVE_CDROM)) << "the setup script did not run";
    ASSERT_NE(::GetFileAttributesW(L"D:\\probe.txt"), INVALID_FILE_ATTRIBUTES);
    const struct {
        const wchar_t* path;
        bool file, directory;
    } cases[] = {
        {L"C:\\windows\\system32\\kernel32.dll", true, false},
        {L"C:\\windows", false, true},
        {L"C:\\windows\\missing.txt", false, false},
        {L"D:\\probe.txt", false, false}, // exists, but on an optical drive
        {L"D:\\", false, false},
        {L"\\\\server\\share\\file.txt", false, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FixedDriveFileExists(c.path), c.file) << c.path;
        EXPECT_EQ(FixedDriveDirectoryExists(c.path), c.directory) << c.path;
    }
}

TEST(Paths, ProgramFolderEndsWithBackslash) {
    const std::wstring folder = ProgramFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), L'\\');
    EXPECT_TRUE(FixedDriveFileExists(folder + L"paths_test.exe"));
}
