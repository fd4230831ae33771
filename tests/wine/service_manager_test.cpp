#include "platform/service_manager.h"

#include "platform/text.h"
#include "tests/wine/fixture_processes.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using namespace skorvel;
using namespace skorvel::testing;

namespace {

constexpr const wchar_t* kPlain = L"SkorvelTestPlain";
constexpr const wchar_t* kOther = L"SkorvelTestOther";
constexpr const wchar_t* kSlowStart = L"SkorvelTestSlowStart";
constexpr const wchar_t* kSlowStop = L"SkorvelTestSlowStop";
const wchar_t* const kServices[] = {kPlain, kOther, kSlowStart, kSlowStop};
const std::vector<std::wstring> kImages = {L"svc_plain.exe", L"svc_other.exe",
                                           L"svc_slow_start.exe", L"svc_slow_stop.exe"};

// Registers copies of the fixture service under test names for the whole
// suite and removes them again. While this test process runs, Wine keeps the
// prefix's services alive.
class ServiceManagerTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        FFolder = std::make_unique<TFixtureFolder>();
        FManager.reset(::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
        ASSERT_TRUE(FManager) << ::GetLastError();
        Register(kPlain, kImages[0], L"");
        Register(kOther, kImages[1], L"");
        Register(kSlowStart, kImages[2], L"--start-pending 3000");
        Register(kSlowStop, kImages[3], L"--stop-pending 3000");
    }

    static void TearDownTestSuite() {
        StopAll();
        for (const wchar_t* name : kServices) {
            const ServiceHandle service(::OpenServiceW(FManager.get(), name, SERVICE_ALL_ACCESS));
            ::DeleteService(service.get());
        }
        FManager.reset();
        FFolder.reset();
    }

    // Every test starts with all services stopped and their processes gone.
    void TearDown() override { StopAll(); }

    static void StopAll() {
        for (const wchar_t* name : kServices) {
            const ServiceHandle service(::OpenServiceW(FManager.get(), name, SERVICE_ALL_ACCESS));
            SERVICE_STATUS status{};
            ::ControlService(service.get(), SERVICE_CONTROL_STOP, &status);
            EXPECT_EQ(WaitForState(service.get(), SERVICE_STOPPED, 10000), DWORD(SERVICE_STOPPED))
                << WideToUtf8(name);
        }
        EXPECT_TRUE(WaitUntilNoProcessOf(kImages, 10000)) << "a stopped service's process runs on";
    }

    static void Register(const wchar_t* name, const std::wstring& imageName,
                         const wchar_t* arguments) {
        const std::wstring binary =
            L"\"" + FFolder->Copy(L"fixture_service", imageName) + L"\" " + arguments;
        const ServiceHandle service(
            ::CreateServiceW(FManager.get(), name, name, SERVICE_ALL_ACCESS,
                             SERVICE_WIN32_OWN_PROCESS, SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL,
                             binary.c_str(), nullptr, nullptr, nullptr, nullptr, nullptr));
        ASSERT_TRUE(service) << ::GetLastError();
    }

    static DWORD State(SC_HANDLE service) {
        SERVICE_STATUS status{};
        return ::QueryServiceStatus(service, &status) ? status.dwCurrentState : 0;
    }

    // Polls until the service is in the state; returns the last state seen.
    static DWORD WaitForState(SC_HANDLE service, DWORD state, DWORD milliseconds) {
        DWORD current = State(service);
        for (DWORD waited = 0; current != state && waited < milliseconds; waited += 50) {
            ::Sleep(50);
            current = State(service);
        }
        return current;
    }

    static std::unique_ptr<TFixtureFolder> FFolder;
    static ServiceHandle FManager;
    TServiceManager FServices;
};

std::unique_ptr<TFixtureFolder> ServiceManagerTest::FFolder;
ServiceHandle ServiceManagerTest::FManager;

} // namespace

