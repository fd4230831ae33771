#include "core/filter_editor.h"

#include "platform/text.h"

#include <gtest/gtest.h>

using namespace skorvel;

namespace {
using Lines = std::vector<std::wstring>;
}

TEST(FilterEditorOrder, AlphabeticalIgnoringCaseWithTiesByExactText) {
    const Lines sorted = SortFilterEntries({L"b.exe", L"", L"A.exe", L"a.exe", L"\u017Bar.exe",
                                            L"\u017Car.exe", L"Zeta.exe", L"a.exe", L"ab.exe",
                                            L"\u00C9cran.exe", L"\u00E9cran.exe", L"_x.exe"});
    const Lines expected = {L"",
                            L"A.exe",
                            L"a.exe",
                            L"a.exe",
                            L"ab.exe",
                            L"b.exe",
                            L"Zeta.exe",
                            L"_x.exe",
                            L"\u00C9cran.exe",
                            L"\u00E9cran.exe",
                            L"\u017Bar.exe",
                            L"\u017Car.exe"};
    EXPECT_EQ(sorted, expected);
    // The order is strict and consistent: no entry is less than itself, and
    // each neighbour pair is ordered.
    for (size_t i = 0; i < sorted.size(); ++i) {
        EXPECT_FALSE(FilterEntryLess(sorted[i], sorted[i]));
        if (i > 0) {
            EXPECT_FALSE(FilterEntryLess(sorted[i], sorted[i - 1])) << i;
        }
    }
    // Case pairs of Latin Extended-A fold together, on even and on odd codes.
    EXPECT_TRUE(FilterEntryLess(L"\u0105b", L"\u0104C")); // ą, Ą
    EXPECT_TRUE(FilterEntryLess(L"\u017Ab", L"\u0179C")); // ź, Ź
    EXPECT_TRUE(FilterEntryLess(L"\u0142b", L"\u0141C")); // ł, Ł
}

TEST(FilterEditorOrder, AddedEntriesGoAfterTheirEquals) {
    const Lines sorted = {L"", L"a.exe", L"B.exe", L"b.exe", L"c.exe"};
    const struct {
        std::wstring entry;
        size_t position;
    } cases[] = {
        {L"", 1},      {L"0.exe", 1}, {L"a.exe", 2},  {L"A.exe", 1},
        {L"b.exe", 4}, {L"B.exe", 3}, {L"bb.exe", 4}, {L"z.exe", 5},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FilterEntryInsertPosition(sorted, c.entry), c.position) << WideToUtf8(c.entry);
    EXPECT_EQ(FilterEntryInsertPosition({}, L"x"), 0u);
}

TEST(FilterEditorFiles, CategoryCaptionsMapToTheirStemsOthersPassThrough) {
    const std::wstring folder = L"C:\\P\\filters\\skorvel\\";
    EXPECT_EQ(CategoryFilePath(folder, L"Manad\u017Cery plik\u00F3w i kompresja"),
              folder + L"menedzery_plikow.txt");
    EXPECT_EQ(CategoryFilePath(folder, L"nowe"), folder + L"nowe.txt");
    EXPECT_EQ(CategoryFilePath(folder, L"INNE.TXT"), folder + L"INNE.TXT.txt");
    EXPECT_EQ(CategoryFilePath(folder, L""), folder + L".txt");
}

TEST(FilterEditorModes, TheLoadButtonsFlagIsTheMode) {
    EXPECT_EQ(EditorModeOf(true), TEditorMode::emChoosing);
    EXPECT_EQ(EditorModeOf(false), TEditorMode::emEditing);
    EXPECT_TRUE(ChooserEnabled(TEditorMode::emChoosing));
    EXPECT_FALSE(EditControlsEnabled(TEditorMode::emChoosing));
    EXPECT_FALSE(ChooserEnabled(TEditorMode::emEditing));
    EXPECT_TRUE(EditControlsEnabled(TEditorMode::emEditing));
}
