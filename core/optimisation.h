#pragma once
// The pieces of the optimisation run that touch processes: the process list
// it walks, the executable-path lookup it records for the restore, and the
// matching of one category's keywords against the running processes.
#include <cstdint>
#include <string>
#include <vector>

namespace skorvel {

// The run's process snapshot (the main window's ProcessInfo). Indices are
// valid until the next UpdateList.
class IProcessList {
public:
    virtual ~IProcessList() = default;
    virtual void UpdateList() = 0;
    virtual int Count() = 0;
    virtual std::wstring ExeFile(int Index) = 0;
    virtual uint32_t ProcessID(int Index) = 0;
    // Whether Windows marks the process critical (its end stops the system);
    // false where the system cannot say.
    virtual bool IsCritical(int Index) = 0;
    // True when terminated, false when it could not be opened for it; raises
    // when the termination call itself fails.
    virtual bool TerminateProcess(int Index) = 0;
};

// The full executable path of the one running process with an image name,
// or empty text. Never raises.
class IExecutablePathLookup {
public:
    virtual ~IExecutablePathLookup() = default;
    virtual std::wstring QueryExecutablePath(const std::wstring& ExeFile) = 0;
};

// One WQL query for one property: status -1 when WMI could not answer, else
// the number of objects selected; Value is set only when it is exactly one.
class IWmiQuery {
public:
    virtual ~IWmiQuery() = default;
    virtual int32_t WmiQueryValue(const std::wstring& Query, const std::wstring& PropertyName,
                                  std::wstring& Value) = 0;
};

struct TRunningProcess {
    std::wstring ExeFile;
    uint32_t ProcessID = 0;
};

// A snapshot of its own, apart from the run's, for when WMI cannot answer.
class IProcessPaths {
public:
    virtual ~IProcessPaths() = default;
    virtual std::vector<TRunningProcess> RunningProcesses() = 0;
    // Raises when the process cannot be opened or its file name not read.
    virtual std::wstring FullPath(uint32_t ProcessID) = 0;
};

// The query for the process with an image name. The name goes between
// apostrophes; a name with an apostrophe in it goes between double quotes
// instead (an image name cannot hold one), so it still forms a valid query.
std::wstring WqlProcessQuery(const std::wstring& ExeFile);

// WMI first. When WMI cannot answer at all (status -1: no service, or a WMI
// without the ExecutablePath property), the process list answers with the
// same contract: the path of exactly one process with that image name (ASCII
// letters compared without case), else empty text.
class TExecutablePathLookup : public IExecutablePathLookup {
public:
    TExecutablePathLookup(IWmiQuery& Wmi, IProcessPaths& Processes)
        : FWmi(Wmi), FProcesses(Processes) {}
    std::wstring QueryExecutablePath(const std::wstring& ExeFile) override;

private:
    std::wstring PathFromProcessList(const std::wstring& ExeFile);

    IWmiQuery& FWmi;
    IProcessPaths& FProcesses;
};

// Terminates every process of the snapshot whose image name equals one of
// Keywords (ASCII letters compared without case), once per matching keyword,
// and appends the path of each one terminated whose path lookup answered.
// The program's own process and critical processes are never touched. The
// exceptions of one match are discarded.
void CloseMatchingProcesses(IProcessList& Processes, const std::vector<std::wstring>& Keywords,
                            IExecutablePathLookup& Paths, uint32_t OwnProcessID,
                            std::vector<std::wstring>& ClosedApps);

} // namespace skorvel
