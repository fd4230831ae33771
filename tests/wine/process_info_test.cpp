#include "platform/process_info.h"

#include "platform/os_error.h"
#include "platform/text.h"
#include "tests/wine/fixture_processes.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <stdexcept>

using namespace skorvel;
using namespace skorvel::testing;

namespace {

class ProcessInfoTest : public ::testing::Test {
protected:
    // The item of a process in a fresh snapshot, or null.
    TProcessItem* Refreshed(DWORD processId) {
        FInfo.UpdateList();
        return FInfo.RunningProcesses().FindByID(processId);
    }

    int CountNamed(const std::wstring& name) {
        int count = 0;
        TProcessCollection& processes = FInfo.RunningProcesses();
        for (int i = 0; i < processes.Count(); ++i)
            count += processes.Items(i)->ExeFile() == name;
        return count;
    }

    TFixtureFolder FFolder;
    TProcessInfo FInfo;
};

// Dispatches the thread's messages for the given time.
void PumpMessages(std::chrono::milliseconds duration) {
    const auto end = std::chrono::steady_clock::now() + duration;
    for (auto now = std::chrono::steady_clock::now(); now < end;
         now = std::chrono::steady_clock::now()) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - now);
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, DWORD(left.count()), QS_ALLINPUT);
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
            ::DispatchMessageW(&message);
    }
}

HWND WaitForWindow(const std::wstring& caption) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        if (const HWND window = ::FindWindowW(nullptr, caption.c_str()))
            return window;
        ::Sleep(50);
    }
    return nullptr;
}

DWORD WINAPI WaitForEvent(void* event) {
    ::WaitForSingleObject(event, INFINITE);
    return 7;
}

std::wstring OwnImageName() {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    const std::wstring full = path;
    return full.substr(full.find_last_of(L'\\') + 1);
}

} // namespace

TEST_F(ProcessInfoTest, SnapshotShowsAStartedFixture) {
    TFixtureProcess fixture(FFolder.Copy(L"fixture_app", L"skv_plain.exe"));
    TProcessItem* item = Refreshed(fixture.Id());
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(WideToUtf8(item->ExeFile()), "skv_plain.exe"); // the image name, no folder
    EXPECT_EQ(WideToUtf8(item->ToString()), "skv_plain.exe");
    EXPECT_EQ(item->ProcessID(), fixture.Id());
    EXPECT_EQ(item->ParentProcessID(), ::GetCurrentProcessId());
    EXPECT_GE(item->ThreadsCount(), 1);
    EXPECT_EQ(FInfo.RunningProcesses().FindByName(L"SKV_Plain.EXE"), item);
    EXPECT_EQ(FInfo.RunningProcesses().FindByName(L"skv_pl\u0104in.exe"), nullptr);

    ASSERT_NE(FInfo.CurrentProcess(), nullptr);
    EXPECT_EQ(FInfo.CurrentProcess()->ProcessID(), ::GetCurrentProcessId());
    EXPECT_EQ(WideToUtf8(FInfo.CurrentProcess()->ExeFile()), WideToUtf8(OwnImageName()));

    TProcessCollection& processes = FInfo.RunningProcesses();
    EXPECT_GT(processes.LastUpdate(), 40000.0); // a date after 2009
    EXPECT_THROW(processes.Items(-1), EListError);
    EXPECT_THROW(processes.Items(processes.Count()), EListError);
    EXPECT_NO_THROW(processes.Items(processes.Count() - 1));
}

TEST_F(ProcessInfoTest, TwoCopiesOfOneImageAreTwoItemsAndFindByNameTakesTheFirst) {
    const std::wstring path = FFolder.Copy(L"fixture_app", L"skv_twin.exe");
    TFixtureProcess first(path), second(path);
    FInfo.UpdateList();
    EXPECT_EQ(CountNamed(L"skv_twin.exe"), 2);
    TProcessCollection& processes = FInfo.RunningProcesses();
    TProcessItem* found = processes.FindByName(L"skv_twin.exe");
    ASSERT_NE(found, nullptr);
    for (int i = 0; i < processes.Count(); ++i) {
        if (processes.Items(i)->ExeFile() == L"skv_twin.exe") {
            EXPECT_EQ(processes.Items(i), found);
            break;
        }
    }
}

