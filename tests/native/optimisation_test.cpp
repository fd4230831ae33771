#include "core/optimisation_core.h"

#include "core_fakes.h"

#include <gtest/gtest.h>

#include <algorithm>

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
        f.Wmi.Paths = c.paths;
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
    expected.insert(expected.end(),
                    {L"update", L"update", L"wmi connect", L"lookup a.exe", L"terminate 10"});
    for (int row = 2; row < 8; ++row)
        expected.push_back(L"update");
    // Row 8: a.exe is gone from the fresh snapshot. The connection goes once
    // the last row is done.
    expected.insert(expected.end(), {L"update", L"lookup b.exe", L"terminate 11", L"update",
                                     L"wmi freed", L"update"});
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

// The run's path lookups share one WMI connection, made at the first lookup
// and released before the run ends, however it ends; each run has its own.
TEST(StartBtnClick, OneWmiConnectionPerRunReleasedBeforeTheRunEnds) {
    struct Case {
        const char* name;
        std::vector<FakeProcess> processes;
        int failUpdateAt;
        size_t connections;
    };
    const Case cases[] = {
        {"matches in two rows", {{L"a.exe", 10}, {L"b.exe", 11}, {L"c.exe", 12}}, -1, 1},
        {"nothing matches", {{L"c.exe", 12}}, -1, 0},
        {"a snapshot fails after a match", {{L"a.exe", 10}, {L"b.exe", 11}}, 4, 1},
    };
    for (const auto& c : cases) {
        FakeCore f;
        f.View.Ticks[2] = f.View.Ticks[5] = true;
        f.SetFilter(2, {L"a.exe"});
        f.SetFilter(5, {L"b.exe", L"a.exe"});
        f.Processes.Running = c.processes;
        f.Processes.FailUpdateAt = c.failUpdateAt;
        for (int run = 0; run < 2; ++run) {
            f.Log.clear();
            try {
                f.Core.StartBtnClick();
            } catch (const std::runtime_error&) {
                EXPECT_GE(c.failUpdateAt, 0) << c.name;
            }
            const size_t connections = run == 0 ? c.connections : 1;
            EXPECT_EQ(f.Events(L"wmi connect").size(), connections) << c.name << run;
            EXPECT_EQ(f.Events(L"wmi freed").size(), connections) << c.name << run;
            EXPECT_EQ(f.Wmi.Alive, 0) << c.name << run;
            const auto freed = std::find(f.Log.begin(), f.Log.end(), L"wmi freed");
            const auto hidden = std::find(f.Log.begin(), f.Log.end(), L"hide StartBtn");
            if (connections) {
                EXPECT_LT(freed - f.Log.begin(), hidden - f.Log.begin()) << c.name << run;
            }
            // The next run finds a new instance to close.
            f.Processes.Running.push_back({L"a.exe", 20});
        }
    }
}

// Where WMI cannot answer, it is asked once per run; the lookups are then
// answered from the row's snapshot without the processes the run has ended,
// still only for a single live process of the name.
TEST(StartBtnClick, WithoutWmiTheRowsSnapshotAnswersForASingleLiveProcess) {
    for (TTermination firstTwin : {TTermination::Terminated, TTermination::NotOpened}) {
        const bool ended = firstTwin == TTermination::Terminated;
        FakeCore f;
        f.Wmi.Status = -1;
        f.View.Ticks[2] = f.View.Ticks[5] = true;
        f.SetFilter(2, {L"a.exe", L"twin.exe"});
        f.SetFilter(5, {L"b.exe"});
        f.Processes.Running = {
            {L"a.exe", 10}, {L"twin.exe", 11, firstTwin}, {L"twin.exe", 12}, {L"b.exe", 13}};
        f.Core.StartBtnClick();
        EXPECT_EQ(f.Events(L"lookup"), Lines{L"lookup a.exe"}) << ended;
        EXPECT_EQ(f.Events(L"terminate"),
                  (Lines{L"terminate 10", L"terminate 11", L"terminate 12", L"terminate 13"}))
            << ended;
        // With both twins alive at both lookups, neither gets a path.
        EXPECT_EQ(f.Events(L"path"), ended ? (Lines{L"path 10", L"path 12", L"path 13"})
                                           : (Lines{L"path 10", L"path 13"}))
            << ended;
        EXPECT_EQ(f.Core.ClosedApps(),
                  ended ? (Lines{L"C:\\Pid10\\a.exe", L"C:\\Pid12\\twin.exe", L"C:\\Pid13\\b.exe"})
                        : (Lines{L"C:\\Pid10\\a.exe", L"C:\\Pid13\\b.exe"}))
            << ended;
        EXPECT_EQ(f.Events(L"update").size(), 11u) << "no snapshot beyond the run's own";
        EXPECT_EQ(f.Events(L"wmi connect").size(), 1u);
    }
}

