// Timings of the platform calls the optimisation run makes: one process-list
// refresh per category row, the WMI queries of the path lookups (each with a
// connection of its own, or over one kept connection), and the OS
// identification behind the default ticks. Then whole optimisation runs over
// 20 running applications against the calls no run can do without: 11
// snapshots, 20 terminations and 20 path reads, timed on the same machine in
// the same rounds. Last the restore's launches of 20 applications by each
// route, and whole restore runs, against 20 CreateProcess calls from here.
//
//   platform_bench [PROCESSES]    (default 60: fixture copies fill the list up to it)
#include "core/ansi_code_page_win.h"
#include "core/filter_file.h"
#include "core/optimisation_core_win.h"
#include "platform/com_ptr.h"
#include "platform/os_version.h"
#include "platform/process_info.h"
#include "platform/shell.h"
#include "platform/text.h"
#include "platform/wmi_query.h"
#include "tests/wine/fixture_processes.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

using namespace skorvel;
using namespace skorvel::testing;

namespace {

double NowMicroseconds() {
    static const double ticksPerMicrosecond = [] {
        LARGE_INTEGER frequency;
        ::QueryPerformanceFrequency(&frequency);
        return double(frequency.QuadPart) / 1e6;
    }();
    LARGE_INTEGER counter;
    ::QueryPerformanceCounter(&counter);
    return double(counter.QuadPart) / ticksPerMicrosecond;
}

struct TFigures {
    double Median, Minimum, Maximum;
};

TFigures Figures(std::vector<double> times) {
    std::sort(times.begin(), times.end());
    return {times[times.size() / 2], times.front(), times.back()};
}

// Runs the operation Warmup times untimed, then Runs times, each timed alone
// (in microseconds, divided by Batch calls per run).
TFigures Measure(int warmup, int runs, int batch, const std::function<void()>& operation) {
    for (int i = 0; i < warmup; ++i)
        operation();
    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        const double start = NowMicroseconds();
        for (int i = 0; i < batch; ++i)
            operation();
        times.push_back((NowMicroseconds() - start) / batch);
    }
    return Figures(std::move(times));
}

void Print(const char* name, const TFigures& figures) {
    std::printf("%-44s median %10.1f us   min %10.1f us   max %10.1f us\n", name, figures.Median,
                figures.Minimum, figures.Maximum);
}

double TimeMicroseconds(const std::function<void()>& operation) {
    const double start = NowMicroseconds();
    operation();
    return NowMicroseconds() - start;
}

void PlatformCalls(int wanted) {
    TProcessInfo info;
    info.UpdateList();
    TFixtureFolder folder;
    const std::wstring fixture = folder.Copy(L"fixture_app", L"skv_bench.exe");
    std::vector<std::unique_ptr<TFixtureProcess>> fixtures;
    while (info.RunningProcesses().Count() < wanted) {
        fixtures.push_back(std::make_unique<TFixtureProcess>(fixture));
        info.UpdateList();
    }
    std::printf("processes in the list: %d\n", info.RunningProcesses().Count());

    Print("UpdateList", Measure(3, 50, 1, [&] { info.UpdateList(); }));

    std::wstring value;
    Print("WmiQueryValue, no match (status 0)", Measure(2, 20, 1, [&] {
              WmiQueryValue(L"SELECT * FROM Win32_Process WHERE Name='skv_nobody.exe'",
                            L"ExecutablePath", value);
          }));
    const int32_t status = WmiQueryValue(
        L"SELECT * FROM Win32_Process WHERE Name='platform_bench.exe'", L"ProcessId", value);
    Print("WmiQueryValue, one match (status 1)", Measure(2, 20, 1, [&] {
              WmiQueryValue(L"SELECT * FROM Win32_Process WHERE Name='platform_bench.exe'",
                            L"ProcessId", value);
          }));
    std::printf("  (status of the one-match query: %d)\n", status);
    const std::wstring pathQuery = L"SELECT * FROM Win32_Process WHERE Name='platform_bench.exe'";
    std::printf("  (status of the ExecutablePath query: %d)\n",
                int(WmiQueryValue(pathQuery, L"ExecutablePath", value)));
    Print("WmiQueryValue, ExecutablePath",
          Measure(2, 20, 1, [&] { WmiQueryValue(pathQuery, L"ExecutablePath", value); }));
    TWmiConnection connection;
    Print("  the same over one kept connection", Measure(2, 20, 1, [&] {
              connection.WmiQueryValue(pathQuery, L"ExecutablePath", value);
          }));

    Print("GetWindowsTypeEx", Measure(10, 50, 200, [] {
              TWindowsTypeEx windowsType;
              GetWindowsTypeEx(windowsType);
          }));
}

