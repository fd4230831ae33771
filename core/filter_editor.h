#pragma once
// What the filter editor decides, apart from its window: the order of the
// keyword list, the file of a category, and which controls each mode enables.
#include <functional>
#include <string>
#include <vector>

namespace skorvel {

// The keyword list is kept in alphabetical order ignoring case: both texts
// upper-cased (ASCII and the Latin letters of Western and Central European
// languages), compared unit by unit; texts equal but for case are ordered by
// their exact units, so the order is total and the same everywhere.
bool FilterEntryLess(const std::wstring& A, const std::wstring& B);

// Entries in the list's order; duplicates are kept.
std::vector<std::wstring> SortFilterEntries(std::vector<std::wstring> Entries);

// Where Entry goes in a sorted list: after every entry not greater than it.
size_t FilterEntryInsertPosition(const std::vector<std::wstring>& Sorted,
                                 const std::wstring& Entry);
// The same in a sorted list of Count entries read one at a time by EntryAt,
// which is asked for about log2(Count) of them.
size_t FilterEntryInsertPosition(size_t Count, const std::function<std::wstring(size_t)>& EntryAt,
                                 const std::wstring& Entry);

// The filter file of a category caption: folder + CategoryFileStem(caption)
// + ".txt" (only ".txt" for the empty caption).
std::wstring CategoryFilePath(const std::wstring& FilterFolder, const std::wstring& Caption);

// The editor's modes. The enabled flag of the load button is the mode flag
// (enabled: a category is being chosen); the category drop-down follows it,
// and the save, cancel and add buttons and the text field have the opposite
// flag.
enum class TEditorMode { emChoosing, emEditing };

TEditorMode EditorModeOf(bool WczytajBtnEnabled);
bool ChooserEnabled(TEditorMode Mode);      // WczytajBtn, KategorieList
bool EditControlsEnabled(TEditorMode Mode); // ZapiszBtn, AnulujBtn, DodajBtn, WpisEdt

} // namespace skorvel