TEST(QueryExecutablePath, QueryTextKeepsApostrophesUnlessTheNameHoldsOne) {
    EXPECT_EQ(WqlProcessQuery(L"player.exe"),
              L"SELECT * FROM Win32_Process WHERE Name='player.exe'");
    EXPECT_EQ(WqlProcessQuery(L"it's.exe"), L"SELECT * FROM Win32_Process WHERE Name=\"it's.exe\"");
    EXPECT_EQ(WqlProcessQuery(L""), L"SELECT * FROM Win32_Process WHERE Name=''");
}

TEST(QueryExecutablePath, WmiAnswersAndTheRunsSnapshotStandsInOnlyWhenItCannot) {
    struct Case {
        const char* name;
        int32_t status;
        bool wmiRaises;
        std::vector<FakeProcess> processes;
        std::vector<uint32_t> ended; // terminated by the run
        bool pathRaises;
        std::wstring expected;
    };
    const std::vector<FakeProcess> one = {{L"svc.exe", 1}, {L"Player.EXE", 7}};
    const std::vector<FakeProcess> two = {{L"player.exe", 7}, {L"PLAYER.exe", 8}};
    const Case cases[] = {
        {"one object", 1, false, one, {}, false, L"C:\\Apps\\player.exe"},
        {"no object", 0, false, one, {}, false, L""},
        {"several objects", 3, false, one, {}, false, L""},
        {"no answer: one process listed", -1, false, one, {}, false, L"C:\\Pid7\\Player.EXE"},
        {"no answer: two processes listed", -1, false, two, {}, false, L""},
        {"no answer: two listed, one ended", -1, false, two, {7}, false, L"C:\\Pid8\\PLAYER.exe"},
        {"no answer: the one listed ended", -1, false, one, {7}, false, L""},
        {"no answer: none listed", -1, false, {{L"other.exe", 3}}, {}, false, L""},
        {"no answer: path unreadable", -1, false, one, {}, true, L""},
        {"the query raises", 1, true, one, {}, false, L""},
    };
    for (const auto& c : cases) {
        TEventLog log;
        FakeWmi wmi(log);
        wmi.Status = c.status;
        wmi.Raise = c.wmiRaises;
        FakeProcessList processes(log);
        processes.Running = c.processes;
        processes.UpdateList();
        if (c.pathRaises)
            processes.UnreadablePaths = {7};
        TExecutablePathLookup lookup(wmi, processes);
        for (uint32_t processID : c.ended)
            lookup.ProcessEnded(processID);
        EXPECT_EQ(lookup.QueryExecutablePath(L"player.exe"), c.expected) << c.name;
        EXPECT_EQ(std::count(log.begin(), log.end(), L"lookup player.exe"), 1) << c.name;
        // The path comes from the run's snapshot, never from a new one.
        EXPECT_EQ(std::count(log.begin(), log.end(), L"update"), 1) << c.name;
    }
}

// Every lookup of one lookup object (one run) goes through one connection,
// released with the object; once WMI has answered -1 it is not asked again.
TEST(QueryExecutablePath, OneConnectionAndNoQueryOnceWmiCannotAnswer) {
    for (int32_t status : {1, 0, -1}) {
        TEventLog log;
        FakeWmi wmi(log);
        wmi.Status = status;
        FakeProcessList processes(log);
        processes.Running = {{L"a.exe", 10}, {L"b.exe", 11}, {L"c.exe", 12}};
        processes.UpdateList();
        log.clear();
        {
            TExecutablePathLookup lookup(wmi, processes);
            EXPECT_EQ(log, Lines{}) << "nothing is made before the first lookup";
            for (const wchar_t* name : {L"a.exe", L"b.exe", L"c.exe"})
                lookup.QueryExecutablePath(name);
            EXPECT_EQ(wmi.Alive, 1);
        }
        const Lines expected = status == -1 ? Lines{L"wmi connect", L"lookup a.exe", L"path 10",
                                                    L"path 11",     L"path 12",      L"wmi freed"}
                                            : Lines{L"wmi connect", L"lookup a.exe",
                                                    L"lookup b.exe", L"lookup c.exe", L"wmi freed"};
        EXPECT_EQ(log, expected) << status;
        EXPECT_EQ(wmi.Alive, 0);
    }
}
