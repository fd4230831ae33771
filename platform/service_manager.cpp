#include "platform/service_manager.h"

namespace skorvel {

bool TServiceManager::Connect(const wchar_t* MachineName, const wchar_t* DatabaseName,
                              uint32_t Access) {
    FServiceControlManager.reset(::OpenSCManagerW(MachineName, DatabaseName, Access));
    return bool(FServiceControlManager);
}

bool TServiceManager::OpenServiceConnection(const wchar_t* ServiceName) {
    FServiceHandle.reset(
        ::OpenServiceW(FServiceControlManager.get(), ServiceName, SERVICE_ALL_ACCESS));
    return bool(FServiceHandle);
}

bool TServiceManager::StartService() {
    return StartService(0, L"");
}

bool TServiceManager::StartService(uint32_t NumberOfArgument, const wchar_t* ServiceArgVectors) {
    // The vector has exactly one entry: more than one argument would read past it.
    if (NumberOfArgument > 1) {
        ::SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    const wchar_t* arguments[] = {ServiceArgVectors};
    return ::StartServiceW(FServiceHandle.get(), NumberOfArgument, arguments) != FALSE;
}

bool TServiceManager::Control(DWORD control) {
    SERVICE_STATUS status{};
    return ::ControlService(FServiceHandle.get(), control, &status) != FALSE;
}

bool TServiceManager::StopService() {
    return Control(SERVICE_CONTROL_STOP);
}
void TServiceManager::PauseService() {
    Control(SERVICE_CONTROL_PAUSE);
}
void TServiceManager::ContinueService() {
    Control(SERVICE_CONTROL_CONTINUE);
}
void TServiceManager::ShutdownService() {
    Control(SERVICE_CONTROL_SHUTDOWN);
}

uint32_t TServiceManager::GetStatus() {
    SERVICE_STATUS status{};
    return ::QueryServiceStatus(FServiceHandle.get(), &status) ? status.dwCurrentState : 0;
}

bool TServiceManager::ServiceRunning() {
    return GetStatus() == SERVICE_RUNNING;
}
bool TServiceManager::ServiceStopped() {
    return GetStatus() == SERVICE_STOPPED;
}

} // namespace skorvel
