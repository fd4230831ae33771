#include "platform/process_info.h"

#include "platform/handles.h"
#include "platform/os_error.h"
#include "platform/os_version_classify.h"
#include "platform/paths.h"
#include "platform/system_library.h"
#include "platform/text.h"
#include "platform/tokens.h"
#include "platform/window_timer.h"

#include <windows.h>
#include <psapi.h>
#include <tlhelp32.h>
#include <versionhelpers.h>

#include <cmath>
#include <cwchar>

namespace skorvel {

namespace {

HMODULE Kernel32() {
    return ::GetModuleHandleW(L"kernel32.dll");
}

// Tool Help is bound at run time: where kernel32 lacks it, every snapshot is
// empty instead of the program failing to start.
struct TToolHelp {
    decltype(&::CreateToolhelp32Snapshot) CreateSnapshot = nullptr;
    decltype(&::Process32FirstW) ProcessFirst = nullptr;
    decltype(&::Process32NextW) ProcessNext = nullptr;
    decltype(&::Module32FirstW) ModuleFirst = nullptr;
    decltype(&::Module32NextW) ModuleNext = nullptr;
    decltype(&::Thread32First) ThreadFirst = nullptr;
    decltype(&::Thread32Next) ThreadNext = nullptr;
};

const TToolHelp& ToolHelp() {
    static const TToolHelp bound = [] {
        const HMODULE kernel32 = Kernel32();
        TToolHelp toolHelp;
        toolHelp.CreateSnapshot = LibraryFunction<decltype(toolHelp.CreateSnapshot)>(
            kernel32, "CreateToolhelp32Snapshot");
        if (!kernel32 || !toolHelp.CreateSnapshot)
            return TToolHelp();
        toolHelp.ProcessFirst =
            LibraryFunction<decltype(toolHelp.ProcessFirst)>(kernel32, "Process32FirstW");
        toolHelp.ProcessNext =
            LibraryFunction<decltype(toolHelp.ProcessNext)>(kernel32, "Process32NextW");
        toolHelp.ModuleFirst =
            LibraryFunction<decltype(toolHelp.ModuleFirst)>(kernel32, "Module32FirstW");
        toolHelp.ModuleNext =
            LibraryFunction<decltype(toolHelp.ModuleNext)>(kernel32, "Module32NextW");
        toolHelp.ThreadFirst =
            LibraryFunction<decltype(toolHelp.ThreadFirst)>(kernel32, "Thread32First");
        toolHelp.ThreadNext =
            LibraryFunction<decltype(toolHelp.ThreadNext)>(kernel32, "Thread32Next");
        return toolHelp;
    }();
    return bound;
}

// psapi.dll is loaded, from the system folder, when a process's path or
// memory counters are first read.
struct TPsapi {
    using GetModuleFileNameExFn = DWORD(WINAPI*)(HANDLE, HMODULE, LPWSTR, DWORD);
    using GetProcessMemoryInfoFn = BOOL(WINAPI*)(HANDLE, PPROCESS_MEMORY_COUNTERS, DWORD);

