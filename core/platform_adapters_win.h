#pragma once
// The optimisation core's seams over the platform layer: the main window's
// ProcessInfo, a snapshot of its own for path lookups, WMI and the Service
// Control Manager.
#include "core/optimisation.h"
#include "core/theme_switch.h"
#include "platform/process_info.h"

namespace skorvel {

class TProcessInfoList : public IProcessList {
public:
    explicit TProcessInfoList(TProcessInfo& ProcessInfo) : FProcessInfo(ProcessInfo) {}
    void UpdateList() override;
    int Count() override;
    std::wstring ExeFile(int Index) override;
    uint32_t ProcessID(int Index) override;
    bool IsCritical(int Index) override;
    bool TerminateProcess(int Index) override;

private:
    TProcessItem& Item(int index);

    TProcessInfo& FProcessInfo;
};

// Kept apart from the run's snapshot, whose indices must not move while a
// category is being handled.
class TSnapshotProcessPaths : public IProcessPaths {
public:
    std::vector<TRunningProcess> RunningProcesses() override;
    std::wstring FullPath(uint32_t ProcessID) override;

private:
    TProcessCollection FProcesses;
};

class TWmiQuery : public IWmiQuery {
public:
    int32_t WmiQueryValue(const std::wstring& Query, const std::wstring& PropertyName,
                          std::wstring& Value) override;
};

class TServiceManagerFactory : public IServiceManagerFactory {
public:
    std::unique_ptr<IServiceManager> CreateServiceManager() override;
};

} // namespace skorvel
