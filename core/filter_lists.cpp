#include "core/filter_lists.h"

#include "platform/path_text.h"

namespace skorvel {

const wchar_t* const kFilterSubfolder = L"filters\\skorvel\\";

std::wstring FilterFilePath(const std::wstring& FilterFolder, int Row) {
    return FilterFolder + kCategories[Row].FileStem + L".txt";
}

void LoadFilterLists(const std::wstring& FilterFolder, IFilterFiles& Files,
                     TCategoryFilters& CategoryFilters) {
    for (int row = 0; row < kFilterCategoryCount; ++row) {
        const std::wstring path = FilterFilePath(FilterFolder, row);
        if (Files.FileExists(path))
            CategoryFilters[row] = Files.ReadKeywords(path);
    }
}

bool IsDotEntry(const std::wstring& FileName) {
    return FileName == L"." || FileName == L"..";
}

std::wstring FilterEntryCaption(const std::wstring& FileName) {
    return CategoryDisplayName(ReplaceFirst(FileName, L".txt", L""));
}

} // namespace skorvel
