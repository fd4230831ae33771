// The core's real seams over processes under Wine: the WQL text for image
// names with an apostrophe, the path lookup's fallback to the process list,
// the matching over the real process list, the relaunch route and the
// locale ordering of the restore.
#include "core/optimisation_core_win.h"
#include "platform/com_ptr.h"
#include "platform/shell.h"
#include "platform/text.h"
#include "platform/wmi_query.h"
#include "tests/wine/fixture_processes.h"

#include <gtest/gtest.h>

#include <cstdio>

using namespace skorvel;
using namespace skorvel::testing;

namespace {

using Lines = std::vector<std::wstring>;

class CoreProcessesTest : public ::testing::Test {
protected:
    ComInitialization FCom{COINIT_APARTMENTTHREADED};
    TFixtureFolder FFolder;
};

std::wstring OwnImageName() {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    const std::wstring full = path;
    return full.substr(full.find_last_of(L'\\') + 1);
}

// Waits until a process with the image name runs; returns its id, 0 if none came.
DWORD WaitForImage(const std::wstring& imageName, DWORD milliseconds) {
    for (DWORD waited = 0; waited <= milliseconds; waited += 100) {
        TProcessCollection processes;
        processes.UpdateProcesses();
        if (const TProcessItem* item = processes.FindByName(imageName))
            return item->ProcessID();
        ::Sleep(100);
    }
    return 0;
}

void EndProcess(DWORD processId) {
    const KernelHandle process(::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, processId));
    ::TerminateProcess(process.get(), 0);
    ::WaitForSingleObject(process.get(), 5000);
}

} // namespace

TEST_F(CoreProcessesTest, AnApostropheInTheImageNameStillFormsAValidQuery) {
    const TFixtureProcess app(FFolder.Copy(L"fixture_app", L"it's.exe"));
    // Selects exactly the one process (Wine reports no property names, so the
    // value itself stays empty there).
    std::wstring value;
    EXPECT_EQ(WmiQueryValue(WqlProcessQuery(L"it's.exe"), L"ProcessId", value), 1);
    // The name spliced between apostrophes is no valid query at all.
    EXPECT_EQ(
        WmiQueryValue(L"SELECT * FROM Win32_Process WHERE Name='it's.exe'", L"ProcessId", value),
        -1);
}

TEST_F(CoreProcessesTest, PathLookupAnswersForExactlyOneProcessEvenWithoutWmiPaths) {
    const std::wstring single = FFolder.Copy(L"fixture_app", L"it's.exe");
    const std::wstring twin = FFolder.Copy(L"fixture_app", L"twin.exe");
    const TFixtureProcess app(single), first(twin), second(twin);
    TProcessInfo processInfo;
    TProcessInfoList processes(processInfo);
    processes.UpdateList();
    TWmiConnector wmi;
    TExecutablePathLookup lookup(wmi, processes);

    std::wstring value;
    const int32_t status = WmiQueryValue(WqlProcessQuery(L"it's.exe"), L"ExecutablePath", value);
    RecordProperty("wmi_executable_path_status", status);
    std::printf("WMI status for ExecutablePath: %d\n", int(status));
    EXPECT_TRUE(AsciiSameText(lookup.QueryExecutablePath(L"IT'S.EXE"), single))
        << WideToUtf8(lookup.QueryExecutablePath(L"IT'S.EXE"));
    EXPECT_EQ(lookup.QueryExecutablePath(L"twin.exe"), L"");
    EXPECT_EQ(lookup.QueryExecutablePath(L"absent.exe"), L"");
    if (status == -1) {
        // The snapshot answers: once the run has ended one twin, the other
        // is the single one left, read by its process id.
        lookup.ProcessEnded(first.Id());
        EXPECT_TRUE(AsciiSameText(lookup.QueryExecutablePath(L"twin.exe"), twin))
            << WideToUtf8(lookup.QueryExecutablePath(L"twin.exe"));
    }
}

