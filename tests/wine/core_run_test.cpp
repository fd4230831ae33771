// One optimisation and the restore after it over the real system: fixture
// applications closed by keywords read from filter files in three encodings,
// fixture services standing in for "uxsms" and "Themes", the relaunch
// through the real launcher. Only the window is a stand-in.
#include "core/ansi_code_page_win.h"
#include "core/filter_file.h"
#include "core/optimisation_core_win.h"
#include "platform/com_ptr.h"
#include "platform/text.h"
#include "tests/wine/fixture_processes.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using namespace skorvel;
using namespace skorvel::testing;

namespace {

using Lines = std::vector<std::wstring>;

class TTestView : public IMainView {
public:
    std::vector<bool> Ticks = std::vector<bool>(kCategoryRowCount, false);
    std::vector<bool> Enabled = std::vector<bool>(kCategoryRowCount, true);
    bool StartVisible = true, PrzywrocVisible = false;
    Lines Boxes;

    int RowCount() const override { return kCategoryRowCount; }
    bool RowChecked(int row) const override { return Ticks.at(row); }
    void SetRowChecked(int row, bool checked) override { Ticks.at(row) = checked; }
    void SetRowEnabled(int row, bool enabled) override { Enabled.at(row) = enabled; }
    void SetControlVisible(TModeControl control, bool visible) override {
        if (control == TModeControl::mcStartBtn)
            StartVisible = visible;
        if (control == TModeControl::mcPrzywrocBtn)
            PrzywrocVisible = visible;
    }
    int ShowMessageBox(const std::wstring& text, const std::wstring&, unsigned) override {
        Boxes.push_back(text);
        return kIdYes;
    }
    void ProcessMessages() override {
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
            ::DispatchMessageW(&message);
    }
};

DWORD ServiceState(const wchar_t* name) {
    const ServiceHandle manager(::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    const ServiceHandle service(::OpenServiceW(manager.get(), name, SERVICE_QUERY_STATUS));
    SERVICE_STATUS status{};
    return ::QueryServiceStatus(service.get(), &status) ? status.dwCurrentState : 0;
}

DWORD WaitForServiceState(const wchar_t* name, DWORD state) {
    DWORD current = ServiceState(name);
    for (int attempt = 0; current != state && attempt < 200; ++attempt) {
        ::Sleep(50);
        current = ServiceState(name);
    }
    return current;
}

std::wstring ServiceImage(const std::wstring& name) {
    return name + L"_svc.exe";
}
const std::vector<std::wstring> kServiceImages = {ServiceImage(L"uxsms"), ServiceImage(L"Themes")};

// Ends, when it goes out of scope, every process started from the folder
// under one of the names: the relaunched ones are nobody's children.
class TRelaunchedProcesses {
public:
    explicit TRelaunchedProcesses(Lines names) : FNames(std::move(names)) {}
    ~TRelaunchedProcesses() {
        TProcessCollection processes;
        processes.UpdateProcesses();
        for (int i = 0; i < processes.Count(); ++i)
            for (const auto& name : FNames)
                if (AsciiSameText(processes.Items(i)->ExeFile(), name)) {
                    const KernelHandle process(::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE,
                                                             processes.Items(i)->ProcessID()));
                    ::TerminateProcess(process.get(), 0);
                    ::WaitForSingleObject(process.get(), 5000);
                }
    }
    int Running(const std::wstring& name) const {
        TProcessCollection processes;
        processes.UpdateProcesses();
        int count = 0;
        for (int i = 0; i < processes.Count(); ++i)
            count += AsciiSameText(processes.Items(i)->ExeFile(), name);
        return count;
    }
    bool WaitUntilRunning(const std::wstring& name) const {
        for (int attempt = 0; attempt < 100; ++attempt) {
            if (Running(name) > 0)
                return true;
            ::Sleep(100);
        }
        return false;
    }

private:
    Lines FNames;
};

class CoreRunTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        FServiceFolder = std::make_unique<TFixtureFolder>();
        const ServiceHandle manager(::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
        for (const wchar_t* name : {L"uxsms", L"Themes"}) {
            const std::wstring binary =
                L"\"" + FServiceFolder->Copy(L"fixture_service", ServiceImage(name)) + L"\"";
            const ServiceHandle service(::CreateServiceW(
                manager.get(), name, name, SERVICE_ALL_ACCESS, SERVICE_WIN32_OWN_PROCESS,
                SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL, binary.c_str(), nullptr, nullptr,
                nullptr, nullptr, nullptr));
            FRegistered = FRegistered && service;
        }
    }
    static void TearDownTestSuite() {
        const ServiceHandle manager(::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
        for (const wchar_t* name : {L"uxsms", L"Themes"}) {
            const ServiceHandle service(::OpenServiceW(manager.get(), name, SERVICE_ALL_ACCESS));
            SERVICE_STATUS status{};
            ::ControlService(service.get(), SERVICE_CONTROL_STOP, &status);
            WaitForServiceState(name, SERVICE_STOPPED);
            ::DeleteService(service.get());
        }
        // The copies can only be removed once their processes have ended.
        WaitUntilNoProcessOf(kServiceImages, 10000);
        FServiceFolder.reset();
    }
    void SetUp() override {
        if (!FRegistered)
            GTEST_SKIP() << "the stand-in services could not be registered";
    }

    static std::unique_ptr<TFixtureFolder> FServiceFolder;
    static bool FRegistered;

    ComInitialization FCom{COINIT_APARTMENTTHREADED};
    TFixtureFolder FApps;
};

std::unique_ptr<TFixtureFolder> CoreRunTest::FServiceFolder;
bool CoreRunTest::FRegistered = true;

} // namespace