TEST_F(ProcessInfoTest, TerminateProcessEndsItAndTheNextRefreshDropsIt) {
    TFixtureProcess fixture(FFolder.Copy(L"fixture_app", L"skv_doomed.exe"));
    TProcessItem* item = Refreshed(fixture.Id());
    ASSERT_NE(item, nullptr);
    EXPECT_TRUE(item->TerminateProcess());
    ASSERT_TRUE(fixture.WaitForExit(5000));
    EXPECT_EQ(fixture.ExitCode(), 0u);
    fixture.End(); // lets go of the last handle: the id no longer names a process

    // The item stays until the next refresh and can no longer reach its process.
    EXPECT_FALSE(item->TerminateProcess());
    EXPECT_EQ(Refreshed(fixture.Id()), nullptr);
    EXPECT_EQ(CountNamed(L"skv_doomed.exe"), 0);
}

TEST_F(ProcessInfoTest, AnEndedProcessGivesTheNeutralAnswers) {
    TFixtureProcess fixture(FFolder.Copy(L"fixture_app", L"skv_gone.exe"));
    TProcessItem* item = Refreshed(fixture.Id());
    ASSERT_NE(item, nullptr);
    fixture.End();

    EXPECT_FALSE(item->IsAccessible());
    EXPECT_TRUE(item->Is64Bits()); // cannot be opened: taken as 64-bit
    EXPECT_FALSE(item->IsCritical());
    EXPECT_EQ(item->CpuUsage(), 0u);
    EXPECT_EQ(item->CreationTime(), 0.0);
    EXPECT_EQ(item->KernelTime(), 0.0);
    EXPECT_EQ(item->UserTime(), 0.0);
    EXPECT_EQ(item->MemoryInfo().WorkingSetSize, 0u);
    EXPECT_EQ(item->MemoryInfo().PageFaultCount, 0u);
    EXPECT_EQ(item->UserName(), L"");
    EXPECT_FALSE(item->CloseProcess());
    const uint32_t priority = item->PriorityClassBase();
    EXPECT_NO_THROW(item->SetPriorityClassBase(IDLE_PRIORITY_CLASS));
    EXPECT_EQ(item->PriorityClassBase(), priority);
    try {
        item->FullPath();
        ADD_FAILURE() << "FullPath of an ended process did not raise";
    } catch (const EOSError& e) {
        EXPECT_NE(e.ErrorCode(), 0u);
    }
}

TEST_F(ProcessInfoTest, CloseProcessEndsOnlyAProcessWithAWindow) {
    TFixtureProcess windowed(FFolder.Copy(L"fixture_app", L"skv_window.exe"), L"--window");
    ASSERT_NE(WaitForWindow(L"fixture skv_window.exe"), nullptr);
    TProcessItem* item = Refreshed(windowed.Id());
    ASSERT_NE(item, nullptr);
    EXPECT_TRUE(item->CloseProcess());
    EXPECT_TRUE(windowed.WaitForExit(0));
    EXPECT_EQ(windowed.ExitCode(), 0u);

    TFixtureProcess windowless(FFolder.Copy(L"fixture_app", L"skv_nowindow.exe"));
    item = Refreshed(windowless.Id());
    ASSERT_NE(item, nullptr);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(item->CloseProcess());
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(900));
    EXPECT_TRUE(windowless.Running());
}

