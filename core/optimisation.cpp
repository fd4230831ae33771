#include "core/optimisation.h"

#include "platform/text.h"

namespace skorvel {

std::wstring WqlProcessQuery(const std::wstring& ExeFile) {
    const wchar_t quote = ExeFile.find(L'\'') == std::wstring::npos ? L'\'' : L'"';
    return L"SELECT * FROM Win32_Process WHERE Name=" + std::wstring(1, quote) + ExeFile + quote;
}

std::wstring TExecutablePathLookup::QueryExecutablePath(const std::wstring& ExeFile) {
    try {
        if (!FWmiAnswers)
            return PathFromProcessList(ExeFile);
        if (!FConnection)
            FConnection = FWmi.Connect();
        std::wstring path;
        if (FConnection->WmiQueryValue(WqlProcessQuery(ExeFile), L"ExecutablePath", path) != -1)
            return path;
        FWmiAnswers = false;
        return PathFromProcessList(ExeFile);
    } catch (...) {
        return std::wstring();
    }
}

std::wstring TExecutablePathLookup::PathFromProcessList(const std::wstring& ExeFile) {
    int found = -1;
    const int count = FProcesses.Count();
    for (int index = 0; index < count; ++index) {
        if (!AsciiSameText(FProcesses.ExeFile(index), ExeFile) ||
            FEnded.count(FProcesses.ProcessID(index)))
            continue;
        if (found >= 0)
            return std::wstring(); // several: no process is chosen
        found = index;
    }
    return found >= 0 ? FProcesses.FullPath(found) : std::wstring();
}

namespace {

void CloseMatchedProcess(IProcessList& processes, int index, const std::wstring& exeFile,
                         TExecutablePathLookup& paths, uint32_t ownProcessID,
                         std::vector<std::wstring>& closedApps) {
    // Ending our own process would lose the record of everything closed so
    // far; ending a critical one stops the whole machine.
    const uint32_t processID = processes.ProcessID(index);
    if (processID == ownProcessID || processes.IsCritical(index))
        return;
    // The path is read while the process still runs.
    const std::wstring path = paths.QueryExecutablePath(exeFile);
    if (!processes.TerminateProcess(index))
        return;
    paths.ProcessEnded(processID);
    if (!path.empty())
        closedApps.push_back(path);
}

} // namespace

void CloseMatchingProcesses(IProcessList& Processes, const std::vector<std::wstring>& Keywords,
                            TExecutablePathLookup& Paths, uint32_t OwnProcessID,
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
