// Libraries of Windows from the system folder only. The end-to-end driver's
// probe.dll lies beside this test (in the build's bin folder) and nowhere in
// the system folder: the library a load by name would take from the
// program's folder.
#include "platform/system_library.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

using namespace skorvel;

namespace {

std::wstring ModulePath(HMODULE module) {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(module, path, MAX_PATH);
    return path;
}

std::wstring SystemFolder() {
    wchar_t path[MAX_PATH] = {};
    ::GetSystemDirectoryW(path, MAX_PATH);
    return path;
}

bool SameText(const std::wstring& a, const std::wstring& b) {
    return ::CompareStringOrdinal(a.c_str(), int(a.size()), b.c_str(), int(b.size()), TRUE) ==
           CSTR_EQUAL;
}

} // namespace

TEST(SystemLibrary, LoadsTheSystemFoldersCopyByItsFullPath) {
    for (const wchar_t* name : {L"psapi.dll", L"comctl32.dll", L"winmm.dll", L"msimg32.dll"}) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(name)));
        const HMODULE library = LoadSystemLibrary(name);
        ASSERT_NE(library, nullptr);
        EXPECT_TRUE(SameText(ModulePath(library), SystemFolder() + L"\\" + name))
            << testing::PrintToString(ModulePath(library));
        ::FreeLibrary(library);
    }
}

TEST(SystemLibrary, NeverTakesALibraryFromBesideTheProgram) {
    const HMODULE beside = ::LoadLibraryW(L"probe.dll");
    ASSERT_NE(beside, nullptr) << "a load by name takes the copy beside the test";
    ::FreeLibrary(beside);
    ::SetLastError(0xdeadbeef);
    EXPECT_EQ(LoadSystemLibrary(L"probe.dll"), nullptr);
    EXPECT_EQ(::GetLastError(), DWORD(ERROR_MOD_NOT_FOUND));
}

// In a process of its own: the restriction holds for the rest of a process.
TEST(SystemLibrary, RestrictedSearchOrderLeavesTheProgramsFolderOut) {
    EXPECT_EXIT(
        {
            const bool restricted = RestrictLibrarySearchToSystemFolder();
            const bool beside = ::LoadLibraryW(L"probe.dll") != nullptr;
            const bool system = ::LoadLibraryW(L"psapi.dll") != nullptr;
            std::fprintf(stderr, "restricted %d, beside %d, system %d\n", restricted, beside,
                         system);
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), "restricted 1, beside 0, system 1");
}
