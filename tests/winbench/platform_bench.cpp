// Timings of the platform calls the optimisation run makes: one process-list
// refresh per category row, one WMI query per matching process, and the OS
// identification behind the default ticks.
//
//   platform_bench [PROCESSES]    (default 60: fixture copies fill the list up to it)
#include "platform/com_ptr.h"
#include "platform/os_version.h"
#include "platform/process_info.h"
#include "platform/wmi_query.h"
#include "tests/wine/fixture_processes.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
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
    std::sort(times.begin(), times.end());
    return {times[times.size() / 2], times.front(), times.back()};
}

void Print(const char* name, const TFigures& figures) {
    std::printf("%-44s median %10.1f us   min %10.1f us   max %10.1f us\n", name, figures.Median,
                figures.Minimum, figures.Maximum);
}

} // namespace

int main(int argc, char** argv) {
    const int wanted = argc > 1 ? std::atoi(argv[1]) : 60;
    const ComInitialization com;

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

    Print("GetWindowsTypeEx", Measure(10, 50, 200, [] {
              TWindowsTypeEx windowsType;
              GetWindowsTypeEx(windowsType);
          }));
    return 0;
}
