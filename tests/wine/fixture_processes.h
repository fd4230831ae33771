#pragma once
// Test helpers: copies of the fixture programs under chosen image names in a
// folder of their own, processes started from them that are ended when they
// go out of scope, and a wait for the processes of given images to end.
#include "platform/handles.h"
#include "platform/paths.h"

#include <windows.h>
#include <tlhelp32.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

namespace skorvel::testing {

inline bool RunningUnderWine() {
    return ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

// A fixture program built beside the running test (bin\NAME.exe).
inline std::wstring FixtureProgram(const std::wstring& name) {
    return ProgramFolder() + name + L".exe";
}

// Waits until no process runs from an image of one of the names (compared
// without letter case); false if one still runs after the time given. A
// service reports STOPPED while its process is still ending: what starts
// next must not meet it.
inline bool WaitUntilNoProcessOf(const std::vector<std::wstring>& imageNames, DWORD milliseconds) {
    const DWORD start = ::GetTickCount();
    const FileHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = ::Process32FirstW(snapshot.get(), &entry); more;
         more = ::Process32NextW(snapshot.get(), &entry)) {
        for (const auto& name : imageNames) {
            if (::CompareStringOrdinal(entry.szExeFile, -1, name.c_str(), -1, TRUE) != CSTR_EQUAL)
                continue;
            const KernelHandle process(::OpenProcess(SYNCHRONIZE, FALSE, entry.th32ProcessID));
            const DWORD left = milliseconds - std::min(milliseconds, ::GetTickCount() - start);
            if (process && ::WaitForSingleObject(process.get(), left) != WAIT_OBJECT_0)
                return false;
        }
    }
    return true;
}

// A fresh folder under the temporary folder; removed with what it holds.
class TFixtureFolder {
public:
    TFixtureFolder() {
        wchar_t temp[MAX_PATH + 1] = {};
        ::GetTempPathW(MAX_PATH + 1, temp);
        for (unsigned attempt = ::GetTickCount();; ++attempt) {
            FPath = std::wstring(temp) + L"skorvel-fixtures-" + std::to_wstring(attempt) + L"\\";
            if (::CreateDirectoryW(FPath.c_str(), nullptr))
                break;
            if (::GetLastError() != ERROR_ALREADY_EXISTS)
                throw std::runtime_error("cannot create the fixture folder");
        }
    }
    TFixtureFolder(const TFixtureFolder&) = delete;
    TFixtureFolder& operator=(const TFixtureFolder&) = delete;
    ~TFixtureFolder() {
        for (const auto& file : FFiles)
            ::DeleteFileW(file.c_str());
        ::RemoveDirectoryW(FPath.c_str());
    }

    const std::wstring& Path() const { return FPath; }

    // Copies the fixture program Source to this folder as ImageName; returns the copy's path.
    std::wstring Copy(const std::wstring& source, const std::wstring& imageName) {
        const std::wstring target = FPath + imageName;
        if (!::CopyFileW(FixtureProgram(source).c_str(), target.c_str(), FALSE))
            throw std::runtime_error("cannot copy a fixture program");
        FFiles.push_back(target);
        return target;
    }

private:
    std::wstring FPath;
    std::vector<std::wstring> FFiles;
};

// A started program; ended (and waited for) when it goes out of scope.
class TFixtureProcess {
public:
    // Starts a copy of fixture_app and waits until it reports itself ready.
    explicit TFixtureProcess(const std::wstring& path,
                             const std::wstring& arguments = std::wstring()) {
        std::wstring commandLine = L"\"" + path + L"\" " + arguments;
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION created{};
        if (!::CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                              CREATE_SUSPENDED, nullptr, nullptr, &startup, &created))
            throw std::runtime_error("cannot start a fixture program");
        const KernelHandle thread(created.hThread);
        FProcess.reset(created.hProcess);
        FProcessId = created.dwProcessId;
        const std::wstring readyName = L"skorvel-fixture-ready-" + std::to_wstring(FProcessId);
        const KernelHandle ready(::CreateEventW(nullptr, TRUE, FALSE, readyName.c_str()));
        ::ResumeThread(thread.get());
        const HANDLE waitFor[] = {ready.get(), FProcess.get()};
        if (::WaitForMultipleObjects(2, waitFor, FALSE, 10000) != WAIT_OBJECT_0)
            throw std::runtime_error("a fixture program did not get ready");
    }
    TFixtureProcess(const TFixtureProcess&) = delete;
    TFixtureProcess& operator=(const TFixtureProcess&) = delete;
    ~TFixtureProcess() { End(); }

    DWORD Id() const { return FProcessId; }
    HANDLE Handle() const { return FProcess.get(); }
    bool Running() const {
        return FProcess && ::WaitForSingleObject(FProcess.get(), 0) == WAIT_TIMEOUT;
    }
    bool WaitForExit(DWORD milliseconds) const {
        return ::WaitForSingleObject(FProcess.get(), milliseconds) == WAIT_OBJECT_0;
    }
    DWORD ExitCode() const {
        DWORD code = 0;
        ::GetExitCodeProcess(FProcess.get(), &code);
        return code;
    }
    // Ends the process if it still runs and lets go of it; returns once its id
    // no longer names a process.
    void End() {
        if (!FProcess)
            return;
        if (Running())
            ::TerminateProcess(FProcess.get(), 1);
        WaitForExit(5000);
        FProcess.reset();
        // Wine frees the process object a moment after its last handle closes.
        for (int attempt = 0; attempt < 100; ++attempt) {
            const KernelHandle probe(::OpenProcess(SYNCHRONIZE, FALSE, FProcessId));
            if (!probe)
                break;
            ::Sleep(20);
        }
    }

private:
    KernelHandle FProcess;
    DWORD FProcessId = 0;
};

} // namespace skorvel::testing