TEST_F(ServiceManagerTest, AMissingServiceOpensNothingAndEveryOperationFails) {
    EXPECT_EQ(FServices.ServiceControlManager(), nullptr);
    EXPECT_FALSE(FServices.ServiceRunning()); // no connection yet: neither running nor stopped
    EXPECT_FALSE(FServices.ServiceStopped());

    ASSERT_TRUE(FServices.Connect(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    EXPECT_NE(FServices.ServiceControlManager(), nullptr);
    EXPECT_FALSE(FServices.OpenServiceConnection(L"SkorvelNoSuchService"));
    EXPECT_EQ(FServices.ServiceHandle(), nullptr);
    EXPECT_FALSE(FServices.StopService());
    EXPECT_FALSE(FServices.StartService());
    FServices.PauseService();
    FServices.ContinueService();
    FServices.ShutdownService();
    FServices.DisableService();
    EXPECT_EQ(FServices.GetStatus(), 0u);
    EXPECT_FALSE(FServices.ServiceRunning());
    EXPECT_FALSE(FServices.ServiceStopped());
}

TEST_F(ServiceManagerTest, StartAndStopAService) {
    ASSERT_TRUE(FServices.Connect());
    ASSERT_TRUE(FServices.OpenServiceConnection(kPlain));
    EXPECT_TRUE(FServices.ServiceStopped());
    EXPECT_FALSE(FServices.ServiceRunning());

    ASSERT_TRUE(FServices.StartService()) << ::GetLastError();
    EXPECT_EQ(WaitForState(FServices.ServiceHandle(), SERVICE_RUNNING, 10000),
              DWORD(SERVICE_RUNNING));
    EXPECT_TRUE(FServices.ServiceRunning());

    EXPECT_FALSE(FServices.StartService()); // already running
    EXPECT_EQ(::GetLastError(), DWORD(ERROR_SERVICE_ALREADY_RUNNING));

    EXPECT_TRUE(FServices.StopService()); // accepted at once
    EXPECT_EQ(WaitForState(FServices.ServiceHandle(), SERVICE_STOPPED, 10000),
              DWORD(SERVICE_STOPPED));
    EXPECT_TRUE(FServices.ServiceStopped());
    EXPECT_FALSE(FServices.StopService()); // nothing left to stop
}

TEST_F(ServiceManagerTest, StartWithOneArgumentAndPauseAndContinue) {
    ASSERT_TRUE(FServices.Connect());
    ASSERT_TRUE(FServices.OpenServiceConnection(kPlain));
    EXPECT_FALSE(FServices.StartService(2, L"--one")); // the vector has one entry only
    EXPECT_EQ(::GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
    EXPECT_TRUE(FServices.ServiceStopped());

    ASSERT_TRUE(FServices.StartService(1, L"--one")) << ::GetLastError();
    ASSERT_EQ(WaitForState(FServices.ServiceHandle(), SERVICE_RUNNING, 10000),
              DWORD(SERVICE_RUNNING));

    FServices.PauseService();
    EXPECT_EQ(WaitForState(FServices.ServiceHandle(), SERVICE_PAUSED, 10000),
              DWORD(SERVICE_PAUSED));
    EXPECT_FALSE(FServices.ServiceRunning());
    EXPECT_FALSE(FServices.ServiceStopped());

    FServices.ContinueService();
    EXPECT_EQ(WaitForState(FServices.ServiceHandle(), SERVICE_RUNNING, 10000),
              DWORD(SERVICE_RUNNING));

    // The system sends the shutdown control only itself: ControlService
    // refuses it, and the service goes on running.
    FServices.ShutdownService();
    ::Sleep(200);
    EXPECT_TRUE(FServices.ServiceRunning());
}

TEST_F(ServiceManagerTest, APendingServiceIsNeitherRunningNorStopped) {
    ASSERT_TRUE(FServices.Connect());
    ASSERT_TRUE(FServices.OpenServiceConnection(kSlowStart));
    ASSERT_TRUE(FServices.StartService()) << ::GetLastError();
    EXPECT_EQ(FServices.GetStatus(), DWORD(SERVICE_START_PENDING));
    EXPECT_FALSE(FServices.ServiceRunning());
    EXPECT_FALSE(FServices.ServiceStopped());
    EXPECT_EQ(WaitForState(FServices.ServiceHandle(), SERVICE_RUNNING, 10000),
              DWORD(SERVICE_RUNNING));

    ASSERT_TRUE(FServices.OpenServiceConnection(kSlowStop));
    ASSERT_TRUE(FServices.StartService()) << ::GetLastError();
    ASSERT_EQ(WaitForState(FServices.ServiceHandle(), SERVICE_RUNNING, 10000),
              DWORD(SERVICE_RUNNING));
    EXPECT_TRUE(FServices.StopService());
    EXPECT_EQ(FServices.GetStatus(), DWORD(SERVICE_STOP_PENDING));
    EXPECT_FALSE(FServices.ServiceRunning());
    EXPECT_FALSE(FServices.ServiceStopped());
    EXPECT_EQ(WaitForState(FServices.ServiceHandle(), SERVICE_STOPPED, 10000),
              DWORD(SERVICE_STOPPED));
}

TEST_F(ServiceManagerTest, EachOpenSwitchesTheServiceActedOn) {
    ASSERT_TRUE(FServices.Connect());
    ASSERT_TRUE(FServices.OpenServiceConnection(kPlain));
    ASSERT_TRUE(FServices.StartService()) << ::GetLastError();
    ASSERT_EQ(WaitForState(FServices.ServiceHandle(), SERVICE_RUNNING, 10000),
              DWORD(SERVICE_RUNNING));

    ASSERT_TRUE(FServices.OpenServiceConnection(kOther));
    EXPECT_TRUE(FServices.ServiceStopped());
    EXPECT_FALSE(FServices.StopService()); // acts on the stopped one

    // A failed open leaves no service to act on: the running one is untouched.
    EXPECT_FALSE(FServices.OpenServiceConnection(L"SkorvelNoSuchService"));
    EXPECT_FALSE(FServices.StopService());
    ASSERT_TRUE(FServices.OpenServiceConnection(kPlain));
    EXPECT_TRUE(FServices.ServiceRunning());

    // A failed connection replaces the manager handle: nothing opens after it.
    EXPECT_FALSE(FServices.Connect(nullptr, L"SkorvelNoSuchDatabase"));
    EXPECT_EQ(FServices.ServiceControlManager(), nullptr);
    EXPECT_FALSE(FServices.OpenServiceConnection(kPlain));
    EXPECT_FALSE(FServices.ServiceRunning());
}
