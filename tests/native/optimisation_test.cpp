#include "core/optimisation_core.h"

#include "core_fakes.h"

#include <gtest/gtest.h>

using namespace skorvel;
using namespace skorvel::testing;

namespace {

using Lines = std::vector<std::wstring>;

const Lines kRestoreMode = {L"hide StartBtn", L"hide StartMenuBtn", L"show PrzywrocBtn",
                            L"show PrzywrocMenuBtn"};

std::wstring ConfirmationBox() {
    return L"box Potwierdzenie 36: " + std::wstring(kConfirmationText);
}

} // namespace

TEST(StartBtnClick, AnsweringNoChangesNothing) {
    FakeCore f;
    f.View.Ticks[2] = true;
    f.SetFilter(2, {L"player.exe"});
    f.Processes.Running = {{L"player.exe", 10}};
    f.Core.StartBtnClick(); // a first run fills ClosedApps
    ASSERT_EQ(f.Core.ClosedApps(), Lines{L"C:\\Apps\\player.exe"});
    f.Processes.Running.push_back({L"player.exe", 11});
    f.Log.clear();

    f.View.Answer = 7; // IDNO
    f.Core.StartBtnClick();
    EXPECT_EQ(f.Log, Lines{ConfirmationBox()});
    EXPECT_EQ(f.Core.ClosedApps(), Lines{L"C:\\Apps\\player.exe"});
}

TEST(StartBtnClick, NoRowTickedReloadsFiltersEmptiesClosedAppsAndStaysInOptimiseMode) {
    FakeCore f;
    f.View.Ticks[2] = true;
    f.SetFilter(2, {L"player.exe"});
    f.Processes.Running = {{L"player.exe", 10}};
    f.Core.StartBtnClick();
    f.View.Ticks.assign(kCategoryRowCount, false);
    f.SetFilter(7, {L"web.exe"});
    f.Log.clear();

    f.Core.StartBtnClick();
    EXPECT_TRUE(f.Core.ClosedApps().empty());
    EXPECT_EQ(f.Core.CategoryFilters()[7], Lines{L"web.exe"});
    EXPECT_EQ(f.Events(L"box").back(),
              L"box Skorvel 0: Zaznacz przynajmniej jedn\u0105 kategori\u0119.");
    EXPECT_TRUE(f.Events(L"update").empty());
    EXPECT_TRUE(f.Events(L"show").empty());
}

TEST(StartBtnClick, AnUnreadableFilterFileEndsTheRunBeforeAnythingIsClosed) {
    FakeCore f;
    f.View.Ticks[2] = true;
    f.SetFilter(2, {L"player.exe"});
    f.Processes.Running = {{L"player.exe", 10}};
    f.Core.StartBtnClick();
    f.FilterFiles.Unreadable = {FilterFilePath(kTestFilterFolder, 6)};
    f.Log.clear();

    EXPECT_THROW(f.Core.StartBtnClick(), Exception);
    EXPECT_TRUE(f.Core.ClosedApps().empty());
    EXPECT_TRUE(f.Events(L"update").empty());
    EXPECT_TRUE(f.Events(L"terminate").empty());
    EXPECT_TRUE(f.Events(L"show").empty());
}

