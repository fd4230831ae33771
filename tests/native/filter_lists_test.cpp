#include "core/filter_lists.h"

#include "core_fakes.h"

#include <gtest/gtest.h>

using namespace skorvel;
using namespace skorvel::testing;

namespace {

using Lines = std::vector<std::wstring>;

std::wstring PathOf(int row) {
    return FilterFilePath(kTestFilterFolder, row);
}

} // namespace

TEST(FilterLists, FilePathsFollowTheStems) {
    EXPECT_EQ(FilterFilePath(L"C:\\P\\filters\\skorvel\\", 0),
              L"C:\\P\\filters\\skorvel\\antywirusy.txt");
    EXPECT_EQ(FilterFilePath(L"C:\\P\\filters\\skorvel\\", 3),
              L"C:\\P\\filters\\skorvel\\menedzery_plikow.txt");
    EXPECT_EQ(std::wstring(kFilterSubfolder), L"filters\\skorvel\\");
}

TEST(FilterLists, ExistingFilesReplaceTheirRowsAndMissingOnesKeepTheirLastKeywords) {
    TEventLog log;
    FakeFilterFiles files(log);
    TCategoryFilters filters;
    files.Files[PathOf(0)] = {L"a.exe", L"b.exe"};
    files.Files[PathOf(5)] = {L"dl.exe"};
    LoadFilterLists(kTestFilterFolder, files, filters);
    EXPECT_EQ(filters[0], (Lines{L"a.exe", L"b.exe"}));
    EXPECT_EQ(filters[5], Lines{L"dl.exe"});
    EXPECT_TRUE(filters[1].empty());

    files.Files.erase(PathOf(0));             // removed since the last run
    files.Files[PathOf(5)] = {};              // emptied since the last run
    files.Files[PathOf(9)] = {L"", L"v.exe"}; // new
    LoadFilterLists(kTestFilterFolder, files, filters);
    EXPECT_EQ(filters[0], (Lines{L"a.exe", L"b.exe"}));
    EXPECT_TRUE(filters[5].empty());
    EXPECT_EQ(filters[9], (Lines{L"", L"v.exe"}));
}

TEST(FilterLists, AnUnreadableFileRaisesAfterTheRowsBeforeItWereReloaded) {
    TEventLog log;
    FakeFilterFiles files(log);
    TCategoryFilters filters;
    for (int row = 0; row < kFilterCategoryCount; ++row)
        filters[row] = {L"old" + std::to_wstring(row) + L".exe"};
    for (int row = 0; row < kFilterCategoryCount; ++row)
        files.Files[PathOf(row)] = {L"new" + std::to_wstring(row) + L".exe"};
    files.Files.erase(PathOf(4));
    files.Unreadable = {PathOf(4)};

    EXPECT_THROW(LoadFilterLists(kTestFilterFolder, files, filters), Exception);
    for (int row = 0; row < kFilterCategoryCount; ++row) {
        const std::wstring expected = (row < 4 ? L"new" : L"old") + std::to_wstring(row) + L".exe";
        EXPECT_EQ(filters[row], Lines{expected}) << row;
    }
}

TEST(FilterLists, FolderEntriesBecomeCaptions) {
    const struct {
        const wchar_t* name;
        const wchar_t* caption;
    } cases[] = {
        {L"antywirusy.txt", L"Antywirusy"},
        {L"menedzery_plikow.txt", L"Manad\u017Cery plik\u00F3w i kompresja"},
        {L"nowe.txt", L"nowe"},
        {L"INNE.TXT", L"INNE.TXT"}, // the extension is removed case-sensitively
        {L"inne.txt.txt", L"inne.txt"},
        {L"a.txtb.txt", L"ab.txt"}, // only the first ".txt" goes
        {L".txt", L""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FilterEntryCaption(c.name), c.caption) << c.name;
    EXPECT_TRUE(IsDotEntry(L"."));
    EXPECT_TRUE(IsDotEntry(L".."));
    EXPECT_FALSE(IsDotEntry(L"...txt"));
}
