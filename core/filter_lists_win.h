#pragma once
// The filter folder beside the program, as the runs and the filter editor
// reach it.
#include "core/filter_lists.h"

namespace skorvel {

// Program folder + "filters\skorvel\".
std::wstring FilterFolder();

// Files seen through FixedDriveFileExists, read with ReadFilterFile.
class TFilterFolderFiles : public IFilterFiles {
public:
    bool FileExists(const std::wstring& Path) override;
    std::vector<std::wstring> ReadKeywords(const std::wstring& Path) override;
};

// Fills Target with the captions of the entries of Folder that match Mask,
// in the order the file system lists them: every attribute, "." and ".."
// left out, the first ".txt" removed case-sensitively, then mapped by
// CategoryDisplayName. A missing folder or no match leaves Target empty.
void ListFilterCategories(const std::wstring& Folder, std::vector<std::wstring>& Target,
                          const std::wstring& Mask);

} // namespace skorvel