// One ticked category over a set of processes: which are terminated and
// which paths are recorded.
TEST(StartBtnClick, MatchingTerminationAndRecording) {
    struct Case {
        const char* name;
        Lines keywords;
        std::vector<FakeProcess> processes;
        std::map<std::wstring, std::wstring> paths; // lookups that differ from C:\Apps\<name>
        Lines terminated;                           // "terminate <pid>" events
        Lines closedApps;
    };
    const Case cases[] = {
        {"ascii case is ignored",
         {L"Player.EXE"},
         {{L"player.exe", 10}, {L"other.exe", 11}},
         {},
         {L"terminate 10"},
         {L"C:\\Apps\\player.exe"}},
        {"a trailing blank does not match", {L"player.exe "}, {{L"player.exe", 10}}, {}, {}, {}},
        {"polish capitals are not folded",
         {L"\u017B\u00D3\u0141W.EXE"},
         {{L"\u017C\u00F3\u0142w.exe", 10}, {L"\u017B\u00D3\u0141w.exe", 11}},
         {},
         {L"terminate 11"},
         {L"C:\\Apps\\\u017B\u00D3\u0141w.exe"}},
        {"an empty keyword never matches", {L""}, {{L"", 10}, {L"a.exe", 11}}, {}, {}, {}},
        {"a keyword twice: the second attempt fails and adds nothing",
         {L"player.exe", L"PLAYER.exe"},
         {{L"player.exe", 10}},
         {},
         {L"terminate 10", L"terminate 10"},
         {L"C:\\Apps\\player.exe"}},
        {"not opened for termination: nothing recorded",
         {L"guard.exe", L"b.exe"},
         {{L"guard.exe", 10, TTermination::NotOpened}, {L"b.exe", 11}},
         {},
         {L"terminate 10", L"terminate 11"},
         {L"C:\\Apps\\b.exe"}},
        {"a termination that raises is discarded and the run goes on",
         {L"guard.exe", L"b.exe"},
         {{L"guard.exe", 10, TTermination::Raises}, {L"b.exe", 11}},
         {},
         {L"terminate 10", L"terminate 11"},
         {L"C:\\Apps\\b.exe"}},
        {"an empty path is not recorded, the NULL text is",
         {L"a.exe", L"b.exe"},
         {{L"a.exe", 10}, {L"b.exe", 11}},
         {{L"a.exe", L""}, {L"b.exe", L"NULL"}},
         {L"terminate 10", L"terminate 11"},
         {L"NULL"}},
        {"two instances: both terminated",
         {L"twin.exe"},
         {{L"twin.exe", 10}, {L"twin.exe", 11}},
         {},
         {L"terminate 10", L"terminate 11"},
         {L"C:\\Apps\\twin.exe", L"C:\\Apps\\twin.exe"}},
        {"the program's own process is never touched",
         {L"skorvel.exe", L"b.exe"},
         {{L"Skorvel.exe", kOwnProcessID}, {L"b.exe", 11}},
         {},
         {L"terminate 11"},
         {L"C:\\Apps\\b.exe"}},
        {"a critical process is never touched",
         {L"csrss.exe", L"b.exe"},
         {{L"csrss.exe", 4, TTermination::Terminated, true}, {L"b.exe", 11}},
         {},
         {L"terminate 11"},
         {L"C:\\Apps\\b.exe"}},
    };
    for (const auto& c : cases) {
        FakeCore f;
        f.View.Ticks[4] = true;
        f.SetFilter(4, c.keywords);
        f.Processes.Running = c.processes;
        f.Paths.Paths = c.paths;
        f.Core.StartBtnClick();
        EXPECT_EQ(f.Events(L"terminate"), c.terminated) << c.name;
        EXPECT_EQ(f.Core.ClosedApps(), c.closedApps) << c.name;
        EXPECT_EQ(f.Events(L"lookup").size(), c.terminated.size()) << c.name;
        EXPECT_EQ(f.Events(L"show").size(), 2u) << c.name;
    }
}

TEST(StartBtnClick, RunOrderLookupBeforeTerminationOneRefreshPerRowAndRestoreMode) {
    FakeCore f;
    f.View.Ticks[1] = true;
    f.View.Ticks[8] = true;
    f.SetFilter(1, {L"a.exe"});
    f.SetFilter(3, {L"c.exe"}); // unticked: no effect although it runs
    f.SetFilter(8, {L"b.exe", L"a.exe"});
    f.Processes.Running = {{L"a.exe", 10}, {L"b.exe", 11}, {L"c.exe", 12}};
    f.Core.StartBtnClick();

    Lines expected = {ConfirmationBox()};
    for (int row : {1, 3, 8})
        expected.push_back(L"read " + FilterFilePath(kTestFilterFolder, row));
    expected.insert(expected.end(), {L"update", L"update", L"lookup a.exe", L"terminate 10"});
    for (int row = 2; row < 8; ++row)
        expected.push_back(L"update");
    // Row 8: a.exe is gone from the fresh snapshot.
    expected.insert(expected.end(),
                    {L"update", L"lookup b.exe", L"terminate 11", L"update", L"update"});
    expected.insert(expected.end(), kRestoreMode.begin(), kRestoreMode.end());
    EXPECT_EQ(f.Log, expected);
    EXPECT_EQ(f.Core.ClosedApps(), (Lines{L"C:\\Apps\\a.exe", L"C:\\Apps\\b.exe"}));
    EXPECT_FALSE(f.Processes.Ended(12));
}

TEST(StartBtnClick, ConfirmedRunEmptiesThePreviousRecord) {
    FakeCore f;
    f.View.Ticks[2] = true;
    f.SetFilter(2, {L"a.exe"});
    f.Processes.Running = {{L"a.exe", 10}};
    f.Core.StartBtnClick();
    f.Processes.Running = {{L"b.exe", 11}};
    f.SetFilter(2, {L"b.exe"});
    f.Core.StartBtnClick();
    EXPECT_EQ(f.Core.ClosedApps(), Lines{L"C:\\Apps\\b.exe"});
}

