#pragma once
// The optimisation core's seams over the platform layer: the main window's
// ProcessInfo, WMI and the Service Control Manager.
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
    std::wstring FullPath(int Index) override;
    bool TerminateProcess(int Index) override;

private:
    TProcessItem& Item(int index);

    TProcessInfo& FProcessInfo;
};

// Connections to the local WMI namespace, each made at its first query.
class TWmiConnector : public IWmiConnector {
public:
    std::unique_ptr<IWmiConnection> Connect() override;
};

class TServiceManagerFactory : public IServiceManagerFactory {
public:
    std::unique_ptr<IServiceManager> CreateServiceManager() override;
};

} // namespace skorvel
