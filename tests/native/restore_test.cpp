#include "core/optimisation_core.h"

#include "core_fakes.h"
#include "platform/text.h"

#include <gtest/gtest.h>

using namespace skorvel;
using namespace skorvel::testing;

namespace {

using Lines = std::vector<std::wstring>;

const Lines kOptimiseMode = {L"show StartBtn", L"show StartMenuBtn", L"hide PrzywrocBtn",
                             L"hide PrzywrocMenuBtn"};

// A core after an optimisation that closed the given applications.
void Optimise(FakeCore& f, const Lines& exeFiles) {
    f.View.Ticks.assign(kCategoryRowCount, false);
    f.View.Ticks[2] = true;
    f.SetFilter(2, exeFiles);
    uint32_t pid = 100;
    for (const auto& exe : exeFiles) {
        f.Processes.Running.push_back({exe, pid++});
        f.Wmi.Paths[exe] = L"C:\\Apps\\" + exe;
    }
    f.Core.StartBtnClick();
    f.Log.clear();
}

} // namespace

TEST(SortUnique, SortsAndKeepsOneEntryPerGroupThatComparesEqual) {
    const struct {
        Lines input;
        Lines sortedFolded; // the result, upper-cased: which spelling survives is open
    } cases[] = {
        {{L"C:\\Apps\\b.exe", L"C:\\Apps\\A.exe", L"c:\\apps\\b.EXE"},
         {L"C:\\APPS\\A.EXE", L"C:\\APPS\\B.EXE"}},
        {{}, {}},
        {{L"x", L"x", L"x"}, {L"X"}},
        {{L"d", L"C", L"b", L"A", L"c"}, {L"A", L"B", L"C", L"D"}},
    };
    for (const auto& c : cases) {
        Lines list = c.input;
        SortUnique(list, CompareAsciiNoCase);
        Lines folded;
        for (const auto& entry : list)
            folded.push_back(AsciiUpper(entry));
        EXPECT_EQ(folded, c.sortedFolded);
    }
}

// Paths that compare equal keep the order in which they were recorded, so the
// spelling recorded first is the one relaunched, however many there are.
TEST(SortUnique, OfPathsThatCompareEqualTheFirstRecordedStays) {
    const struct {
        Lines input, result;
    } cases[] = {
        {{L"C:\\A\\x.exe", L"c:\\a\\X.EXE"}, {L"C:\\A\\x.exe"}},
        {{L"c:\\a\\X.EXE", L"C:\\A\\x.exe"}, {L"c:\\a\\X.EXE"}},
        {{L"b", L"A", L"B", L"a", L"b"}, {L"A", L"b"}},
        {{L"x1", L"X1", L"x1", L"X1", L"x1", L"X1", L"x1", L"X1", L"x1", L"X1",
          L"x1", L"X1", L"x1", L"X1", L"x1", L"X1", L"x1", L"X1", L"x1", L"X1"},
         {L"x1"}},
    };
    for (const auto& c : cases) {
        Lines list = c.input;
        SortUnique(list, CompareAsciiNoCase);
        EXPECT_EQ(list, c.result) << WideToUtf8(c.input.front());
    }
}

TEST(PrzywrocBtnClick, LaunchesInPathOrderWithMessagesBeforeEachThenServicesModeAndTicks) {
    FakeCore f;
    Optimise(f, {L"b.exe", L"a.exe", L"B.EXE"});
    f.Services.States = {{L"uxsms", TServiceState::Stopped}, {L"Themes", TServiceState::Stopped}};
    f.View.Ticks.assign(kCategoryRowCount, true);

    f.Core.PrzywrocBtnClick();
    Lines expected = {L"messages", L"launch C:\\Apps\\a.exe", L"messages"};
    expected.push_back(f.Events(L"launch").at(1)); // one spelling of b.exe
    expected.insert(expected.end(),
                    {L"service manager", L"connect - - 983103", L"open uxsms", L"start uxsms",
                     L"open Themes", L"start Themes", L"service manager freed"});
    expected.insert(expected.end(), kOptimiseMode.begin(), kOptimiseMode.end());
    EXPECT_EQ(f.Log, expected);
    EXPECT_EQ(AsciiUpper(f.Events(L"launch").at(1)), L"LAUNCH C:\\APPS\\B.EXE");
    EXPECT_EQ(f.Core.ClosedApps().size(), 2u); // sorted and de-duplicated, not emptied
    EXPECT_FALSE(f.View.Ticks[0]);
    EXPECT_TRUE(f.View.Ticks[2]);
    EXPECT_FALSE(f.View.Ticks[9]);
}