TEST_F(ProcessInfoTest, PathTimesMemoryAndOwnerOfARunningFixture) {
    const std::wstring path = FFolder.Copy(L"fixture_app", L"skv_facts.exe");
    TFixtureProcess fixture(path);
    TProcessItem* item = Refreshed(fixture.Id());
    ASSERT_NE(item, nullptr);

    EXPECT_TRUE(AsciiSameText(item->FullPath(), path)) << WideToUtf8(item->FullPath());
    EXPECT_TRUE(item->IsAccessible());
    EXPECT_TRUE(item->Is64Bits());
    EXPECT_FALSE(item->IsCritical());

    // Started a moment ago, in local time like the list's own time stamp.
    const double minute = 1.0 / 24 / 60;
    EXPECT_NEAR(item->CreationTime(), FInfo.RunningProcesses().LastUpdate(), minute);
    EXPECT_GE(item->KernelTime(), 0.0);
    EXPECT_LT(item->KernelTime(), minute);
    EXPECT_GE(item->UserTime(), 0.0);
    EXPECT_LT(item->UserTime(), minute);

    const TMemoryInfo memory = item->MemoryInfo();
    if (!RunningUnderWine()) { // Wine counts no page faults
        EXPECT_GT(memory.PageFaultCount, 0u);
    }
    EXPECT_GT(memory.WorkingSetSize, 64u * 1024);
    EXPECT_GE(memory.PeakWorkingSetSize, memory.WorkingSetSize);
    EXPECT_GT(memory.PagefileUsage, 0u);
    EXPECT_EQ(memory.PrivateWorkingSetSize, 0u);

    wchar_t user[256] = {};
    DWORD userLength = 256;
    ASSERT_TRUE(::GetUserNameW(user, &userLength));
    const std::wstring owner = item->UserName();
    const size_t backslash = owner.find(L'\\');
    ASSERT_NE(backslash, std::wstring::npos) << WideToUtf8(owner);
    EXPECT_GT(backslash, 0u);
    EXPECT_TRUE(AsciiSameText(owner.substr(backslash + 1), user)) << WideToUtf8(owner);
}

DWORD WINAPI SpinUntilSet(void* stop) {
    while (!*static_cast<volatile bool*>(stop)) {
    }
    return 0;
}

TEST_F(ProcessInfoTest, CpuUsageOfBusyAndIdleProcesses) {
    TFixtureProcess busy(FFolder.Copy(L"fixture_app", L"skv_busy.exe"), L"--busy");
    TFixtureProcess idle(FFolder.Copy(L"fixture_app", L"skv_idle.exe"));
    FInfo.UpdateList();
    TProcessItem* busyItem = FInfo.RunningProcesses().FindByID(busy.Id());
    TProcessItem* idleItem = FInfo.RunningProcesses().FindByID(idle.Id());
    ASSERT_NE(busyItem, nullptr);
    ASSERT_NE(idleItem, nullptr);
    EXPECT_EQ(idleItem->CpuUsage(), 0u);
    const uint32_t busyUsage = busyItem->CpuUsage();
    EXPECT_LE(busyUsage, 100u);
    // Wine keeps no running CPU times for other processes, only for the caller.
    if (!RunningUnderWine()) {
        EXPECT_GT(busyUsage, 0u);
    }

    volatile bool stop = false;
    const KernelHandle spinner(
        ::CreateThread(nullptr, 0, SpinUntilSet, const_cast<bool*>(&stop), 0, nullptr));
    ::Sleep(50);
    const uint32_t ownUsage = FInfo.CurrentProcess()->CpuUsage();
    stop = true;
    ::WaitForSingleObject(spinner.get(), INFINITE);
    EXPECT_GT(ownUsage, 0u);
    EXPECT_LE(ownUsage, 100u);
}

TEST_F(ProcessInfoTest, PriorityClassWrite) {
    TFixtureProcess fixture(FFolder.Copy(L"fixture_app", L"skv_priority.exe"));
    TProcessItem* item = Refreshed(fixture.Id());
    ASSERT_NE(item, nullptr);
    // The base priority level of a normal process; Wine reports its class
    // number (PROCESS_PRIOCLASS_NORMAL) instead.
    EXPECT_EQ(item->PriorityClassBase(), RunningUnderWine() ? 2u : 8u);
    item->SetPriorityClassBase(BELOW_NORMAL_PRIORITY_CLASS);
    EXPECT_EQ(item->PriorityClassBase(), uint32_t(BELOW_NORMAL_PRIORITY_CLASS));
    EXPECT_EQ(::GetPriorityClass(fixture.Handle()), DWORD(BELOW_NORMAL_PRIORITY_CLASS));
    EXPECT_THROW(item->SetPriorityClassBase(0x12345), EOSError);
    EXPECT_EQ(item->PriorityClassBase(), uint32_t(BELOW_NORMAL_PRIORITY_CLASS));
}