// --- whole runs ---

constexpr int kApplications = 20;
constexpr int kRounds = 5;
constexpr int kRunRow = 2;

// The main window as the run sees it: the confirmation answered with Yes,
// only the row of the 20 applications ticked.
class TBenchView : public IMainView {
public:
    int RowCount() const override { return kCategoryRowCount; }
    bool RowChecked(int row) const override { return row == kRunRow; }
    void SetRowChecked(int, bool) override {}
    void SetRowEnabled(int, bool) override {}
    void SetControlVisible(TModeControl, bool) override {}
    int ShowMessageBox(const std::wstring&, const std::wstring&, unsigned) override {
        return kIdYes;
    }
    void ProcessMessages() override {}
};

using TApplications = std::vector<std::unique_ptr<TFixtureProcess>>;

TApplications StartApplications(const std::vector<std::wstring>& paths) {
    TApplications started;
    for (const auto& path : paths)
        started.push_back(std::make_unique<TFixtureProcess>(path, L"--window"));
    return started;
}

// The applications' items in a fresh list, in the order they were started.
std::vector<const TProcessItem*> ItemsOf(const TProcessCollection& list,
                                         const TApplications& applications) {
    std::vector<const TProcessItem*> items;
    for (const auto& application : applications)
        items.push_back(list.FindByID(application->Id()));
    return items;
}

// A filter file that is removed again when it goes out of scope.
class TFilterFileCopy {
public:
    TFilterFileCopy(const std::wstring& path, const std::vector<std::wstring>& keywords)
        : FPath(path) {
        const std::string bytes =
            EncodeFilterFile(keywords, TFilterEncoding::feUtf8, TSystemAnsiCodePage());
        const FileHandle file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                            FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD written = 0;
        if (!file || !::WriteFile(file.get(), bytes.data(), DWORD(bytes.size()), &written, nullptr))
            throw std::runtime_error("cannot write the filter file");
    }
    TFilterFileCopy(const TFilterFileCopy&) = delete;
    TFilterFileCopy& operator=(const TFilterFileCopy&) = delete;
    ~TFilterFileCopy() { ::DeleteFileW(FPath.c_str()); }

private:
    std::wstring FPath;
};

// The 20 applications' images, named PREFIX00.exe to PREFIX19.exe in a folder
// of their own, the filter file of the run's row naming them, and the
// optimisation core over the real system, with the bench's view.
struct TBenchRun {
    explicit TBenchRun(const std::wstring& prefix)
        : Names(ApplicationNames(prefix)), Images(CopiesOfTheApplication(Folder, Names)),
          Filter(FilterFilePath(Folder.Path(), kRunRow), Names) {}

    static std::vector<std::wstring> ApplicationNames(const std::wstring& prefix) {
        std::vector<std::wstring> names;
        for (int i = 0; i < kApplications; ++i)
            names.push_back(prefix + std::to_wstring(i / 10) + std::to_wstring(i % 10) + L".exe");
        return names;
    }
    static std::vector<std::wstring>
    CopiesOfTheApplication(TFixtureFolder& folder, const std::vector<std::wstring>& names) {
        std::vector<std::wstring> images;
        for (const auto& name : names)
            images.push_back(folder.Copy(L"fixture_app", name));
        return images;
    }

