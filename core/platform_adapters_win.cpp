#include "core/platform_adapters_win.h"

#include "platform/os_error.h"
#include "platform/service_manager.h"
#include "platform/wmi_query.h"

namespace skorvel {

void TProcessInfoList::UpdateList() {
    FProcessInfo.UpdateList();
}

int TProcessInfoList::Count() {
    return FProcessInfo.RunningProcesses().Count();
}

TProcessItem& TProcessInfoList::Item(int index) {
    return *FProcessInfo.RunningProcesses().Items(index);
}

std::wstring TProcessInfoList::ExeFile(int Index) {
    return Item(Index).ExeFile();
}

uint32_t TProcessInfoList::ProcessID(int Index) {
    return Item(Index).ProcessID();
}

bool TProcessInfoList::IsCritical(int Index) {
    return Item(Index).IsCritical();
}

bool TProcessInfoList::TerminateProcess(int Index) {
    return Item(Index).TerminateProcess();
}

std::vector<TRunningProcess> TSnapshotProcessPaths::RunningProcesses() {
    FProcesses.UpdateProcesses();
    std::vector<TRunningProcess> processes;
    for (int index = 0; index < FProcesses.Count(); ++index) {
        const TProcessItem& item = *FProcesses.Items(index);
        processes.push_back({item.ExeFile(), item.ProcessID()});
    }
    return processes;
}

std::wstring TSnapshotProcessPaths::FullPath(uint32_t ProcessID) {
    const TProcessItem* item = FProcesses.FindByID(ProcessID);
    if (!item)
        RaiseOSError(ERROR_INVALID_PARAMETER); // no longer in the snapshot
    return item->FullPath();
}

int32_t TWmiQuery::WmiQueryValue(const std::wstring& Query, const std::wstring& PropertyName,
                                 std::wstring& Value) {
    return skorvel::WmiQueryValue(Query, PropertyName, Value);
}

namespace {

class TServiceManagerConnection : public IServiceManager {
public:
    bool Connect(const wchar_t* MachineName, const wchar_t* DatabaseName,
                 uint32_t Access) override {
        return FManager.Connect(MachineName, DatabaseName, Access);
    }
    bool OpenServiceConnection(const wchar_t* ServiceName) override {
        return FManager.OpenServiceConnection(ServiceName);
    }
    bool ServiceRunning() override { return FManager.ServiceRunning(); }
    bool ServiceStopped() override { return FManager.ServiceStopped(); }
    bool Stop() override { return FManager.StopService(); }
    bool Start() override { return FManager.StartService(); }

private:
    TServiceManager FManager;
};

} // namespace

std::unique_ptr<IServiceManager> TServiceManagerFactory::CreateServiceManager() {
    return std::make_unique<TServiceManagerConnection>();
}

} // namespace skorvel
