#pragma once
// The keyword lists of the ten categories and the filter folder they are
// read from: program folder + "filters\skorvel\" + stem + ".txt".
#include "core/categories.h"

#include <array>
#include <string>
#include <vector>

namespace skorvel {

using TCategoryFilters = std::array<std::vector<std::wstring>, kFilterCategoryCount>;

extern const wchar_t* const kFilterSubfolder; // "filters\skorvel\"

// The filter files as LoadFilterLists reaches them.
class IFilterFiles {
public:
    virtual ~IFilterFiles() = default;
    // Whether Path is an existing file on a fixed disk; never raises.
    virtual bool FileExists(const std::wstring& Path) = 0;
    // The keyword lines of the file; raises when it cannot be opened or read.
    virtual std::vector<std::wstring> ReadKeywords(const std::wstring& Path) = 0;
};

std::wstring FilterFilePath(const std::wstring& FilterFolder, int Row);

// Reloads every row whose file exists. A missing file leaves its row as it
// was, so a removed file keeps serving its last keywords. A file that cannot
// be read raises: the rows before it are reloaded, it and the rows after it
// keep their contents.
void LoadFilterLists(const std::wstring& FilterFolder, IFilterFiles& Files,
                     TCategoryFilters& CategoryFilters);

// For the folder listing of the filter editor: whether a search entry is "."
// or "..", and the caption shown for a file name (the first ".txt" removed,
// case-sensitively, then mapped to the category caption).
bool IsDotEntry(const std::wstring& FileName);
std::wstring FilterEntryCaption(const std::wstring& FileName);

} // namespace skorvel
