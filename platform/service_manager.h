#pragma once
// One connection to the Service Control Manager and one open service at a
// time. No operation raises: failures show in the Boolean results or nowhere.
#include "platform/handles.h"

#include <cstdint>

// <winsvc.h> maps StartService to StartServiceW; the method below keeps its
// own name.
#undef StartService

namespace skorvel {

class TServiceManager {
public:
    // OpenSCManagerW; a null machine is this computer, a null database the
    // active one. The new handle (null on failure) replaces the previous one.
    bool Connect(const wchar_t* MachineName = nullptr, const wchar_t* DatabaseName = nullptr,
                 uint32_t Access = SC_MANAGER_ALL_ACCESS);
    // OpenServiceW with full access; every later operation acts on this
    // service. The new handle (null on failure) replaces the previous one.
    bool OpenServiceConnection(const wchar_t* ServiceName);

    // StartServiceW without arguments, or with NumberOfArgument (0 or 1) taken
    // from the one-entry vector ServiceArgVectors. True when the call succeeds.
    bool StartService();
    bool StartService(uint32_t NumberOfArgument, const wchar_t* ServiceArgVectors);
    // Sends the stop control; true when it was accepted. The service may still
    // be stopping when this returns.
    bool StopService();
    void PauseService();
    void ContinueService();
    void ShutdownService();
    void DisableService() {} // does nothing: services are stopped, never disabled

    // The service's current state (SERVICE_RUNNING, ...), 0 when it cannot be
    // queried; such a service is neither running nor stopped.
    uint32_t GetStatus();
    bool ServiceRunning();
    bool ServiceStopped();

    SC_HANDLE ServiceControlManager() const noexcept { return FServiceControlManager.get(); }
    SC_HANDLE ServiceHandle() const noexcept { return FServiceHandle.get(); }

private:
    bool Control(DWORD control);

    UniqueHandle<ServiceHandleTraits> FServiceControlManager;
    UniqueHandle<ServiceHandleTraits> FServiceHandle;
};

} // namespace skorvel
