#include "platform/os_version.h"

#include "platform/handles.h"
#include "platform/paths.h"
#include "platform/text.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

using namespace skorvel;

namespace {

// The system reads the version Wine reports once, when a process starts, so a
// changed prefix is looked at from a new process: this test program started
// again with this option prints what GetWindowsTypeEx found.
constexpr const char* kReportOption = "--report-windows-type";

int ReportWindowsType() {
    TWindowsTypeEx info;
    GetWindowsTypeEx(info);
    std::printf("%d|%s|%s\n", int(info.OSKind), WideToUtf8(info.Product).c_str(),
                WideToUtf8(info.Full).c_str());
    return 0;
}

// Runs a command line, waiting at most a minute, and returns its exit code
// and what it printed. The output goes to a scratch file, not a pipe: Wine
// starts its desktop and services on demand from whichever process first needs
// them, and one of those left running with the pipe's write end would keep a
// read from ever ending. A command that does not end in time is ended and
// reported as failed.
DWORD RunCommand(std::wstring commandLine, std::string* output = nullptr) {
    wchar_t folder[MAX_PATH + 1] = {}, name[MAX_PATH + 1] = {};
    ::GetTempPathW(MAX_PATH + 1, folder);
    if (!::GetTempFileNameW(folder, L"run", 0, name))
        return DWORD(-1);
    SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
    const FileHandle log(::CreateFileW(
        name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        &inherit, CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    if (!log)
        return DWORD(-1);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = log.get();
    startup.hStdError = log.get();
    PROCESS_INFORMATION created{};
    if (!::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                          &startup, &created))
        return DWORD(-1);
    const KernelHandle process(created.hProcess), thread(created.hThread);
    if (::WaitForSingleObject(process.get(), 60000) != WAIT_OBJECT_0) {
        ::TerminateProcess(process.get(), DWORD(-1));
        if (output)
            *output = "did not end within a minute";
        return DWORD(-1);
    }
    DWORD code = DWORD(-1);
    ::GetExitCodeProcess(process.get(), &code);
    ::SetFilePointer(log.get(), 0, nullptr, FILE_BEGIN);
    char buffer[512];
    DWORD read = 0;
    while (::ReadFile(log.get(), buffer, sizeof(buffer), &read, nullptr) && read > 0)
        if (output)
            output->append(buffer, read);
    return code;
}

std::wstring OwnPath() {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    return path;
}

} // namespace

TEST(GetWindowsTypeEx, TheDefaultPrefixIsWindowsSevenSP1Professional) {
    TWindowsTypeEx info;
    GetWindowsTypeEx(info);
    EXPECT_EQ(info.OSKind, winSeven);
    EXPECT_EQ(WideToUtf8(info.Product), "Microsoft Windows Seven");
    EXPECT_EQ(WideToUtf8(info.Kind.AsString), "Professional");
    EXPECT_EQ(info.Kind.AsType, wptWorkstation);
    EXPECT_EQ(WideToUtf8(info.Full), "Microsoft Windows Seven Professional");
    EXPECT_EQ(WideToUtf8(info.ServicePack), "Service Pack 1 (Build 7601)");
    EXPECT_EQ(WideToUtf8(info.OSVersion.AsString), "6.1");
    EXPECT_EQ(info.OSVersion.Major, 6);
    EXPECT_EQ(info.OSVersion.Minor, 1);
    EXPECT_EQ(info.OSBuild, 7601);
    EXPECT_EQ(WideToUtf8(info.ServicePackVersion.AsString), "1.0");
    EXPECT_FALSE(info.Server);
}

TEST(GetWindowsTypeEx, APrefixSwitchedToWindows8GivesWin8) {
    std::string switched;
    ASSERT_EQ(RunCommand(L"winecfg.exe -v win8", &switched), 0u) << switched;
    std::string report;
    const DWORD code = RunCommand(L"\"" + OwnPath() + L"\" " + Utf8ToWide(kReportOption), &report);
    RunCommand(L"winecfg.exe -v win7");
    ASSERT_EQ(code, 0u) << report;
    report.erase(report.find_last_not_of("\r\n") + 1);
    EXPECT_EQ(report,
              std::to_string(int(win8)) + "|Microsoft Windows 8|Microsoft Windows 8 Professional");
}

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], kReportOption) == 0)
        return ReportWindowsType();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