TEST_F(CoreProcessesTest, MatchingClosesTheListedAppsButNeverTheProgramItself) {
    const std::wstring single = FFolder.Copy(L"fixture_app", L"it's.exe");
    const std::wstring twin = FFolder.Copy(L"fixture_app", L"Twin.exe");
    const std::wstring keep = FFolder.Copy(L"fixture_app", L"keep.exe");
    TFixtureProcess app(single), first(twin), second(twin), kept(keep);
    TProcessInfo processInfo;
    TProcessInfoList processes(processInfo);
    TWmiConnector wmi;
    TExecutablePathLookup lookup(wmi, processes);

    processes.UpdateList();
    Lines closedApps;
    CloseMatchingProcesses(processes, {L"it's.exe", OwnImageName(), L"TWIN.EXE", L""}, lookup,
                           ::GetCurrentProcessId(), closedApps);
    EXPECT_TRUE(app.WaitForExit(5000));
    EXPECT_TRUE(first.WaitForExit(5000));
    EXPECT_TRUE(second.WaitForExit(5000));
    EXPECT_TRUE(kept.Running());
    // The twins may or may not leave a path, as the second lookup still
    // sees the first or no longer does; the single one always does.
    ASSERT_FALSE(closedApps.empty());
    EXPECT_TRUE(AsciiSameText(closedApps[0], single)) << WideToUtf8(closedApps[0]);
    for (size_t i = 1; i < closedApps.size(); ++i)
        EXPECT_TRUE(AsciiSameText(closedApps[i], twin)) << WideToUtf8(closedApps[i]);
}

TEST_F(CoreProcessesTest, RelaunchGoesThroughTheDesktopShellOrFallsBackToShellExecute) {
    const std::wstring path = FFolder.Copy(L"fixture_app", L"relaunched.exe");
    TDesktopShellLauncher launcher(nullptr);
    TRestoreLaunches launches(launcher);
    const TLaunchRoute route = launches.Launch(path);
    const char* routeName =
        route == TLaunchRoute::lrDesktopShell ? "the desktop shell" : "ShellExecuteW";
    RecordProperty("route", routeName);
    std::printf("relaunch route: %s\n", routeName);
    const DWORD started = WaitForImage(L"relaunched.exe", 10000);
    EXPECT_NE(started, 0u) << "the application did not start";
    if (started)
        EndProcess(started);

    // An entry that names no file fails silently through the fallback.
    EXPECT_EQ(launches.Launch(L"NULL"), TLaunchRoute::lrShellExecute);
    EXPECT_EQ(launches.Launch(FFolder.Path() + L"gone.exe"), TLaunchRoute::lrShellExecute);
}

TEST_F(CoreProcessesTest, OneDesktopShellDispatchStartsSeveralApplications) {
    const TDesktopShellDispatch dispatch = TDesktopShellDispatch::Fetch();
    if (!dispatch)
        GTEST_SKIP() << "no desktop shell to reach (Wine needs an X display for it)";
    for (const std::wstring image : {L"first.exe", L"second.exe"}) {
        EXPECT_TRUE(dispatch.Open(FFolder.Copy(L"fixture_app", image)));
        const DWORD started = WaitForImage(image, 10000);
        EXPECT_NE(started, 0u) << WideToUtf8(image) << " did not start";
        if (started)
            EndProcess(started);
    }
}

TEST(CoreRestoreOrder, SortUniqueUsesTheUserLocaleIgnoringCase) {
    Lines list = {L"C:\\Apps\\b.exe", L"C:\\Apps\\A.exe", L"c:\\apps\\b.EXE"};
    SortUnique(list, CompareTextUserLocale);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0], L"C:\\Apps\\A.exe");
    EXPECT_TRUE(AsciiSameText(list[1], L"C:\\Apps\\b.exe"));

    // A linguistic order, not the order of the code units.
    list = {L"b.exe", L"\u0105.exe", L"a.exe", L"\u0104.EXE"};
    SortUnique(list, CompareTextUserLocale);
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0], L"a.exe");
    EXPECT_EQ(AsciiUpper(list[1]), L"\u0105.EXE");
    EXPECT_EQ(list[2], L"b.exe");
}
