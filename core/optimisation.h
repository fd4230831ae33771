#pragma once
// The pieces of the optimisation run that touch processes: the process list
// it walks, the executable-path lookup it records for the restore, and the
// matching of one category's keywords against the running processes.
#include <cstdint>
#include <memory>
#include <set>
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
    // The executable's full path, read from the process with the listed id;
    // raises when it cannot be opened or its file name not read.
    virtual std::wstring FullPath(int Index) = 0;
    // True when terminated, false when it could not be opened for it; raises
    // when the termination call itself fails.
    virtual bool TerminateProcess(int Index) = 0;
};

// One WMI connection, for any number of queries.
class IWmiConnection {
public:
    virtual ~IWmiConnection() = default;
    // One WQL query for one property: status -1 when WMI could not answer,
    // else the number of objects selected; Value is set only when it is
    // exactly one.
    virtual int32_t WmiQueryValue(const std::wstring& Query, const std::wstring& PropertyName,
                                  std::wstring& Value) = 0;
};

class IWmiConnector {
public:
    virtual ~IWmiConnector() = default;
    virtual std::unique_ptr<IWmiConnection> Connect() = 0;
};

// The query for the process with an image name. The name goes between
// apostrophes; a name with an apostrophe in it goes between double quotes
// instead (an image name cannot hold one), so it still forms a valid query.
std::wstring WqlProcessQuery(const std::wstring& ExeFile);

// The path lookups of one optimisation run, over the run's own snapshot.
//
// WMI first, through one connection made at the first lookup and released
// with this object. Once WMI has answered that it cannot (status -1: no
// service, or a WMI without the ExecutablePath property) it is not asked
// again: the snapshot answers instead, with the same contract: the path of
// exactly one process with that image name (ASCII letters compared without
// case), else empty text. The processes the run has ended are no longer
// counted, as they would no longer be listed; the path is read from the
// process with the listed id.
class TExecutablePathLookup {
public:
    TExecutablePathLookup(IWmiConnector& Wmi, IProcessList& Processes)
        : FWmi(Wmi), FProcesses(Processes) {}

    // The full executable path of the running process with the image name,
    // or empty text. Never raises.
    std::wstring QueryExecutablePath(const std::wstring& ExeFile);
    // Tells the lookup that the run terminated the process.
    void ProcessEnded(uint32_t ProcessID) { FEnded.insert(ProcessID); }

private:
    std::wstring PathFromProcessList(const std::wstring& ExeFile);

    IWmiConnector& FWmi;
    IProcessList& FProcesses;
    std::unique_ptr<IWmiConnection> FConnection;
    bool FWmiAnswers = true;
    std::set<uint32_t> FEnded;
};

// Terminates every process of the snapshot whose image name equals one of
// Keywords (ASCII letters compared without case), once per matching keyword,
// and appends the path of each one terminated whose path lookup answered.
// The program's own process and critical processes are never touched. The
// exceptions of one match are discarded.
void CloseMatchingProcesses(IProcessList& Processes, const std::vector<std::wstring>& Keywords,
                            TExecutablePathLookup& Paths, uint32_t OwnProcessID,
                            std::vector<std::wstring>& ClosedApps);

} // namespace skorvel