TEST(PrzywrocBtnClick, EmptyRecordStillStartsTheServicesAndReturnsToOptimiseMode) {
    FakeCore f;
    Optimise(f, {});
    f.Services.States = {{L"Themes", TServiceState::Stopped}}; // no uxsms on this system
    f.Core.PrzywrocBtnClick();
    EXPECT_TRUE(f.Events(L"launch").empty());
    EXPECT_EQ(f.Events(L"start"), Lines{L"start Themes"});
    const Lines tail(f.Log.end() - 4, f.Log.end());
    EXPECT_EQ(tail, kOptimiseMode);
}

TEST(PrzywrocBtnClick, APressDuringTheRestoreDoesNothing) {
    FakeCore f;
    Optimise(f, {L"a.exe", L"b.exe", L"c.exe"});
    int presses = 0;
    f.View.OnProcessMessages = [&] {
        if (presses++ < 2)
            f.Core.PrzywrocBtnClick();
    };
    f.Core.PrzywrocBtnClick();
    EXPECT_EQ(f.Events(L"launch"), (Lines{L"launch C:\\Apps\\a.exe", L"launch C:\\Apps\\b.exe",
                                          L"launch C:\\Apps\\c.exe"}));
    EXPECT_EQ(f.Events(L"service manager freed").size(), 1u);
    EXPECT_EQ(f.Events(L"show StartBtn").size(), 1u);

    // Once it has ended, the next restore runs again.
    f.View.OnProcessMessages = nullptr;
    f.Core.PrzywrocBtnClick();
    EXPECT_EQ(f.Events(L"launch").size(), 6u);
}

TEST(PrzywrocBtnClick, AFailingEffectsSwitchLeavesRestoreModeAndTheTicksAndPropagates) {
    FakeCore f;
    Optimise(f, {L"a.exe"});
    f.Services.RaiseOnOpen = true;
    f.View.Ticks.assign(kCategoryRowCount, true);
    EXPECT_THROW(f.Core.PrzywrocBtnClick(), std::runtime_error);
    EXPECT_EQ(f.Events(L"launch"), Lines{L"launch C:\\Apps\\a.exe"});
    EXPECT_TRUE(f.Events(L"show").empty());
    EXPECT_TRUE(f.View.Ticks[0]);
    EXPECT_EQ(f.Services.Alive, 0);

    // The guard is released: a later press restores again.
    f.Services.RaiseOnOpen = false;
    f.Core.PrzywrocBtnClick();
    EXPECT_EQ(f.Events(L"launch").size(), 2u);
    EXPECT_EQ(f.Events(L"show StartBtn").size(), 1u);
}

namespace {

// The launch events of the log, in order (the routes' own words).
Lines Launches(const FakeCore& f) {
    Lines found;
    for (const auto& event : f.Log)
        if (event.rfind(L"launch ", 0) == 0 || event.rfind(L"refused ", 0) == 0 ||
            event.rfind(L"shell open ", 0) == 0)
            found.push_back(event);
    return found;
}

const std::wstring kA = L"C:\\Apps\\a.exe", kB = L"C:\\Apps\\b.exe", kC = L"C:\\Apps\\c.exe";

} // namespace

