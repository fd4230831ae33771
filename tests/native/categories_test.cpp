#include "core/categories.h"
#include "core/category_ticks.h"

#include "core_fakes.h"

#include <gtest/gtest.h>

using namespace skorvel;
using namespace skorvel::testing;

TEST(Categories, TableHoldsTheElevenRowsInOrder) {
    const struct {
        const wchar_t* caption;
        const wchar_t* stem;
        bool tick;
    } expected[] = {
        {L"Antywirusy", L"antywirusy", false},
        {L"Inne", L"inne", false},
        {L"Komunikatory", L"komunikatory", true},
        {L"Manad\u017Cery plik\u00F3w i kompresja", L"menedzery_plikow", true},
        {L"Odtwarzacze multimedialne", L"odtwarzacze_multimedialne", true},
        {L"Pobieranie danych", L"pobieranie_danych", true},
        {L"Programy biurowe", L"programy_biurowe", true},
        {L"Przegl\u0105darki internetowe", L"przegladarki_internetowe", true},
        {L"U\u017Cytkowe", L"uzytkowe", true},
        {L"Wirtualne dyski i montowanie nap\u0119d\u00F3w", L"wirtualne_dyski", false},
    };
    ASSERT_EQ(std::size(expected), kCategories.size());
    const std::vector<std::wstring> captions = CategoryRowCaptions();
    ASSERT_EQ(captions.size(), size_t(kCategoryRowCount));
    for (size_t row = 0; row < kCategories.size(); ++row) {
        EXPECT_EQ(std::wstring(kCategories[row].Caption), expected[row].caption) << row;
        EXPECT_EQ(std::wstring(kCategories[row].FileStem), expected[row].stem) << row;
        EXPECT_EQ(kCategories[row].DefaultTick, expected[row].tick) << row;
        EXPECT_EQ(captions[row], expected[row].caption) << row;
    }
    EXPECT_EQ(captions[kEffectsRow], L"Wy\u0142\u0105cz efekty Aero i kompozycje");
}

TEST(Categories, NameMappingsAreExactAndPassUnknownTextThrough) {
    const struct {
        const wchar_t* stem;
        const wchar_t* caption;
    } cases[] = {
        {L"menedzery_plikow", L"Manad\u017Cery plik\u00F3w i kompresja"},
        {L"antywirusy", L"Antywirusy"},
        {L"wirtualne_dyski", L"Wirtualne dyski i montowanie nap\u0119d\u00F3w"},
        {L"Menedzery_plikow", L"Menedzery_plikow"}, // case-sensitive
        {L"nowe", L"nowe"},
        {L"", L""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CategoryDisplayName(c.stem), c.caption) << c.stem;

    EXPECT_EQ(CategoryFileStem(L"Manad\u017Cery plik\u00F3w i kompresja"), L"menedzery_plikow");
    EXPECT_EQ(CategoryFileStem(L"U\u017Cytkowe"), L"uzytkowe");
    EXPECT_EQ(CategoryFileStem(L"u\u017Cytkowe"), L"u\u017Cytkowe");
    // The effects row takes part in neither mapping.
    EXPECT_EQ(CategoryFileStem(kEffectsRowCaption), kEffectsRowCaption);
}

TEST(CategoryTicks, DefaultsDependOnTheWindowsKind) {
    const struct {
        TWindowsType kind;
        bool effectsTicked;
        bool effectsEnabled;
    } cases[] = {
        {winUnknown, true, true}, {winXP, true, true},  {winVista, true, true},
        {winSeven, true, true},   {win8, false, false}, {winServer2012, false, false},
    };
    for (const auto& c : cases) {
        TEventLog log;
        FakeView view(log);
        view.Ticks.assign(kCategoryRowCount, true);
        view.Ticks[2] = false;
        view.Ticks[kEffectsRow] = !c.effectsTicked;
        SetCheckboxesToDefault(view, c.kind);
        const std::vector<bool> expected = {false, false, true, true,  true,           true,
                                            true,  true,  true, false, c.effectsTicked};
        EXPECT_EQ(view.Ticks, expected) << int(c.kind);
        EXPECT_EQ(view.Enabled[kEffectsRow], c.effectsEnabled) << int(c.kind);
    }
}

TEST(CategoryTicks, EffectsRowIsNeverReEnabled) {
    TEventLog log;
    FakeView view(log);
    SetCheckboxesToDefault(view, win8);
    SetCheckboxesToDefault(view, winSeven);
    EXPECT_FALSE(view.Enabled[kEffectsRow]);
    EXPECT_TRUE(view.Ticks[kEffectsRow]);
}

TEST(CategoryTicks, AnyCategoryCheckedCountsEveryRowTheEffectsRowIncluded) {
    TEventLog log;
    FakeView view(log);
    EXPECT_FALSE(AnyCategoryChecked(view));
    for (int row : {0, 9, kEffectsRow}) {
        view.Ticks.assign(kCategoryRowCount, false);
        view.Ticks[row] = true;
        EXPECT_TRUE(AnyCategoryChecked(view)) << row;
    }
}
