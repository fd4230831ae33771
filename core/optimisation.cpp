#include "core/optimisation.h"

#include "platform/text.h"

namespace skorvel {

std::wstring WqlProcessQuery(const std::wstring& ExeFile) {
    const wchar_t quote = ExeFile.find(L'\'') == std::wstring::npos ? L'\'' : L'"';
    return L"SELECT * FROM Win32_Process WHERE Name=" + std::wstring(1, quote) + ExeFile + quote;
}

std::wstring TExecutablePathLookup::QueryExecutablePath(const std::wstring& ExeFile) {
    try {
        std::wstring path;
        if (FWmi.WmiQueryValue(WqlProcessQuery(ExeFile), L"ExecutablePath", path) == -1)
            return PathFromProcessList(ExeFile);
        return path;
    } catch (...) {
        return std::wstring();
    }
}

std::wstring TExecutablePathLookup::PathFromProcessList(const std::wstring& ExeFile) {
    const TRunningProcess* found = nullptr;
    const std::vector<TRunningProcess> processes = FProcesses.RunningProcesses();
    for (const auto& process : processes) {
        if (!AsciiSameText(process.ExeFile, ExeFile))
            continue;
        if (found)
            return std::wstring(); // several: no process is chosen
        found = &process;
    }
    return found ? FProcesses.FullPath(found->ProcessID) : std::wstring();
}

namespace {

void CloseMatchedProcess(IProcessList& processes, int index, const std::wstring& exeFile,
                         IExecutablePathLookup& paths, uint32_t ownProcessID,
                         std::vector<std::wstring>& closedApps) {
    // Ending our own process would lose the record of everything closed so
    // far; ending a critical one stops the whole machine.
    if (processes.ProcessID(index) == ownProcessID || processes.IsCritical(index))
        return;
    // The path is read while the process still runs.
    const std::wstring path = paths.QueryExecutablePath(exeFile);
    if (processes.TerminateProcess(index) && !path.empty())
        closedApps.push_back(path);
}

} // namespace

void CloseMatchingProcesses(IProcessList& Processes, const std::vector<std::wstring>& Keywords,
                            IExecutablePathLookup& Paths, uint32_t OwnProcessID,
                            std::vector<std::wstring>& ClosedApps) {
    const int count = Processes.Count();
    for (int index = 0; index < count; ++index) {
        const std::wstring exeFile = Processes.ExeFile(index);
        for (const auto& keyword : Keywords) {
            // An empty line of a filter file is an empty keyword, which never
            // matches, not even a process whose image name could not be read.
            // Most pairs already differ in length, which is the cheap test.
            if (keyword.empty() || keyword.size() != exeFile.size() ||
                !AsciiSameText(exeFile, keyword))
                continue;
            try {
                CloseMatchedProcess(Processes, index, exeFile, Paths, OwnProcessID, ClosedApps);
            } catch (...) {
                // One process that cannot be handled must not stop the run.
            }
        }
    }
}

} // namespace skorvel