TEST_F(CoreRunTest, OptimiseClosesTheTickedCategoriesAndRestoreBringsThemBack) {
    // Filter files in UTF-8 with a mark, UTF-16 LE and the ANSI code page.
    const std::wstring filters = FApps.Path();
    const TSystemAnsiCodePage ansi;
    auto write = [&](int row, const Lines& keywords, TFilterEncoding encoding) {
        const std::string bytes = EncodeFilterFile(keywords, encoding, ansi);
        const std::wstring path = filters + kCategories[row].FileStem + L".txt";
        const FileHandle file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                            FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD written = 0;
        ASSERT_TRUE(::WriteFile(file.get(), bytes.data(), DWORD(bytes.size()), &written, nullptr));
    };
    write(2, {L"it's.exe", L"TWIN.exe"}, TFilterEncoding::feUtf8);
    write(4, {L"Player.EXE"}, TFilterEncoding::feUtf16LE);
    write(6, {L"office.exe"}, TFilterEncoding::feAnsi); // row left unticked

    const std::wstring single = FApps.Copy(L"fixture_app", L"it's.exe");
    const std::wstring twin = FApps.Copy(L"fixture_app", L"twin.exe");
    const std::wstring player = FApps.Copy(L"fixture_app", L"player.exe");
    const std::wstring office = FApps.Copy(L"fixture_app", L"office.exe");
    const TRelaunchedProcesses relaunched({L"it's.exe", L"twin.exe", L"player.exe"});
    TFixtureProcess app(single), first(twin), second(twin), media(player), kept(office);

    const ServiceHandle manager(::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    for (const wchar_t* name : {L"uxsms", L"Themes"}) {
        const ServiceHandle service(::OpenServiceW(manager.get(), name, SERVICE_START));
        ::StartServiceW(service.get(), 0, nullptr);
        ASSERT_EQ(WaitForServiceState(name, SERVICE_RUNNING), DWORD(SERVICE_RUNNING));
    }

    TProcessInfo processInfo;
    TProcessInfoList processes(processInfo);
    TWmiConnector wmi;
    TFilterFolderFiles files;
    TServiceManagerFactory services;
    TDesktopShellLauncher launcher(nullptr);
    TTestView view;
    TOptimisationCore core(view, TCoreServices{processes, wmi, files, filters, services, launcher,
                                               CompareTextUserLocale, CurrentOSKind,
                                               ::GetCurrentProcessId()});
    view.Ticks[2] = view.Ticks[4] = view.Ticks[kEffectsRow] = true;

    core.StartBtnClick();
    EXPECT_TRUE(app.WaitForExit(5000));
    EXPECT_TRUE(first.WaitForExit(5000));
    EXPECT_TRUE(second.WaitForExit(5000));
    EXPECT_TRUE(media.WaitForExit(5000));
    EXPECT_TRUE(kept.Running());
    EXPECT_EQ(WaitForServiceState(L"uxsms", SERVICE_STOPPED), DWORD(SERVICE_STOPPED));
    EXPECT_EQ(WaitForServiceState(L"Themes", SERVICE_STOPPED), DWORD(SERVICE_STOPPED));
    EXPECT_TRUE(WaitUntilNoProcessOf(kServiceImages, 10000)); // as before a user's restore
    EXPECT_FALSE(view.StartVisible);
    EXPECT_TRUE(view.PrzywrocVisible);
    bool singleRecorded = false, playerRecorded = false;
    for (const auto& path : core.ClosedApps()) {
        singleRecorded = singleRecorded || AsciiSameText(path, single);
        playerRecorded = playerRecorded || AsciiSameText(path, player);
    }
    EXPECT_TRUE(singleRecorded);
    EXPECT_TRUE(playerRecorded);

    core.PrzywrocBtnClick();
    EXPECT_TRUE(relaunched.WaitUntilRunning(L"it's.exe"));
    EXPECT_TRUE(relaunched.WaitUntilRunning(L"player.exe"));
    ::Sleep(500); // a second launch of the same entry would show by now
    EXPECT_EQ(relaunched.Running(L"it's.exe"), 1);
    EXPECT_EQ(relaunched.Running(L"player.exe"), 1);
    EXPECT_EQ(WaitForServiceState(L"uxsms", SERVICE_RUNNING), DWORD(SERVICE_RUNNING));
    EXPECT_EQ(WaitForServiceState(L"Themes", SERVICE_RUNNING), DWORD(SERVICE_RUNNING));
    EXPECT_TRUE(view.StartVisible);
    EXPECT_FALSE(view.PrzywrocVisible);
    EXPECT_TRUE(view.Ticks[2]);
    EXPECT_FALSE(view.Ticks[0]);
    EXPECT_EQ(view.Boxes, Lines{kConfirmationText});
}
