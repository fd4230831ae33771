#pragma once
// The running-process list: Tool Help snapshots of the processes, of one
// process's modules and of its threads, with the operations on each process
// and thread. Every snapshot is taken afresh; items are valid until the next
// refresh of their collection.
#include "platform/exception.h"

#include <cstddef>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace skorvel {

// Date and time as days since 30 December 1899 with the time of day as the
// fraction (the OLE automation date); 0 means "no time". A span of time is the
// same count of days.
using TDateTime = double;

// A collection that owns its items, in the order they were added.
template <typename Item> class TOwnedCollection {
public:
    TOwnedCollection() = default;
    TOwnedCollection(const TOwnedCollection&) = delete;
    TOwnedCollection& operator=(const TOwnedCollection&) = delete;

    int Count() const noexcept { return static_cast<int>(FItems.size()); }
    // Raises EListError outside 0..Count()-1.
    Item* Items(int Index) const {
        if (Index < 0 || Index >= Count())
            throw EListError(Index);
        return FItems[static_cast<size_t>(Index)].get();
    }
    // Local time at which the last refresh finished (also a failed one).
    TDateTime LastUpdate() const noexcept { return FLastUpdate; }

protected:
    template <typename Predicate> Item* FindFirst(Predicate matches) const {
        for (const auto& item : FItems)
            if (matches(*item))
                return item.get();
        return nullptr;
    }

    std::vector<std::unique_ptr<Item>> FItems;
    TDateTime FLastUpdate = 0;
};

class TProcessItem;

struct TMemoryInfo {
    uint32_t PageFaultCount = 0;
    // The sizes are as wide as the platform's own counters, so a 64-bit build
    // reports working sets beyond 4 GiB correctly.
    size_t PeakWorkingSetSize = 0;
    size_t WorkingSetSize = 0;
    size_t QuotaPeakPagedPoolUsage = 0;
    size_t QuotaPagedPoolUsage = 0;
    size_t QuotaPeakNonPagedPoolUsage = 0;
    size_t QuotaNonPagedPoolUsage = 0;
    size_t PagefileUsage = 0;
    size_t PeakPagefileUsage = 0;
    size_t PrivateUsage = 0;
    size_t PrivateWorkingSetSize = 0; // never filled: always 0
};

class TModuleItem {
public:
    TModuleItem(uintptr_t BaseAddress, uint32_t BaseSize, uintptr_t Handle, uint32_t LoadCount,
                uint32_t ModuleID, std::wstring ModuleName, std::wstring ModulePath,
                uint32_t ProcessID);

    uintptr_t BaseAddress() const noexcept { return FBaseAddress; }
    uint32_t BaseSize() const noexcept { return FBaseSize; }
    uintptr_t Handle() const noexcept { return FHandle; }
    uint32_t LoadCount() const noexcept { return FLoadCount; }
    uint32_t ModuleID() const noexcept { return FModuleID; }
    const std::wstring& ModuleName() const noexcept { return FModuleName; }
    const std::wstring& ModulePath() const noexcept { return FModulePath; }
    uint32_t ProcessID() const noexcept { return FProcessID; }

private:
    uintptr_t FBaseAddress;
    uint32_t FBaseSize;
    uintptr_t FHandle;
    uint32_t FLoadCount;
    uint32_t FModuleID;
    std::wstring FModuleName;
    std::wstring FModulePath;
    uint32_t FProcessID;
};

// The modules of the owner's process (of the calling process without an owner).
class TModuleCollection : public TOwnedCollection<TModuleItem> {
public:
    explicit TModuleCollection(const TProcessItem* Owner = nullptr) : FOwner(Owner) {}
    // Rebuilds the list; raises EOSError when no snapshot can be taken.
    void UpdateModules();
    TModuleItem* FindByHandle(uintptr_t AHandle) const;
    TModuleItem* FindByID(uint32_t ID) const;
    // Compares ModuleName ignoring the case of ASCII letters only.
    TModuleItem* FindByName(const std::wstring& AName) const;

private:
    const TProcessItem* FOwner;
};

class TThreadItem {
public:
    TThreadItem(int32_t BasePriority, uint32_t OwnerProcessID, uint32_t ThreadID);

    // The snapshot's base priority; writing sets the thread's priority (raises
    // EOSError when that fails, does nothing when the thread cannot be opened).
    int32_t BasePriority() const noexcept { return FBasePriority; }
    void SetBasePriority(int32_t Value);
    uint32_t OwnerProcessID() const noexcept { return FOwnerProcessID; }
    uint32_t ThreadID() const noexcept { return FThreadID; }

    // True when the thread was suspended and now counts one suspension less;
    // false when it cannot be opened, was not suspended or the call failed.
    bool ResumeThread() const;
    // Raises EOSError when the thread cannot be opened or suspended.
    bool SuspendThread() const;
    // False when the thread cannot be opened or the call fails.
    bool TerminateThread() const;
    std::wstring ToString() const { return std::to_wstring(FThreadID); }

private:
    int32_t FBasePriority;
    uint32_t FOwnerProcessID;
    uint32_t FThreadID;
};

// The threads of the owner's process (those of process 0 without an owner).
class TThreadCollection : public TOwnedCollection<TThreadItem> {
public:
    explicit TThreadCollection(const TProcessItem* Owner = nullptr) : FOwner(Owner) {}
    // Rebuilds the list; raises EOSError when no snapshot can be taken.
    void UpdateThreads();
    TThreadItem* FindByID(uint32_t ID) const;

private:
    const TProcessItem* FOwner;
};