TEST(StartBtnClick, EffectsRowStopsTheServicesAndItsFailureStillEntersRestoreMode) {
    for (bool raise : {false, true}) {
        FakeCore f;
        f.View.Ticks[kEffectsRow] = true; // only the effects row
        f.SetFilter(2, {L"a.exe"});
        f.Processes.Running = {{L"a.exe", 10}};
        f.Services.States = {{L"uxsms", TServiceState::Running},
                             {L"Themes", TServiceState::Running}};
        f.Services.RaiseOnOpen = raise;
        f.Core.StartBtnClick();
        EXPECT_TRUE(f.Events(L"terminate").empty());
        EXPECT_TRUE(f.Core.ClosedApps().empty());
        EXPECT_EQ(f.Events(L"stop"), raise ? Lines{} : (Lines{L"stop uxsms", L"stop Themes"}));
        EXPECT_EQ(f.Events(L"update").size(), 11u);
        EXPECT_EQ(f.Services.Alive, 0);
        const Lines tail(f.Log.end() - 4, f.Log.end());
        EXPECT_EQ(tail, kRestoreMode) << raise;
    }
}

TEST(StartBtnClick, AFailingSnapshotEndsTheRunInRestoreModeWithWhatWasRecorded) {
    FakeCore f;
    f.View.Ticks[0] = true;
    f.View.Ticks[kEffectsRow] = true;
    f.SetFilter(0, {L"a.exe"});
    f.Processes.Running = {{L"a.exe", 10}};
    f.Processes.FailUpdateAt = 3; // the refresh before row 3
    EXPECT_THROW(f.Core.StartBtnClick(), std::runtime_error);
    EXPECT_EQ(f.Core.ClosedApps(), Lines{L"C:\\Apps\\a.exe"});
    EXPECT_TRUE(f.Events(L"stop").empty());
    const Lines tail(f.Log.end() - 4, f.Log.end());
    EXPECT_EQ(tail, kRestoreMode);
}

namespace {

class FakeWmi : public IWmiQuery {
public:
    int32_t Status = 1;
    std::wstring Answer;
    bool Raise = false;
    Lines Queries;
    int32_t WmiQueryValue(const std::wstring& query, const std::wstring& property,
                          std::wstring& value) override {
        Queries.push_back(query + L" / " + property);
        if (Raise)
            throw std::runtime_error("COM failure");
        value = Status == 1 ? Answer : L"";
        return Status;
    }
};

class FakeProcessPaths : public IProcessPaths {
public:
    std::vector<TRunningProcess> Processes;
    bool RaiseOnPath = false;
    std::vector<TRunningProcess> RunningProcesses() override { return Processes; }
    std::wstring FullPath(uint32_t processID) override {
        if (RaiseOnPath)
            throw std::runtime_error("access denied");
        return L"C:\\Pid" + std::to_wstring(processID) + L"\\app.exe";
    }
};

} // namespace

TEST(QueryExecutablePath, QueryTextKeepsApostrophesUnlessTheNameHoldsOne) {
    EXPECT_EQ(WqlProcessQuery(L"player.exe"),
              L"SELECT * FROM Win32_Process WHERE Name='player.exe'");
    EXPECT_EQ(WqlProcessQuery(L"it's.exe"), L"SELECT * FROM Win32_Process WHERE Name=\"it's.exe\"");
    EXPECT_EQ(WqlProcessQuery(L""), L"SELECT * FROM Win32_Process WHERE Name=''");
}

TEST(QueryExecutablePath, WmiAnswersAndTheProcessListStandsInOnlyWhenItCannot) {
    struct Case {
        const char* name;
        int32_t status;
        bool wmiRaises;
        std::vector<TRunningProcess> processes;
        bool pathRaises;
        std::wstring expected;
    };
    const std::vector<TRunningProcess> one = {{L"svc.exe", 1}, {L"Player.EXE", 7}};
    const std::vector<TRunningProcess> two = {{L"player.exe", 7}, {L"PLAYER.exe", 8}};
    const Case cases[] = {
        {"one object", 1, false, one, false, L"C:\\Wmi\\player.exe"},
        {"no object", 0, false, one, false, L""},
        {"several objects", 3, false, one, false, L""},
        {"no answer: one process listed", -1, false, one, false, L"C:\\Pid7\\app.exe"},
        {"no answer: two processes listed", -1, false, two, false, L""},
        {"no answer: none listed", -1, false, {{L"other.exe", 3}}, false, L""},
        {"no answer: path unreadable", -1, false, one, true, L""},
        {"the query raises", 1, true, one, false, L""},
    };
    for (const auto& c : cases) {
        FakeWmi wmi;
        wmi.Status = c.status;
        wmi.Answer = L"C:\\Wmi\\player.exe";
        wmi.Raise = c.wmiRaises;
        FakeProcessPaths processes;
        processes.Processes = c.processes;
        processes.RaiseOnPath = c.pathRaises;
        TExecutablePathLookup lookup(wmi, processes);
        EXPECT_EQ(lookup.QueryExecutablePath(L"player.exe"), c.expected) << c.name;
        EXPECT_EQ(wmi.Queries,
                  Lines{L"SELECT * FROM Win32_Process WHERE Name='player.exe' / ExecutablePath"})
            << c.name;
    }
}