TEST_F(ProcessInfoTest, ModulesOfTheTestProcess) {
    TProcessItem* self = FInfo.CurrentProcess();
    ASSERT_NE(self, nullptr);
    TModuleCollection& modules = self->Modules();
    EXPECT_EQ(&self->Modules(), &modules); // created once, not refreshed by reading

    const TModuleItem* exe = modules.FindByName(OwnImageName());
    ASSERT_NE(exe, nullptr);
    EXPECT_EQ(exe->ProcessID(), ::GetCurrentProcessId());
    EXPECT_EQ(exe->Handle(), uintptr_t(::GetModuleHandleW(nullptr)));

    const HMODULE kernel32 = ::GetModuleHandleW(L"kernel32.dll");
    const TModuleItem* kernel = modules.FindByName(L"KERNEL32.dll");
    ASSERT_NE(kernel, nullptr);
    EXPECT_EQ(modules.FindByHandle(uintptr_t(kernel32)), kernel);
    EXPECT_EQ(kernel->BaseAddress(), uintptr_t(kernel32));
    EXPECT_GT(kernel->BaseSize(), 0u);
    const std::wstring kernelPath = AsciiUpper(kernel->ModulePath());
    EXPECT_NE(kernelPath.find(L"\\KERNEL32.DLL"), std::wstring::npos) << WideToUtf8(kernelPath);
    EXPECT_EQ(modules.FindByID(modules.Items(0)->ModuleID()), modules.Items(0));

    // Without an owner the collection lists the calling process's modules.
    TModuleCollection own;
    EXPECT_EQ(own.Count(), 0);
    own.UpdateModules();
    EXPECT_NE(own.FindByHandle(uintptr_t(kernel32)), nullptr);
    EXPECT_GT(own.LastUpdate(), 40000.0);
}

TEST_F(ProcessInfoTest, ThreadsOfTheTestProcessAndTheirOperations) {
    const HANDLE stop = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    DWORD workerId = 0;
    KernelHandle worker(::CreateThread(nullptr, 0, WaitForEvent, stop, 0, &workerId));
    ASSERT_TRUE(worker);

    TThreadCollection& threads = FInfo.CurrentProcess()->Threads();
    ASSERT_NE(threads.FindByID(::GetCurrentThreadId()), nullptr);
    TThreadItem* item = threads.FindByID(workerId);
    ASSERT_NE(item, nullptr);
    for (int i = 0; i < threads.Count(); ++i)
        EXPECT_EQ(threads.Items(i)->OwnerProcessID(), ::GetCurrentProcessId());
    EXPECT_EQ(WideToUtf8(item->ToString()), std::to_string(workerId));

    EXPECT_FALSE(item->ResumeThread()); // not suspended
    EXPECT_TRUE(item->SuspendThread());
    EXPECT_TRUE(item->ResumeThread());
    EXPECT_FALSE(item->ResumeThread());

    item->SetBasePriority(THREAD_PRIORITY_BELOW_NORMAL);
    EXPECT_EQ(item->BasePriority(), THREAD_PRIORITY_BELOW_NORMAL);
    EXPECT_EQ(::GetThreadPriority(worker.get()), THREAD_PRIORITY_BELOW_NORMAL);

    EXPECT_TRUE(item->TerminateThread());
    ASSERT_EQ(::WaitForSingleObject(worker.get(), 5000), WAIT_OBJECT_0);
    DWORD exitCode = 7;
    ::GetExitCodeThread(worker.get(), &exitCode);
    EXPECT_EQ(exitCode, 0u);
    ::CloseHandle(stop);

    // A thread that no longer exists (once its last handle is gone).
    worker.reset();
    EXPECT_FALSE(item->ResumeThread());
    EXPECT_FALSE(item->TerminateThread());
    EXPECT_THROW(item->SuspendThread(), EOSError);
    EXPECT_NO_THROW(item->SetBasePriority(THREAD_PRIORITY_HIGHEST));
    EXPECT_EQ(item->BasePriority(), THREAD_PRIORITY_BELOW_NORMAL);
}