class TProcessItem {
public:
    TProcessItem(std::wstring ExeFile, uint32_t ParentProcessID, uint32_t PriorityClassBase,
                 uint32_t ProcessID, int32_t ThreadsCount);
    ~TProcessItem();
    TProcessItem(const TProcessItem&) = delete;
    TProcessItem& operator=(const TProcessItem&) = delete;

    // As reported by the snapshot.
    const std::wstring& ExeFile() const noexcept { return FExeFile; } // the image name, no folder
    uint32_t ParentProcessID() const noexcept { return FParentProcessID; }
    uint32_t PriorityClassBase() const noexcept { return FPriorityClassBase; }
    uint32_t ProcessID() const noexcept { return FProcessID; }
    int32_t ThreadsCount() const noexcept { return FThreadsCount; }

    // Asked of the system at each read. A process that cannot be opened gives
    // the neutral value named; a query that fails on an opened process raises
    // EOSError.
    uint32_t CpuUsage() const;      // percent of all processors over 50 ms; 0
    TDateTime CreationTime() const; // local time; 0
    TDateTime KernelTime() const;   // time spent in kernel mode; 0
    TDateTime UserTime() const;     // time spent in user mode; 0
    TMemoryInfo MemoryInfo() const; // all 0
    // The executable's full path; raises EOSError also when the process cannot
    // be opened.
    std::wstring FullPath() const;
    bool IsAccessible() const;     // it can be opened to query information
    bool Is64Bits() const;         // true when it cannot be opened
    std::wstring UserName() const; // "DOMAIN\user"; empty on every failure
    // Whether the system stops when the process ends; false where the system
    // cannot say (under Wine always).
    bool IsCritical() const;
    // Writes a priority class (as SetPriorityClass takes it); raises EOSError
    // when that fails, does nothing when the process cannot be opened.
    void SetPriorityClassBase(uint32_t Value);

    // Created and filled on first read; refreshed only by their Update calls.
    TModuleCollection& Modules();
    TThreadCollection& Threads();

    // Ends the process with exit code 0 without waiting. False when it cannot
    // be opened; EOSError when it can but the call fails.
    bool TerminateProcess() const;
    // Posts WM_CLOSE to every top-level window of the process and waits up to
    // 1000 ms; true when it ended in that time.
    bool CloseProcess() const;
    std::wstring ToString() const { return FExeFile; }

private:
    std::wstring FExeFile;
    std::unique_ptr<TModuleCollection> FModules;
    uint32_t FParentProcessID;
    uint32_t FPriorityClassBase;
    uint32_t FProcessID;
    std::unique_ptr<TThreadCollection> FThreads;
    int32_t FThreadsCount;
};

class TProcessCollection : public TOwnedCollection<TProcessItem> {
public:
    // Rebuilds the list from a fresh snapshot, in the system's order; raises
    // EOSError when no snapshot can be taken. Without Tool Help the list is empty.
    void UpdateProcesses();
    TProcessItem* FindByID(uint32_t ID) const;
    // The first item whose ExeFile equals AName ignoring the case of ASCII
    // letters only.
    TProcessItem* FindByName(const std::wstring& AName) const;
};

class TProcessInfo {
public:
    using TNotifyEvent = std::function<void(TProcessInfo& Sender)>;
    using TOnBeforeUpdateEvent = std::function<void(TProcessInfo& Sender, bool& Cancel)>;
    using TExceptionEvent = std::function<void(TProcessInfo& Sender, std::exception_ptr Error)>;

    // Enables the debug privilege in the process token, so that processes of
    // other users and of services can be opened too. The list starts empty.
    TProcessInfo();
    ~TProcessInfo();
    TProcessInfo(const TProcessInfo&) = delete;
    TProcessInfo& operator=(const TProcessInfo&) = delete;

    // OnBeforeUpdateList (which may cancel), the rebuild, OnAfterUpdateList;
    // exceptions of the last two reach the caller.
    void UpdateList();
    // The list, refreshed first when it is empty.
    TProcessCollection& RunningProcesses();
    // The calling process's item from the list, or null.
    TProcessItem* CurrentProcess();

    // A periodic refresh every UpdateInterval ms (default 1000) while Active
    // (default false); switching it on also refreshes at once. Ticks come
    // through the calling thread's message loop.
    bool Active() const noexcept { return FActive; }
    void SetActive(bool Value);
    uint32_t UpdateInterval() const noexcept { return FUpdateInterval; }
    void SetUpdateInterval(uint32_t Value);

    TNotifyEvent OnAfterUpdateList;
    TOnBeforeUpdateEvent OnBeforeUpdateList;
    // Receives what a timer-driven refresh raised: an exception cannot travel
    // through the window procedure that delivers the tick. Without a handler
    // it is dropped.
    TExceptionEvent OnTimerException;

private:
    struct TRefreshTimer;
    void RestartTimer();

    bool FActive = false;
    uint32_t FUpdateInterval = 1000;
    // Declared before the list so that the list is freed first.
    std::unique_ptr<TRefreshTimer> FTimer;
    std::unique_ptr<TProcessCollection> FRunningProcesses;
};

} // namespace skorvel
