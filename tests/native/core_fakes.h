#pragma once
// Fakes of the optimisation core's seams. Each records what it is asked in
// one shared event log, so tests can check the order of calls across them.
#include "core/optimisation_core.h"
#include "platform/exception.h"

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace skorvel::testing {

using TEventLog = std::vector<std::wstring>;

class FakeView : public IMainView {
public:
    explicit FakeView(TEventLog& log) : FLog(log) {}

    std::vector<bool> Ticks = std::vector<bool>(kCategoryRowCount, false);
    std::vector<bool> Enabled = std::vector<bool>(kCategoryRowCount, true);
    int Answer = kIdYes;                     // what the confirmation box answers
    std::function<void()> OnProcessMessages; // runs inside ProcessMessages

    int RowCount() const override { return kCategoryRowCount; }
    bool RowChecked(int row) const override { return Ticks.at(row); }
    void SetRowChecked(int row, bool checked) override { Ticks.at(row) = checked; }
    void SetRowEnabled(int row, bool enabled) override { Enabled.at(row) = enabled; }
    void SetControlVisible(TModeControl control, bool visible) override {
        static const wchar_t* const names[] = {L"StartBtn", L"StartMenuBtn", L"PrzywrocBtn",
                                               L"PrzywrocMenuBtn"};
        FLog.push_back(std::wstring(visible ? L"show " : L"hide ") + names[int(control)]);
    }
    int ShowMessageBox(const std::wstring& text, const std::wstring& caption,
                       unsigned flags) override {
        FLog.push_back(L"box " + caption + L" " + std::to_wstring(flags) + L": " + text);
        return flags == (kMbYesNo | kMbIconQuestion) ? Answer : 1;
    }
    void ProcessMessages() override {
        FLog.push_back(L"messages");
        if (OnProcessMessages)
            OnProcessMessages();
    }

private:
    TEventLog& FLog;
};

enum class TTermination { Terminated, NotOpened, Raises };

struct FakeProcess {
    std::wstring ExeFile;
    uint32_t ProcessID;
    TTermination Termination = TTermination::Terminated;
    bool Critical = false;
};

// The run's snapshot. A terminated process stays listed until the next
// UpdateList; terminating it again then fails to open it, as on Windows.
class FakeProcessList : public IProcessList {
public:
    explicit FakeProcessList(TEventLog& log) : FLog(log) {}

    std::vector<FakeProcess> Running;
    int FailUpdateAt = -1;                 // the UpdateList call (0-based) that raises
    std::vector<uint32_t> UnreadablePaths; // processes whose FullPath raises

    void UpdateList() override {
        FLog.push_back(L"update");
        if (FUpdates++ == FailUpdateAt)
            throw std::runtime_error("snapshot failed");
        FSnapshot.clear();
        for (const auto& process : Running)
            if (!FEnded.count(process.ProcessID))
                FSnapshot.push_back(process);
    }
    int Count() override { return int(FSnapshot.size()); }
    std::wstring ExeFile(int index) override { return FSnapshot.at(index).ExeFile; }
    uint32_t ProcessID(int index) override { return FSnapshot.at(index).ProcessID; }
    bool IsCritical(int index) override { return FSnapshot.at(index).Critical; }
    // "C:\Pid<id>\<image name>"
    std::wstring FullPath(int index) override {
        const FakeProcess& process = FSnapshot.at(index);
        FLog.push_back(L"path " + std::to_wstring(process.ProcessID));
        if (std::count(UnreadablePaths.begin(), UnreadablePaths.end(), process.ProcessID))
            throw std::runtime_error("access denied");
        return L"C:\\Pid" + std::to_wstring(process.ProcessID) + L"\\" + process.ExeFile;
    }
    bool TerminateProcess(int index) override {
        const FakeProcess& process = FSnapshot.at(index);
        FLog.push_back(L"terminate " + std::to_wstring(process.ProcessID));
        if (FEnded.count(process.ProcessID))
            return false;
        switch (process.Termination) {
        case TTermination::NotOpened:
            return false;
        case TTermination::Raises:
            throw std::runtime_error("access denied");
        case TTermination::Terminated:
            break;
        }
        FEnded[process.ProcessID] = true;
        return true;
    }
    bool Ended(uint32_t processID) const { return FEnded.count(processID) != 0; }

private:
    TEventLog& FLog;
    std::vector<FakeProcess> FSnapshot;
    std::map<uint32_t, bool> FEnded;
    int FUpdates = 0;
};

// WMI: each connection logs its making and its release; a query for an image
// name's path logs "lookup " + the name (any other query logs itself) and
// answers Status, with the path "C:\Apps\" + name unless set in Paths.
class FakeWmi : public IWmiConnector {
public:
    explicit FakeWmi(TEventLog& log) : FLog(log) {}
    std::map<std::wstring, std::wstring> Paths;
    int32_t Status = 1;
    bool Raise = false;
    int Alive = 0;

    std::unique_ptr<IWmiConnection> Connect() override {
        FLog.push_back(L"wmi connect");
        return std::make_unique<Connection>(*this);
    }

private:
    class Connection : public IWmiConnection {
    public:
        explicit Connection(FakeWmi& owner) : FOwner(owner) { ++FOwner.Alive; }
        ~Connection() override {
            --FOwner.Alive;
            FOwner.FLog.push_back(L"wmi freed");
        }
        int32_t WmiQueryValue(const std::wstring& query, const std::wstring& property,
                              std::wstring& value) override {
            const std::wstring name = ImageName(query);
            if (property == L"ExecutablePath" && query == WqlProcessQuery(name))
                FOwner.FLog.push_back(L"lookup " + name);
            else
                FOwner.FLog.push_back(L"query " + query + L" / " + property);
            if (FOwner.Raise)
                throw std::runtime_error("COM failure");
            const auto found = FOwner.Paths.find(name);
            value.clear();
            if (FOwner.Status == 1)
                value = found != FOwner.Paths.end() ? found->second : L"C:\\Apps\\" + name;
            return FOwner.Status;
        }

    private:
        // What stands between the quotes closing the query.
        static std::wstring ImageName(const std::wstring& query) {
            const size_t open = query.find_first_of(L"'\"");
            return open == std::wstring::npos || query.size() < open + 2
                       ? std::wstring()
                       : query.substr(open + 1, query.size() - open - 2);
        }
        FakeWmi& FOwner;
    };

    TEventLog& FLog;
};

// Filter files by path; a path in Unreadable raises when read.
class FakeFilterFiles : public IFilterFiles {
public:
    explicit FakeFilterFiles(TEventLog& log) : FLog(log) {}
    std::map<std::wstring, std::vector<std::wstring>> Files;
    std::vector<std::wstring> Unreadable;

    bool FileExists(const std::wstring& path) override {
        return Files.count(path) != 0 || IsUnreadable(path);
    }
    std::vector<std::wstring> ReadKeywords(const std::wstring& path) override {
        FLog.push_back(L"read " + path);
        if (IsUnreadable(path))
            throw Exception(L"Cannot open file \"" + path + L"\".");
        return Files.at(path);
    }

private:
    bool IsUnreadable(const std::wstring& path) const {
        for (const auto& p : Unreadable)
            if (p == path)
                return true;
        return false;
    }
    TEventLog& FLog;
};

enum class TServiceState { Missing, Stopped, StartPending, StopPending, Running, Paused };

// A service control manager with named services; every manager it creates
// logs its calls and its release.
class FakeServiceManagers : public IServiceManagerFactory {
public:
    explicit FakeServiceManagers(TEventLog& log) : FLog(log) {}
    std::map<std::wstring, TServiceState> States;
    bool RaiseOnOpen = false;
    int Alive = 0;

    std::unique_ptr<IServiceManager> CreateServiceManager() override {
        FLog.push_back(L"service manager");
        return std::make_unique<Manager>(*this);
    }

private:
    class Manager : public IServiceManager {
    public:
        explicit Manager(FakeServiceManagers& owner) : FOwner(owner) { ++FOwner.Alive; }
        ~Manager() override {
            --FOwner.Alive;
            FOwner.FLog.push_back(L"service manager freed");
        }
        bool Connect(const wchar_t* machine, const wchar_t* database, uint32_t access) override {
            FOwner.FLog.push_back(std::wstring(L"connect ") + (machine ? machine : L"-") + L" " +
                                  (database ? database : L"-") + L" " + std::to_wstring(access));
            return true;
        }
        bool OpenServiceConnection(const wchar_t* name) override {
            FOwner.FLog.push_back(std::wstring(L"open ") + name);
            if (FOwner.RaiseOnOpen)
                throw std::runtime_error("service manager failure");
            FCurrent = name;
            return State() != TServiceState::Missing;
        }
        bool ServiceRunning() override { return State() == TServiceState::Running; }
        bool ServiceStopped() override { return State() == TServiceState::Stopped; }
        bool Stop() override {
            FOwner.FLog.push_back(L"stop " + FCurrent);
            if (State() != TServiceState::Running)
                return false;
            FOwner.States[FCurrent] = TServiceState::StopPending;
            return true;
        }
        bool Start() override {
            FOwner.FLog.push_back(L"start " + FCurrent);
            if (State() != TServiceState::Stopped)
                return false;
            FOwner.States[FCurrent] = TServiceState::StartPending;
            return true;
        }

    private:
        TServiceState State() const {
            const auto found = FOwner.States.find(FCurrent);
            return found == FOwner.States.end() ? TServiceState::Missing : found->second;
        }
        FakeServiceManagers& FOwner;
        std::wstring FCurrent;
    };

    TEventLog& FLog;
};

// The system's launch routes. A launch through a desktop shell logs
// "launch " + path when taken and "refused " + path when not; one from the
// program's own process logs "shell open " + path. Desktop shells are
// numbered by their fetch, from 1; the counters show how often one was
// fetched and how many are held.
class FakeLauncher : public IShellLauncher {
public:
    explicit FakeLauncher(TEventLog& log) : FLog(log) {}
    std::set<std::wstring> Missing; // paths that name no existing file
    std::set<int> NoShellAt;        // fetches that find no desktop shell
    std::set<int> DeadShells;       // fetched shells that refuse every launch
    std::set<std::wstring> Refused; // paths every desktop shell refuses
    std::wstring RaisesOn;          // the path whose desktop launch raises
    int Fetches = 0;
    int Alive = 0;

    bool FileExists(const std::wstring& path) override { return !Missing.count(path); }
    std::unique_ptr<IDesktopShell> FetchDesktopShell() override {
        if (NoShellAt.count(++Fetches))
            return nullptr;
        return std::make_unique<Shell>(*this, !DeadShells.count(Fetches));
    }
    void ShellOpen(const std::wstring& path) override { FLog.push_back(L"shell open " + path); }

private:
    class Shell : public IDesktopShell {
    public:
        Shell(FakeLauncher& owner, bool alive) : FOwner(owner), FAlive(alive) { ++FOwner.Alive; }
        ~Shell() override { --FOwner.Alive; }
        bool Open(const std::wstring& path) override {
            if (path == FOwner.RaisesOn)
                throw std::runtime_error("launch failed");
            const bool taken = FAlive && !FOwner.Refused.count(path);
            FOwner.FLog.push_back((taken ? L"launch " : L"refused ") + path);
            return taken;
        }

    private:
        FakeLauncher& FOwner;
        bool FAlive;
    };

    TEventLog& FLog;
};

// ASCII letters without case, then code order: enough to stand in for the
// locale comparison where only letter case matters.
inline int CompareAsciiNoCase(const std::wstring& a, const std::wstring& b) {
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        wchar_t x = a[i], y = b[i];
        if (x >= L'a' && x <= L'z')
            x = wchar_t(x - 32);
        if (y >= L'a' && y <= L'z')
            y = wchar_t(y - 32);
        if (x != y)
            return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

inline const wchar_t* const kTestFilterFolder = L"C:\\Skorvel\\filters\\skorvel\\";
inline constexpr uint32_t kOwnProcessID = 4242;

// A core over the fakes, with everything reachable for the test.
struct FakeCore {
    TEventLog Log;
    FakeView View{Log};
    FakeProcessList Processes{Log};
    FakeWmi Wmi{Log};
    FakeFilterFiles FilterFiles{Log};
    FakeServiceManagers Services{Log};
    FakeLauncher Launcher{Log};
    TWindowsType OSKind = winSeven;
    TOptimisationCore Core{View, TCoreServices{Processes, Wmi, FilterFiles, kTestFilterFolder,
                                               Services, Launcher, CompareAsciiNoCase,
                                               [this] { return OSKind; }, kOwnProcessID}};

    void SetFilter(int row, std::vector<std::wstring> keywords) {
        FilterFiles.Files[FilterFilePath(kTestFilterFolder, row)] = std::move(keywords);
    }
    // The events that start with Prefix, in order.
    std::vector<std::wstring> Events(const std::wstring& prefix) const {
        std::vector<std::wstring> found;
        for (const auto& event : Log)
            if (event.compare(0, prefix.size(), prefix) == 0)
                found.push_back(event);
        return found;
    }
};

} // namespace skorvel::testing
