#pragma once
// The visual-effects switch: stops or starts the desktop composition service
// "uxsms" and the visual styles service "Themes", in that order.
#include <cstdint>
#include <memory>

namespace skorvel {

// What the switch needs of a service-manager connection. None of the calls
// raises on an ordinary failure; a service whose state cannot be read is
// neither running nor stopped.
class IServiceManager {
public:
    virtual ~IServiceManager() = default;
    // Null names: the local machine and its active database.
    virtual bool Connect(const wchar_t* MachineName, const wchar_t* DatabaseName,
                         uint32_t Access) = 0;
    // Opens the named service and makes it the one the calls below act on.
    virtual bool OpenServiceConnection(const wchar_t* ServiceName) = 0;
    virtual bool ServiceRunning() = 0;
    virtual bool ServiceStopped() = 0;
    // Send the request and return without waiting for the new state.
    virtual bool Stop() = 0;
    virtual bool Start() = 0;
};

// One fresh connection per switch.
class IServiceManagerFactory {
public:
    virtual ~IServiceManagerFactory() = default;
    virtual std::unique_ptr<IServiceManager> CreateServiceManager() = 0;
};

constexpr uint32_t kScManagerAllAccess = 0xF003F; // SC_MANAGER_ALL_ACCESS

// Stop true: stop each service that runs. Stop false: start each service that
// is stopped. A pending or paused service is left alone, nothing is waited
// for and no result is examined. Exceptions pass to the caller; the manager
// is freed on every path.
void ThemeSwitch(bool Stop, IServiceManagerFactory& Services);

} // namespace skorvel
