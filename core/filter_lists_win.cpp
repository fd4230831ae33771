#include "core/filter_lists_win.h"

#include "core/filter_file_win.h"
#include "platform/handles.h"
#include "platform/paths.h"

namespace skorvel {

std::wstring FilterFolder() {
    return ProgramFolder() + kFilterSubfolder;
}

bool TFilterFolderFiles::FileExists(const std::wstring& Path) {
    return FixedDriveFileExists(Path);
}

std::vector<std::wstring> TFilterFolderFiles::ReadKeywords(const std::wstring& Path) {
    return ReadFilterFile(Path).Lines;
}

void ListFilterCategories(const std::wstring& Folder, std::vector<std::wstring>& Target,
                          const std::wstring& Mask) {
    Target.clear();
    std::wstring pattern = Folder;
    if (pattern.empty() || pattern.back() != L'\\')
        pattern += L'\\';
    pattern += Mask;
    WIN32_FIND_DATAW entry;
    // FindFirstFileW returns entries of every attribute; the owner closes the
    // search however the loop is left.
    const FindHandle search(::FindFirstFileW(pattern.c_str(), &entry));
    if (!search)
        return;
    do {
        if (!IsDotEntry(entry.cFileName))
            Target.push_back(FilterEntryCaption(entry.cFileName));
    } while (::FindNextFileW(search.get(), &entry));
}

} // namespace skorvel
