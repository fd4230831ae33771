#include "core/filter_editor.h"

#include "platform/text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cwctype>
#include <locale.h>

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

// The order folds case as the host C library upper-cases the letters below
// U+0180 (ASCII, Latin-1, Latin Extended-A): every pair of code points below
// U+0250 sorts as one letter exactly when their upper cases agree there. Three
// letters keep the order's own rule: dotless i pairs with the dotted capital
// (its neighbour), and y with diaeresis and the long s, whose capitals the
// pair rule does not reach, are not folded.
TEST(FilterEditorOrder, CaseFoldsLikeTheHostsUpperCase) {
    const locale_t utf8 = ::newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t(nullptr));
    ASSERT_NE(utf8, locale_t(nullptr)) << "the host has no C.UTF-8 locale";
    constexpr char32_t kEnd = 0x250;
    std::vector<char32_t> fold(kEnd);
    for (char32_t c = 0; c < kEnd; ++c) {
        const auto upper = char32_t(::towupper_l(wint_t(c), utf8));
        fold[c] = upper < 0x180 ? upper : c;
    }
    ::freelocale(utf8);
    fold[0x131] = 0x130;
    fold[0xFF] = 0xFF;
    fold[0x17F] = 0x17F;

    // Two texts that differ in their first letter and then in a second one
    // that orders them the other way: the first letters fold together
    // exactly when the second letter decides both ways.
    const auto sameLetter = [](char32_t x, char32_t y) {
        const std::wstring xa = {wchar_t(x), L'a'}, xb = {wchar_t(x), L'b'};
        const std::wstring ya = {wchar_t(y), L'a'}, yb = {wchar_t(y), L'b'};
        return FilterEntryLess(xa, yb) && FilterEntryLess(ya, xb);
    };
    int wrong = 0;
    for (char32_t x = 1; x < kEnd && wrong < 10; ++x)
        for (char32_t y = x + 1; y < kEnd && wrong < 10; ++y)
            if (sameLetter(x, y) != (fold[x] == fold[y])) {
                ++wrong;
                ADD_FAILURE() << std::hex << "U+" << unsigned(x) << " and U+" << unsigned(y)
                              << (fold[x] == fold[y] ? " should" : " should not")
                              << " sort as one letter";
            }
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

// Read one entry at a time, the place is the same as in the whole list, found
// by reading no more than about log2 of the entries.
TEST(FilterEditorOrder, TheInsertPlaceNeedsOnlyAFewEntries) {
    Lines sorted;
    for (int i = 0; i < 1000; ++i)
        sorted.push_back(std::to_wstring(10000 + 2 * (i / 3))); // runs of equal entries
    for (const auto& entry :
         {std::wstring(), std::wstring(L"10000"), std::wstring(L"10333"), std::wstring(L"10664"),
          std::wstring(L"10665"), std::wstring(L"10666"), std::wstring(L"9")}) {
        int reads = 0;
        const size_t place = FilterEntryInsertPosition(
            sorted.size(),
            [&](size_t index) {
                ++reads;
                return sorted.at(index);
            },
            entry);
        EXPECT_EQ(place,
                  size_t(std::upper_bound(sorted.begin(), sorted.end(), entry, FilterEntryLess) -
                         sorted.begin()))
            << WideToUtf8(entry);
        EXPECT_LE(reads, 11) << WideToUtf8(entry); // 2^10 > 1000
    }
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