    LibraryHandle Library{LoadSystemLibrary(L"psapi.dll")};
    GetModuleFileNameExFn GetModuleFileNameEx =
        LibraryFunction<GetModuleFileNameExFn>(Library.get(), "GetModuleFileNameExW");
    GetProcessMemoryInfoFn GetProcessMemoryInfo =
        LibraryFunction<GetProcessMemoryInfoFn>(Library.get(), "GetProcessMemoryInfo");
};

const TPsapi& Psapi() {
    static const TPsapi loaded;
    return loaded;
}

template <typename Function> Function Required(Function function) {
    if (!function)
        RaiseOSError(ERROR_PROC_NOT_FOUND);
    return function;
}

DWORD ReadProcessorCount() {
    SYSTEM_INFO info{};
    ::GetSystemInfo(&info);
    return info.dwNumberOfProcessors ? info.dwNumberOfProcessors : 1;
}

const DWORD kProcessorCount = ReadProcessorCount();

// --- time ---

constexpr double kTicksPerDay = 864000000000.0;  // FILETIME counts 100 ns units
constexpr double kDaysFrom1601To1899 = 109205.0; // 1601-01-01 to 1899-12-30

uint64_t Ticks(const FILETIME& time) {
    return (uint64_t(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

TDateTime SpanToDateTime(uint64_t ticks) {
    return double(ticks) / kTicksPerDay;
}

TDateTime SystemTimeToDateTime(const SYSTEMTIME& time) {
    FILETIME asFileTime{};
    if (!::SystemTimeToFileTime(&time, &asFileTime))
        RaiseLastOSError();
    return SpanToDateTime(Ticks(asFileTime)) - kDaysFrom1601To1899;
}

TDateTime LocalNow() noexcept {
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    FILETIME asFileTime{};
    ::SystemTimeToFileTime(&now, &asFileTime);
    return SpanToDateTime(Ticks(asFileTime)) - kDaysFrom1601To1899;
}

// Sets a collection's LastUpdate when the refresh ends, however it ends.
class TUpdateStamp {
public:
    explicit TUpdateStamp(TDateTime& target) noexcept : FTarget(target) {}
    TUpdateStamp(const TUpdateStamp&) = delete;
    TUpdateStamp& operator=(const TUpdateStamp&) = delete;
    ~TUpdateStamp() { FTarget = LocalNow(); }

private:
    TDateTime& FTarget;
};

// --- snapshots ---

// The text of a fixed-size entry field: up to its first NUL, trimmed.
template <size_t N> std::wstring FixedText(const wchar_t (&buffer)[N]) {
    return Trim(std::wstring_view(buffer, ::wcsnlen(buffer, N)));
}

// One Tool Help snapshot. Without Tool Help it is empty: every walk ends at once.
class TSnapshot {
public:
    TSnapshot(DWORD flags, DWORD processId) {
        const TToolHelp& toolHelp = ToolHelp();
        if (!toolHelp.CreateSnapshot)
            return;
        const HANDLE snapshot = toolHelp.CreateSnapshot(flags, processId);
        if (snapshot == INVALID_HANDLE_VALUE)
            RaiseLastOSError();
        FHandle.reset(snapshot);
    }

    bool First(PROCESSENTRY32W& entry) { return Step(ToolHelp().ProcessFirst, entry); }
    bool Next(PROCESSENTRY32W& entry) { return Step(ToolHelp().ProcessNext, entry); }
    bool First(MODULEENTRY32W& entry) { return Step(ToolHelp().ModuleFirst, entry); }
    bool Next(MODULEENTRY32W& entry) { return Step(ToolHelp().ModuleNext, entry); }
    bool First(THREADENTRY32& entry) { return Step(ToolHelp().ThreadFirst, entry); }
    bool Next(THREADENTRY32& entry) { return Step(ToolHelp().ThreadNext, entry); }

private:
    template <typename Entry> bool Step(BOOL(WINAPI* step)(HANDLE, Entry*), Entry& entry) {
        entry.dwSize = sizeof(Entry); // the platform's own layout for this build
        return FHandle && step && step(FHandle.get(), &entry);
    }

    FileHandle FHandle;
};

uint32_t OwnerProcessID(const TProcessItem* owner) {
    return owner ? owner->ProcessID() : 0;
}

// --- processes and threads ---

KernelHandle OpenProcessHandle(DWORD access, DWORD processId) {
    return KernelHandle(::OpenProcess(access, FALSE, processId));
}

KernelHandle OpenThreadHandle(DWORD access, DWORD threadId) {
    return KernelHandle(::OpenThread(access, FALSE, threadId));
}

struct TProcessTimes {
    FILETIME Creation{}, Exit{}, Kernel{}, User{};
};

TProcessTimes QueryProcessTimes(HANDLE process) {
    TProcessTimes times;
    if (!::GetProcessTimes(process, &times.Creation, &times.Exit, &times.Kernel, &times.User))
        RaiseLastOSError();
    return times;
}

// One of the process's times as a date-time value, 0 when it cannot be opened.
TDateTime ProcessTime(DWORD processId, TDateTime (*convert)(const TProcessTimes&)) {
    const KernelHandle process = OpenProcessHandle(PROCESS_QUERY_INFORMATION, processId);
    return process ? convert(QueryProcessTimes(process.get())) : 0;
}

uint64_t BusyTicks(HANDLE process) {
    const TProcessTimes times = QueryProcessTimes(process);
    return Ticks(times.Kernel) + Ticks(times.User);
}

// IsWow64Process only says whether a process runs under WOW64; on a 32-bit
// system no process does, and none is 64-bit either.
bool SystemIs64Bits() {
    return sizeof(void*) == 8 || IsWow64();
}

BOOL CALLBACK PostCloseToProcessWindow(HWND window, LPARAM processId) {
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (owner == DWORD(processId))
        ::PostMessageW(window, WM_CLOSE, 0, 0);
    return TRUE; // every top-level window of the process gets the message
}

} // namespace

// --- modules ---

TModuleItem::TModuleItem(uintptr_t BaseAddress, uint32_t BaseSize, uintptr_t Handle,
                         uint32_t LoadCount, uint32_t ModuleID, std::wstring ModuleName,
                         std::wstring ModulePath, uint32_t ProcessID)
    : FBaseAddress(BaseAddress), FBaseSize(BaseSize), FHandle(Handle), FLoadCount(LoadCount),
      FModuleID(ModuleID), FModuleName(std::move(ModuleName)), FModulePath(std::move(ModulePath)),
      FProcessID(ProcessID) {}

void TModuleCollection::UpdateModules() {
    TSnapshot snapshot(TH32CS_SNAPMODULE, OwnerProcessID(FOwner));
    const TUpdateStamp stamp(FLastUpdate);
    FItems.clear();
    MODULEENTRY32W entry{};
    for (bool more = snapshot.First(entry); more; more = snapshot.Next(entry))
        FItems.push_back(std::make_unique<TModuleItem>(
            uintptr_t(entry.modBaseAddr), entry.modBaseSize, uintptr_t(entry.hModule),
            entry.GlblcntUsage, entry.th32ModuleID, FixedText(entry.szModule),
            FixedText(entry.szExePath), entry.th32ProcessID));
}

TModuleItem* TModuleCollection::FindByHandle(uintptr_t AHandle) const {
    return FindFirst([AHandle](const TModuleItem& item) { return item.Handle() == AHandle; });
}

TModuleItem* TModuleCollection::FindByID(uint32_t ID) const {
    return FindFirst([ID](const TModuleItem& item) { return item.ModuleID() == ID; });
}

TModuleItem* TModuleCollection::FindByName(const std::wstring& AName) const {
    return FindFirst(
        [&AName](const TModuleItem& item) { return AsciiSameText(item.ModuleName(), AName); });
}

// --- threads ---

TThreadItem::TThreadItem(int32_t BasePriority, uint32_t OwnerProcessID, uint32_t ThreadID)
    : FBasePriority(BasePriority), FOwnerProcessID(OwnerProcessID), FThreadID(ThreadID) {}

void TThreadItem::SetBasePriority(int32_t Value) {
    const KernelHandle thread = OpenThreadHandle(THREAD_SET_INFORMATION, FThreadID);
    if (!thread)
        return;
    if (!::SetThreadPriority(thread.get(), Value))
        RaiseLastOSError();
    FBasePriority = Value;
}

bool TThreadItem::ResumeThread() const {
    const KernelHandle thread = OpenThreadHandle(THREAD_SUSPEND_RESUME, FThreadID);
    if (!thread)
        return false;
    const DWORD previousCount = ::ResumeThread(thread.get());
    return previousCount != 0 && previousCount != DWORD(-1);
}

bool TThreadItem::SuspendThread() const {
    const KernelHandle thread = OpenThreadHandle(THREAD_SUSPEND_RESUME, FThreadID);
    if (!thread || ::SuspendThread(thread.get()) == DWORD(-1))
        RaiseLastOSError();
    return true;
}

bool TThreadItem::TerminateThread() const {
    const KernelHandle thread = OpenThreadHandle(THREAD_TERMINATE, FThreadID);
    return thread && ::TerminateThread(thread.get(), 0);
}

void TThreadCollection::UpdateThreads() {
    const uint32_t processId = OwnerProcessID(FOwner);
    // A thread snapshot always holds the threads of every process.
    TSnapshot snapshot(TH32CS_SNAPTHREAD, processId);
    const TUpdateStamp stamp(FLastUpdate);
    FItems.clear();
    THREADENTRY32 entry{};
    for (bool more = snapshot.First(entry); more; more = snapshot.Next(entry))
        if (entry.th32OwnerProcessID == processId)
            FItems.push_back(std::make_unique<TThreadItem>(
                int32_t(entry.tpBasePri), entry.th32OwnerProcessID, entry.th32ThreadID));
}

TThreadItem* TThreadCollection::FindByID(uint32_t ID) const {
    return FindFirst([ID](const TThreadItem& item) { return item.ThreadID() == ID; });
}

// --- processes ---

TProcessItem::TProcessItem(std::wstring ExeFile, uint32_t ParentProcessID,
                           uint32_t PriorityClassBase, uint32_t ProcessID, int32_t ThreadsCount)
    : FExeFile(std::move(ExeFile)), FParentProcessID(ParentProcessID),
      FPriorityClassBase(PriorityClassBase), FProcessID(ProcessID), FThreadsCount(ThreadsCount) {}

TProcessItem::~TProcessItem() = default;

uint32_t TProcessItem::CpuUsage() const {
    const KernelHandle process = OpenProcessHandle(PROCESS_QUERY_INFORMATION, FProcessID);
    if (!process)
        return 0;
    const uint64_t before = BusyTicks(process.get());
    ::Sleep(50);
    const uint64_t after = BusyTicks(process.get());
    // 100 ns units over 50 ms as percent of one processor, then of all of
    // them; nearbyint rounds halves to even.
    return uint32_t(std::nearbyint(double(after - before) / 50 / 100 / kProcessorCount));
}

TDateTime TProcessItem::CreationTime() const {
    return ProcessTime(FProcessID, [](const TProcessTimes& times) {
        SYSTEMTIME universal{}, local{};
        if (!::FileTimeToSystemTime(&times.Creation, &universal) ||
            !::SystemTimeToTzSpecificLocalTime(nullptr, &universal, &local))
            RaiseLastOSError();
        return SystemTimeToDateTime(local);
    });
}

TDateTime TProcessItem::KernelTime() const {
    return ProcessTime(
        FProcessID, [](const TProcessTimes& times) { return SpanToDateTime(Ticks(times.Kernel)); });
}

TDateTime TProcessItem::UserTime() const {
    return ProcessTime(
        FProcessID, [](const TProcessTimes& times) { return SpanToDateTime(Ticks(times.User)); });
}

TMemoryInfo TProcessItem::MemoryInfo() const {
    TMemoryInfo info;
    const KernelHandle process = OpenProcessHandle(PROCESS_QUERY_INFORMATION, FProcessID);
    if (!process)
        return info;
    // Before XP only the basic record exists: PrivateUsage stays 0 there.
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = IsWindowsXPOrGreater() ? sizeof(PROCESS_MEMORY_COUNTERS_EX)
                                         : sizeof(PROCESS_MEMORY_COUNTERS);
    if (!Required(Psapi().GetProcessMemoryInfo)(
            process.get(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), counters.cb))
        RaiseLastOSError();
    info.PageFaultCount = counters.PageFaultCount;
    info.PeakWorkingSetSize = counters.PeakWorkingSetSize;
    info.WorkingSetSize = counters.WorkingSetSize;
    info.QuotaPeakPagedPoolUsage = counters.QuotaPeakPagedPoolUsage;
    info.QuotaPagedPoolUsage = counters.QuotaPagedPoolUsage;
    info.QuotaPeakNonPagedPoolUsage = counters.QuotaPeakNonPagedPoolUsage;
    info.QuotaNonPagedPoolUsage = counters.QuotaNonPagedPoolUsage;
    info.PagefileUsage = counters.PagefileUsage;
    info.PeakPagefileUsage = counters.PeakPagefileUsage;
    info.PrivateUsage = counters.PrivateUsage;
    return info;
}

std::wstring TProcessItem::FullPath() const {
    const KernelHandle process =
        OpenProcessHandle(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FProcessID);
    if (!process)
        RaiseLastOSError();
    wchar_t buffer[MAX_PATH] = {};
    if (Required(Psapi().GetModuleFileNameEx)(process.get(), nullptr, buffer, MAX_PATH) == 0)
        RaiseLastOSError();
    return FixedText(buffer);
}

bool TProcessItem::IsAccessible() const {
    return bool(OpenProcessHandle(PROCESS_QUERY_INFORMATION, FProcessID));
}

bool TProcessItem::Is64Bits() const {
    using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, PBOOL);
    const auto isWow64Process = LibraryFunction<IsWow64ProcessFn>(Kernel32(), "IsWow64Process");
    if (!isWow64Process || !SystemIs64Bits())
        return false;
    const KernelHandle process = OpenProcessHandle(PROCESS_QUERY_INFORMATION, FProcessID);
    if (!process)
        return true;
    BOOL wow64 = FALSE;
    return isWow64Process(process.get(), &wow64) && !wow64;
}

std::wstring TProcessItem::UserName() const {
    const KernelHandle process = OpenProcessHandle(PROCESS_QUERY_INFORMATION, FProcessID);
    HANDLE rawToken = nullptr;
    if (!process || !::OpenProcessToken(process.get(), TOKEN_QUERY, &rawToken))
        return std::wstring();
    const KernelHandle token(rawToken);
    DWORD size = 0;
    ::GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
    std::vector<BYTE> tokenUser(size);
    if (size == 0 || !::GetTokenInformation(token.get(), TokenUser, tokenUser.data(), size, &size))
        return std::wstring();
    const PSID sid = reinterpret_cast<const TOKEN_USER*>(tokenUser.data())->User.Sid;
    DWORD nameLength = 0, domainLength = 0;
    SID_NAME_USE use;
    ::LookupAccountSidW(nullptr, sid, nullptr, &nameLength, nullptr, &domainLength, &use);
    if (nameLength == 0)
        return std::wstring();
    std::wstring name(nameLength, L'\0'), domain(domainLength, L'\0');
    if (!::LookupAccountSidW(nullptr, sid, name.data(), &nameLength, domain.data(), &domainLength,
                             &use))
        return std::wstring();
    return Trim(domain) + L'\\' + Trim(name);
}

bool TProcessItem::IsCritical() const {
    // Protected system processes open only with the limited right, which is
    // enough for IsProcessCritical but not for the older query.
    KernelHandle process = OpenProcessHandle(PROCESS_QUERY_INFORMATION, FProcessID);
    if (!process)
        process = OpenProcessHandle(PROCESS_QUERY_LIMITED_INFORMATION, FProcessID);
    if (!process)
        return false;
    using IsProcessCriticalFn = BOOL(WINAPI*)(HANDLE, PBOOL);
    if (const auto isProcessCritical =
            LibraryFunction<IsProcessCriticalFn>(Kernel32(), "IsProcessCritical")) {
        BOOL critical = FALSE;
        return isProcessCritical(process.get(), &critical) && critical;
    }
    using NtQueryInformationProcessFn = LONG(NTAPI*)(HANDLE, ULONG, PVOID, ULONG, PULONG);
    constexpr ULONG kProcessBreakOnTermination = 29;
    const auto query = LibraryFunction<NtQueryInformationProcessFn>(
        ::GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationProcess");
    ULONG breakOnTermination = 0;
    return query &&
           query(process.get(), kProcessBreakOnTermination, &breakOnTermination,
                 sizeof(breakOnTermination), nullptr) >= 0 &&
           breakOnTermination != 0;
}

void TProcessItem::SetPriorityClassBase(uint32_t Value) {
    const KernelHandle process = OpenProcessHandle(PROCESS_SET_INFORMATION, FProcessID);
    if (!process)
        return;
    if (!::SetPriorityClass(process.get(), Value))
        RaiseLastOSError();
    FPriorityClassBase = Value;
}

TModuleCollection& TProcessItem::Modules() {
    if (!FModules) {
        auto modules = std::make_unique<TModuleCollection>(this);
        modules->UpdateModules();
        FModules = std::move(modules);
    }
    return *FModules;
}

TThreadCollection& TProcessItem::Threads() {
    if (!FThreads) {
        auto threads = std::make_unique<TThreadCollection>(this);
        threads->UpdateThreads();
        FThreads = std::move(threads);
    }
    return *FThreads;
}

bool TProcessItem::TerminateProcess() const {
    const KernelHandle process = OpenProcessHandle(PROCESS_TERMINATE, FProcessID);
    if (!process)
        return false;
    if (!::TerminateProcess(process.get(), 0))
        RaiseLastOSError();
    return true;
}

bool TProcessItem::CloseProcess() const {
    const KernelHandle process = OpenProcessHandle(SYNCHRONIZE | PROCESS_TERMINATE, FProcessID);
    if (!process)
        return false;
    ::EnumWindows(PostCloseToProcessWindow, LPARAM(FProcessID));
    return ::WaitForSingleObject(process.get(), 1000) == WAIT_OBJECT_0;
}

void TProcessCollection::UpdateProcesses() {
    TSnapshot snapshot(TH32CS_SNAPPROCESS, 0);
    const TUpdateStamp stamp(FLastUpdate);
    FItems.clear();
    PROCESSENTRY32W entry{};
    for (bool more = snapshot.First(entry); more; more = snapshot.Next(entry))
        FItems.push_back(std::make_unique<TProcessItem>(
            FixedText(entry.szExeFile), entry.th32ParentProcessID, uint32_t(entry.pcPriClassBase),
            entry.th32ProcessID, int32_t(entry.cntThreads)));
}

TProcessItem* TProcessCollection::FindByID(uint32_t ID) const {
    return FindFirst([ID](const TProcessItem& item) { return item.ProcessID() == ID; });
}

TProcessItem* TProcessCollection::FindByName(const std::wstring& AName) const {
    return FindFirst(
        [&AName](const TProcessItem& item) { return AsciiSameText(item.ExeFile(), AName); });
}

// --- the component ---

// The periodic refresh, on a timer window of the component's own: the ticks
// arrive through whatever message loop runs on the creating thread, and what
// a refresh raises there goes to OnTimerException.
struct TProcessInfo::TRefreshTimer {
    explicit TRefreshTimer(TProcessInfo& info)
        : Window([&info](std::exception_ptr error) {
              if (info.OnTimerException)
                  info.OnTimerException(info, error);
          }),
          Timer(Window, [&info] { info.UpdateList(); }) {}
    TTimerWindow Window;
    TWindowTimer Timer;
};

TProcessInfo::TProcessInfo() : FRunningProcesses(std::make_unique<TProcessCollection>()) {
    EnableDebugPrivilege();
}

TProcessInfo::~TProcessInfo() = default;

void TProcessInfo::UpdateList() {
    bool cancel = false;
    if (OnBeforeUpdateList) {
        OnBeforeUpdateList(*this, cancel);
        if (cancel)
            return;
    }
    FRunningProcesses->UpdateProcesses();
    if (OnAfterUpdateList)
        OnAfterUpdateList(*this);
}

TProcessCollection& TProcessInfo::RunningProcesses() {
    if (FRunningProcesses->Count() == 0)
        UpdateList();
    return *FRunningProcesses;
}

TProcessItem* TProcessInfo::CurrentProcess() {
    return RunningProcesses().FindByID(::GetCurrentProcessId());
}

void TProcessInfo::SetActive(bool Value) {
    if (Value == FActive)
        return;
    FActive = Value;
    RestartTimer();
    if (FActive)
        UpdateList();
}

void TProcessInfo::SetUpdateInterval(uint32_t Value) {
    if (Value == FUpdateInterval)
        return;
    FUpdateInterval = Value;
    RestartTimer();
}

// The window exists only once the timer has been switched on; an interval of
// 0 keeps it from firing.
void TProcessInfo::RestartTimer() {
    if (!FActive || FUpdateInterval == 0) {
        if (FTimer)
            FTimer->Timer.Stop();
        return;
    }
    if (!FTimer)
        FTimer = std::make_unique<TRefreshTimer>(*this);
    if (!FTimer->Timer.Start(FUpdateInterval))
        RaiseLastOSError();
}

} // namespace skorvel
