#pragma once
// The category table of the main window's check-list: ten rows of
// applications, each with a filter file, and the effects row. The row number
// is the check-list row and, for rows 0 to 9, the index into CategoryFilters.
#include <array>
#include <string>
#include <vector>

namespace skorvel {

struct TCategory {
    const wchar_t* Caption;
    const wchar_t* FileStem;
    bool DefaultTick;
};

constexpr int kFilterCategoryCount = 10; // rows 0 to 9, each with a filter file
constexpr int kEffectsRow = 10;          // switches the visual effects; no filter file
constexpr int kCategoryRowCount = 11;

extern const std::array<TCategory, kFilterCategoryCount> kCategories;
extern const wchar_t* const kEffectsRowCaption;

// The captions of all eleven rows, top to bottom, for filling the check-list.
std::vector<std::wstring> CategoryRowCaptions();

// Stem -> caption and caption -> stem over rows 0 to 9, exact and
// case-sensitive; an unknown text comes back unchanged.
std::wstring CategoryDisplayName(const std::wstring& Stem);
std::wstring CategoryFileStem(const std::wstring& Caption);

} // namespace skorvel
