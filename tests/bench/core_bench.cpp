// The core's own cost: the matching of one optimisation run over fake
// platform calls (the run's time is meant to be the operating system's), and
// the decoding of a large filter file in each encoding.
#include "core/filter_file.h"
#include "core/optimisation_core.h"

#include <benchmark/benchmark.h>

#include <memory>

using namespace skorvel;

namespace {

constexpr int kProcesses = 300;
constexpr int kKeywords = 50;

// A snapshot of 300 processes, ten of them listed in a filter; terminating
// answers at once.
class TBenchProcesses : public IProcessList {
public:
    TBenchProcesses() {
        for (int i = 0; i < kProcesses; ++i)
            FNames.push_back(L"process" + std::to_wstring(i) + L".exe");
    }
    void UpdateList() override {}
    int Count() override { return kProcesses; }
    std::wstring ExeFile(int index) override { return FNames[size_t(index)]; }
    uint32_t ProcessID(int index) override { return uint32_t(index + 8); }
    bool IsCritical(int) override { return false; }
    std::wstring FullPath(int index) override {
        return L"C:\\Program Files\\" + FNames[size_t(index)];
    }
    bool TerminateProcess(int) override { return true; }

private:
    std::vector<std::wstring> FNames;
};

// WMI that answers every query with one path at once.
class TBenchWmi : public IWmiConnector {
public:
    std::unique_ptr<IWmiConnection> Connect() override {
        class Connection : public IWmiConnection {
            int32_t WmiQueryValue(const std::wstring&, const std::wstring&,
                                  std::wstring& value) override {
                value = L"C:\\Program Files\\Application.exe";
                return 1;
            }
        };
        return std::make_unique<Connection>();
    }
};

// Row r lists 49 names that do not run and one that does.
class TBenchFilterFiles : public IFilterFiles {
public:
    bool FileExists(const std::wstring&) override { return true; }
    std::vector<std::wstring> ReadKeywords(const std::wstring& path) override {
        std::vector<std::wstring> keywords;
        for (int k = 0; k < kKeywords - 1; ++k)
            keywords.push_back(L"Application" + std::to_wstring(k) + L".EXE");
        keywords.push_back(L"PROCESS" + std::to_wstring(path.size() % 7 * 40) + L".exe");
        return keywords;
    }
};

class TBenchServices : public IServiceManagerFactory {
public:
    std::unique_ptr<IServiceManager> CreateServiceManager() override {
        class Manager : public IServiceManager {
            bool Connect(const wchar_t*, const wchar_t*, uint32_t) override { return true; }
            bool OpenServiceConnection(const wchar_t*) override { return true; }
            bool ServiceRunning() override { return true; }
            bool ServiceStopped() override { return false; }
            bool Stop() override { return true; }
            bool Start() override { return true; }
        };
        return std::make_unique<Manager>();
    }
};

class TBenchLauncher : public IShellLauncher {
public:
    bool FileExists(const std::wstring&) override { return false; }
    std::unique_ptr<IDesktopShell> FetchDesktopShell() override { return nullptr; }
    void ShellOpen(const std::wstring&) override {}
};

class TBenchView : public IMainView {
public:
    int RowCount() const override { return kCategoryRowCount; }
    bool RowChecked(int row) const override { return row < kFilterCategoryCount; }
    void SetRowChecked(int, bool) override {}
    void SetRowEnabled(int, bool) override {}
    void SetControlVisible(TModeControl, bool) override {}
    int ShowMessageBox(const std::wstring&, const std::wstring&, unsigned) override {
        return kIdYes;
    }
    void ProcessMessages() override {}
};

int CompareOrdinal(const std::wstring& a, const std::wstring& b) {
    return a.compare(b);
}

void OptimisationRunMatching(benchmark::State& state) {
    TBenchProcesses processes;
    TBenchWmi wmi;
    TBenchFilterFiles files;
    TBenchServices services;
    TBenchLauncher launcher;
    TBenchView view;
    TOptimisationCore core(
        view, TCoreServices{processes, wmi, files, L"C:\\Skorvel\\filters\\skorvel\\", services,
                            launcher, CompareOrdinal, [] { return winSeven; }, 4});
    for (auto _ : state) {
        core.StartBtnClick();
        benchmark::DoNotOptimize(core.ClosedApps().size());
    }
    state.counters["comparisons"] = kProcesses * kKeywords * kFilterCategoryCount;
    state.counters["closed"] = double(core.ClosedApps().size());
}
BENCHMARK(OptimisationRunMatching)->Unit(benchmark::kMicrosecond);

// About 1 MB of keyword lines, Polish letters included, in the encoding.
std::string LargeFilterFile(TFilterEncoding encoding) {
    std::vector<std::wstring> lines;
    size_t size = 0;
    for (int i = 0; size < 1000000; ++i) {
        lines.push_back(L"aplikacja_\u017C\u00F3\u0142w_" + std::to_wstring(i) + L".exe");
        size += lines.back().size() + 2;
    }
    std::string bytes = EncodeFilterFile(lines, encoding, TWindows1250CodePage());
    return bytes.substr(0, 1 << 20);
}

void DecodeFilterFileOf(benchmark::State& state, TFilterEncoding encoding) {
    const std::string bytes = LargeFilterFile(encoding);
    const TWindows1250CodePage ansi;
    for (auto _ : state) {
        const TFilterText text = DecodeFilterFile(bytes, ansi);
        benchmark::DoNotOptimize(text.Lines.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes.size()));
}
BENCHMARK_CAPTURE(DecodeFilterFileOf, Utf8, TFilterEncoding::feUtf8)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(DecodeFilterFileOf, Utf16LE, TFilterEncoding::feUtf16LE)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(DecodeFilterFileOf, Utf16BE, TFilterEncoding::feUtf16BE)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(DecodeFilterFileOf, Ansi1250, TFilterEncoding::feAnsi)
    ->Unit(benchmark::kMillisecond);

} // namespace