    TFixtureFolder Folder;
    const std::vector<std::wstring> Names, Images;
    const TFilterFileCopy Filter;
    TBenchView View;
    TProcessInfo ProcessInfo;
    TProcessInfoList Processes{ProcessInfo};
    TWmiConnector Wmi;
    TFilterFolderFiles Files;
    TServiceManagerFactory Services;
    TDesktopShellLauncher Launcher{nullptr};
    TOptimisationCore Core{View, TCoreServices{Processes, Wmi, Files, Folder.Path(), Services,
                                               Launcher, CompareTextUserLocale, CurrentOSKind,
                                               ::GetCurrentProcessId()}};
};

void PrintMilliseconds(const char* name, const TFigures& figures) {
    std::printf("%-44s median %10.2f ms   min %10.2f ms   max %10.2f ms\n", name,
                figures.Median / 1000, figures.Minimum / 1000, figures.Maximum / 1000);
}

void PrintRatio(const char* name, const TFigures& figures) {
    std::printf("%-44s median %10.2f      min %10.2f      max %10.2f\n", name, figures.Median,
                figures.Minimum, figures.Maximum);
}

void OptimisationRuns() {
    TBenchRun run(L"app");
    TOptimisationCore& core = run.Core;
    const std::vector<std::wstring>& images = run.Images;

    std::vector<double> runs, snapshots, terminations, pathReads, sums, ratios;
    for (int round = 0; round < kRounds; ++round) {
        // The calls no run can avoid, on the same applications and in the
        // run's order: the snapshots of the rows up to theirs, each one's
        // path read and termination, the snapshots of the remaining rows and
        // the last one.
        TApplications applications = StartApplications(images);
        TProcessInfo own;
        double snapshot = 0, termination = 0, pathRead = 0;
        for (int row = 0; row <= kRunRow; ++row)
            snapshot += TimeMicroseconds([&] { own.UpdateList(); });
        for (const TProcessItem* item : ItemsOf(own.RunningProcesses(), applications)) {
            pathRead += TimeMicroseconds([&] { item->FullPath(); });
            termination += TimeMicroseconds([&] { item->TerminateProcess(); });
        }
        for (int row = kRunRow + 1; row <= kFilterCategoryCount; ++row)
            snapshot += TimeMicroseconds([&] { own.UpdateList(); });
        applications.clear();

        applications = StartApplications(images);
        runs.push_back(TimeMicroseconds([&] { core.StartBtnClick(); }));
        if (core.ClosedApps().size() != size_t(kApplications))
            std::printf("round %d: %d paths recorded, not %d\n", round,
                        int(core.ClosedApps().size()), kApplications);
        applications.clear();

        snapshots.push_back(snapshot);
        terminations.push_back(termination);
        pathReads.push_back(pathRead);
        sums.push_back(snapshot + termination + pathRead);
        ratios.push_back(runs.back() / sums.back());
    }
    std::printf("whole runs over %d applications, %d rounds:\n", kApplications, kRounds);
    PrintMilliseconds("run (StartBtnClick)", Figures(runs));
    PrintMilliseconds("11 snapshots (UpdateList)", Figures(snapshots));
    PrintMilliseconds("20 terminations (TerminateProcess)", Figures(terminations));
    PrintMilliseconds("20 path reads (FullPath)", Figures(pathReads));
    PrintMilliseconds("sum of the unavoidable calls", Figures(sums));
    PrintRatio("run / sum of the unavoidable calls", Figures(ratios));
}

// --- launches of the restore ---

// The ids of the processes running from the images, once as many run as
// there are images (at most 10 s), so that a round ends what it started.
std::vector<DWORD> WaitForProcessesOf(const std::vector<std::wstring>& imageNames) {
    std::vector<DWORD> found;
    for (int attempt = 0; attempt < 200; ++attempt) {
        TProcessCollection processes;
        processes.UpdateProcesses();
        found.clear();
        for (int i = 0; i < processes.Count(); ++i)
            for (const auto& name : imageNames)
                if (AsciiSameText(processes.Items(i)->ExeFile(), name))
                    found.push_back(processes.Items(i)->ProcessID());
        if (found.size() >= imageNames.size())
            break;
        ::Sleep(50);
    }
    return found;
}