TEST_F(ProcessInfoTest, OnBeforeUpdateListCanCancelTheRefresh) {
    int before = 0, after = 0;
    bool cancel = false;
    FInfo.OnBeforeUpdateList = [&](TProcessInfo& sender, bool& Cancel) {
        EXPECT_EQ(&sender, &FInfo);
        EXPECT_FALSE(Cancel);
        ++before;
        Cancel = cancel;
    };
    FInfo.OnAfterUpdateList = [&](TProcessInfo& sender) {
        EXPECT_EQ(&sender, &FInfo);
        ++after;
    };

    // Reading the empty list refreshes it; reading it again does not.
    TProcessCollection& processes = FInfo.RunningProcesses();
    EXPECT_GT(processes.Count(), 0);
    FInfo.RunningProcesses();
    EXPECT_EQ(before, 1);
    EXPECT_EQ(after, 1);

    const int count = processes.Count();
    TProcessItem* first = processes.Items(0);
    const TDateTime stamp = processes.LastUpdate();
    TFixtureProcess fixture(FFolder.Copy(L"fixture_app", L"skv_late.exe"));
    cancel = true;
    FInfo.UpdateList();
    EXPECT_EQ(before, 2);
    EXPECT_EQ(after, 1);
    EXPECT_EQ(processes.Count(), count);
    EXPECT_EQ(processes.Items(0), first);
    EXPECT_EQ(processes.LastUpdate(), stamp);
    EXPECT_EQ(processes.FindByID(fixture.Id()), nullptr);

    cancel = false;
    FInfo.UpdateList();
    EXPECT_EQ(after, 2);
    EXPECT_NE(processes.FindByID(fixture.Id()), nullptr);

    // What the after-handler raises reaches the caller.
    FInfo.OnAfterUpdateList = [](TProcessInfo&) { throw std::runtime_error("handler"); };
    EXPECT_THROW(FInfo.UpdateList(), std::runtime_error);
}

TEST_F(ProcessInfoTest, TheTimerRefreshesWhileActive) {
    EXPECT_FALSE(FInfo.Active());
    EXPECT_EQ(FInfo.UpdateInterval(), 1000u);
    int refreshes = 0;
    FInfo.OnAfterUpdateList = [&](TProcessInfo&) { ++refreshes; };
    FInfo.SetUpdateInterval(50);
    PumpMessages(std::chrono::milliseconds(200));
    EXPECT_EQ(refreshes, 0);

    FInfo.SetActive(true);
    EXPECT_EQ(refreshes, 1); // switching on refreshes at once
    PumpMessages(std::chrono::milliseconds(600));
    EXPECT_GE(refreshes, 4);

    FInfo.SetActive(false);
    const int stopped = refreshes;
    PumpMessages(std::chrono::milliseconds(300));
    EXPECT_EQ(refreshes, stopped);

    // A refresh that raises on a tick is handed to OnTimerException.
    std::string reported;
    FInfo.OnAfterUpdateList = [](TProcessInfo&) { throw std::runtime_error("tick failed"); };
    FInfo.OnTimerException = [&](TProcessInfo&, std::exception_ptr error) {
        try {
            std::rethrow_exception(error);
        } catch (const std::exception& e) {
            reported = e.what();
        }
    };
    EXPECT_THROW(FInfo.SetActive(true), std::runtime_error); // the immediate refresh
    PumpMessages(std::chrono::milliseconds(300));
    EXPECT_EQ(reported, "tick failed");
    FInfo.SetActive(false);
}
