// Start-up benchmark under Wine: time from process creation to the main
// window's first paint (visible, nothing left to paint), median of 10 starts,
// and the working set a second after start.
//   wine startup_bench.exe Z:\path\to\Skorvel.exe [caption [arguments]]
// The caption and arguments let the same measurement run on another program,
// for a baseline of what any window costs under Wine.
#include <windows.h>
#include <psapi.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

struct Search {
    DWORD Pid;
    const wchar_t* Caption;
    HWND Found;
};

BOOL CALLBACK FindMain(HWND window, LPARAM param) {
    auto& search = *reinterpret_cast<Search*>(param);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(window, &pid);
    wchar_t text[128] = {};
    ::GetWindowTextW(window, text, 128);
    if (pid == search.Pid && ::IsWindowVisible(window) && lstrcmpW(text, search.Caption) == 0) {
        search.Found = window;
        return FALSE;
    }
    return TRUE;
}

double Now() {
    LARGE_INTEGER counter, frequency;
    ::QueryPerformanceCounter(&counter);
    ::QueryPerformanceFrequency(&frequency);
    return double(counter.QuadPart) * 1000.0 / double(frequency.QuadPart);
}

} // namespace

int main() {
    int argc = 0;
    wchar_t** argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    if (argc < 2) {
        std::fprintf(stderr, "usage: startup_bench <Skorvel.exe>\n");
        return 2;
    }
    std::vector<double> times;
    SIZE_T workingSet = 0;
    for (int run = 0; run < 10; ++run) {
        std::wstring command = L"\"" + std::wstring(argv[1]) + L"\"";
        if (argc > 3)
            command += L" " + std::wstring(argv[3]);
        STARTUPINFOW si = {};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi = {};
        const double start = Now();
        if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                              &si, &pi))
            return 1;
        Search search{pi.dwProcessId, argc > 2 ? argv[2] : L"Skorvel", nullptr};
        double painted = 0;
        while (Now() - start < 30000) {
            ::EnumWindows(FindMain, reinterpret_cast<LPARAM>(&search));
            if (search.Found && !::GetUpdateRect(search.Found, nullptr, FALSE)) {
                painted = Now();
                break;
            }
            ::Sleep(1);
        }
        times.push_back(painted - start);
        if (run == 0) {
            ::Sleep(1000);
            PROCESS_MEMORY_COUNTERS counters = {};
            counters.cb = sizeof counters;
            ::GetProcessMemoryInfo(pi.hProcess, &counters, sizeof counters);
            workingSet = counters.WorkingSetSize;
        }
        ::TerminateProcess(pi.hProcess, 0);
        ::WaitForSingleObject(pi.hProcess, 5000);
        ::CloseHandle(pi.hProcess);
        ::CloseHandle(pi.hThread);
    }
    std::sort(times.begin(), times.end());
    std::printf("first paint: median %.1f ms (min %.1f, max %.1f) over %zu starts\n",
                (times[4] + times[5]) / 2, times.front(), times.back(), times.size());
    std::printf("working set after start: %.1f MB\n", double(workingSet) / (1024 * 1024));
    return 0;
}
