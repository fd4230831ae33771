#include "core/platform_adapters_win.h"

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

std::wstring TProcessInfoList::FullPath(int Index) {
    return Item(Index).FullPath();
}

bool TProcessInfoList::TerminateProcess(int Index) {
    return Item(Index).TerminateProcess();
}

namespace {

class TWmiServicesConnection : public IWmiConnection {
public:
    int32_t WmiQueryValue(const std::wstring& Query, const std::wstring& PropertyName,
                          std::wstring& Value) override {
        return FConnection.WmiQueryValue(Query, PropertyName, Value);
    }

private:
    TWmiConnection FConnection;
};

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

std::unique_ptr<IWmiConnection> TWmiConnector::Connect() {
    return std::make_unique<TWmiServicesConnection>();
}

std::unique_ptr<IServiceManager> TServiceManagerFactory::CreateServiceManager() {
    return std::make_unique<TServiceManagerConnection>();
}

} // namespace skorvel