void EndProcessesOf(const std::vector<std::wstring>& imageNames) {
    for (const DWORD id : WaitForProcessesOf(imageNames)) {
        const KernelHandle process(::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id));
        ::TerminateProcess(process.get(), 1);
        ::WaitForSingleObject(process.get(), 5000);
    }
}

// One launch of each path, timed in all (microseconds); the processes are
// ended again once all of them run.
double TimeLaunches(const std::vector<std::wstring>& paths,
                    const std::vector<std::wstring>& imageNames,
                    const std::function<void(const std::wstring&)>& launch) {
    const double start = NowMicroseconds();
    for (const auto& path : paths)
        launch(path);
    const double elapsed = NowMicroseconds() - start;
    EndProcessesOf(imageNames);
    return elapsed;
}

void CreateProcessOf(const std::wstring& path) {
    std::wstring commandLine = L"\"" + path + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION created{};
    if (!::CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          nullptr, &startup, &created))
        throw std::runtime_error("cannot start an application");
    ::CloseHandle(created.hThread);
    ::CloseHandle(created.hProcess);
}

// The routes of the restore's launches, against the floor of 20
// CreateProcess calls, each round in the same minute; then whole restore
// runs (the optimisation before each one untimed).
void RestoreLaunches() {
    TBenchRun run(L"rst");
    TOptimisationCore& core = run.Core;
    const std::vector<std::wstring>& names = run.Names;
    const std::vector<std::wstring>& images = run.Images;
    if (!TDesktopShellDispatch::Fetch()) {
        std::printf("restore launches: no desktop shell to reach (Wine needs an X display)\n");
        return;
    }

    std::vector<double> floors, fetches, oneDispatch, dispatchEach, fromHere, runs, ratios;
    for (int round = 0; round < kRounds; ++round) {
        floors.push_back(TimeLaunches(images, names, CreateProcessOf));
        fetches.push_back(TimeMicroseconds([] { TDesktopShellDispatch::Fetch(); }));
        const TDesktopShellDispatch dispatch = TDesktopShellDispatch::Fetch();
        oneDispatch.push_back(
            TimeLaunches(images, names, [&](const std::wstring& path) { dispatch.Open(path); }));
        dispatchEach.push_back(TimeLaunches(images, names, [](const std::wstring& path) {
            TDesktopShellDispatch::Fetch().Open(path);
        }));
        fromHere.push_back(TimeLaunches(
            images, names, [](const std::wstring& path) { ShellOpen(nullptr, path); }));

        TApplications applications = StartApplications(images);
        core.StartBtnClick();
        applications.clear();
        runs.push_back(TimeMicroseconds([&] { core.PrzywrocBtnClick(); }));
        EndProcessesOf(names);
        if (core.ClosedApps().size() != size_t(kApplications))
            std::printf("round %d: %d paths restored, not %d\n", round,
                        int(core.ClosedApps().size()), kApplications);
        ratios.push_back(runs.back() / floors.back());
    }
    std::printf("restore launches of %d applications, %d rounds:\n", kApplications, kRounds);
    PrintMilliseconds("20 CreateProcess (the floor)", Figures(floors));
    PrintMilliseconds("one desktop shell fetch", Figures(fetches));
    PrintMilliseconds("20 through one desktop shell dispatch", Figures(oneDispatch));
    PrintMilliseconds("20 through a dispatch fetched for each", Figures(dispatchEach));
    PrintMilliseconds("20 ShellExecuteW from here", Figures(fromHere));
    PrintMilliseconds("restore run (PrzywrocBtnClick)", Figures(runs));
    PrintRatio("restore run / floor", Figures(ratios));
}

} // namespace

int main(int argc, char** argv) {
    const ComInitialization com;
    PlatformCalls(argc > 1 ? std::atoi(argv[1]) : 60);
    OptimisationRuns();
    RestoreLaunches();
    return 0;
}