TEST(PrzywrocBtnClick, TheDesktopShellIsFetchedOncePerRunRetriedOnceThenFallenBackFrom) {
    const struct {
        const char* name;
        std::set<std::wstring> missing;
        std::set<int> noShellAt, deadShells;
        std::set<std::wstring> refused;
        Lines launches;
        std::vector<int> fetchesBeforeEach; // sampled as each path's messages are processed
    } cases[] = {
        {"one shell for every launch",
         {},
         {},
         {},
         {},
         {L"launch " + kA, L"launch " + kB, L"launch " + kC},
         {0, 1, 1}},
        {"fetched at the first path that exists",
         {kA},
         {},
         {},
         {},
         {L"shell open " + kA, L"launch " + kB, L"launch " + kC},
         {0, 0, 1}},
        {"no path exists: nothing fetched",
         {kA, kB, kC},
         {},
         {},
         {},
         {L"shell open " + kA, L"shell open " + kB, L"shell open " + kC},
         {0, 0, 0}},
        {"no desktop shell: not asked again",
         {},
         {1},
         {},
         {},
         {L"shell open " + kA, L"shell open " + kB, L"shell open " + kC},
         {0, 1, 1}},
        {"a stale shell is replaced and the launch retried",
         {},
         {},
         {1},
         {},
         {L"refused " + kA, L"launch " + kA, L"launch " + kB, L"launch " + kC},
         {0, 2, 2}},
        {"a launch refused twice falls back",
         {},
         {},
         {},
         {kB},
         {L"launch " + kA, L"refused " + kB, L"refused " + kB, L"shell open " + kB,
          L"launch " + kC},
         {0, 1, 2}},
        {"the shell gone for good",
         {},
         {2},
         {1},
         {},
         {L"refused " + kA, L"shell open " + kA, L"shell open " + kB, L"shell open " + kC},
         {0, 2, 2}},
        {"each refused launch fetches once more",
         {},
         {},
         {1, 2},
         {},
         {L"refused " + kA, L"refused " + kA, L"shell open " + kA, L"refused " + kB,
          L"launch " + kB, L"launch " + kC},
         {0, 2, 3}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FakeCore f;
        Optimise(f, {L"a.exe", L"b.exe", L"c.exe"});
        f.Launcher.Missing = c.missing;
        f.Launcher.NoShellAt = c.noShellAt;
        f.Launcher.DeadShells = c.deadShells;
        f.Launcher.Refused = c.refused;
        std::vector<int> fetches;
        f.View.OnProcessMessages = [&] {
            fetches.push_back(f.Launcher.Fetches);
            EXPECT_LE(f.Launcher.Alive, 1);
        };

        f.Core.PrzywrocBtnClick();
        EXPECT_EQ(Launches(f), c.launches);
        EXPECT_EQ(fetches, c.fetchesBeforeEach);
        EXPECT_EQ(f.Launcher.Alive, 0);
        EXPECT_EQ(f.Events(L"show StartBtn").size(), 1u);
    }
}

TEST(PrzywrocBtnClick, EachRunFetchesItsOwnShellAndHoldsNoneBetweenRuns) {
    FakeCore f;
    Optimise(f, {L"a.exe", L"b.exe"});
    f.Core.PrzywrocBtnClick();
    EXPECT_EQ(f.Launcher.Fetches, 1);
    EXPECT_EQ(f.Launcher.Alive, 0);

    f.Core.PrzywrocBtnClick();
    EXPECT_EQ(f.Launcher.Fetches, 2);
    EXPECT_EQ(f.Launcher.Alive, 0);
    EXPECT_EQ(f.Events(L"launch"),
              (Lines{L"launch " + kA, L"launch " + kB, L"launch " + kA, L"launch " + kB}));
}

TEST(PrzywrocBtnClick, ARaisingLaunchOrMessageReleasesTheShellAndLeavesRestoreMode) {
    for (const bool inMessages : {false, true}) {
        SCOPED_TRACE(inMessages ? "raised while messages are processed" : "raised by a launch");
        FakeCore f;
        Optimise(f, {L"a.exe", L"b.exe", L"c.exe"});
        int messages = 0;
        if (inMessages)
            f.View.OnProcessMessages = [&] {
                if (++messages == 2)
                    throw std::runtime_error("handler failed");
            };
        else
            f.Launcher.RaisesOn = kB;

        EXPECT_THROW(f.Core.PrzywrocBtnClick(), std::runtime_error);
        EXPECT_EQ(f.Events(L"launch"), Lines{L"launch " + kA});
        EXPECT_EQ(f.Launcher.Fetches, 1);
        EXPECT_EQ(f.Launcher.Alive, 0);
        EXPECT_TRUE(f.Events(L"service manager").empty());
        EXPECT_TRUE(f.Events(L"show").empty());

        // The guard is released with the shell: the next press restores.
        f.View.OnProcessMessages = nullptr;
        f.Launcher.RaisesOn.clear();
        f.Core.PrzywrocBtnClick();
        EXPECT_EQ(f.Events(L"launch").size(), 4u);
        EXPECT_EQ(f.Launcher.Fetches, 2);
        EXPECT_EQ(f.Launcher.Alive, 0);
    }
}
