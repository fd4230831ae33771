#include "core/filter_editor.h"

#include "core/categories.h"

#include <algorithm>

namespace skorvel {

namespace {

// Upper case of the letters of ASCII, Latin-1 and Latin Extended-A; every
// other character stays as it is.
wchar_t FoldCase(wchar_t c) {
    if (c >= L'a' && c <= L'z')
        return wchar_t(c - 32);
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7)
        return wchar_t(c - 32);
    if ((c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177)) // upper case on even codes
        return wchar_t(c & ~1);
    if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) // upper case on odd codes
        return (c & 1) ? c : wchar_t(c - 1);
    return c;
}

} // namespace

bool FilterEntryLess(const std::wstring& A, const std::wstring& B) {
    const size_t common = std::min(A.size(), B.size());
    for (size_t i = 0; i < common; ++i) {
        const wchar_t a = FoldCase(A[i]), b = FoldCase(B[i]);
        if (a != b)
            return a < b;
    }
    if (A.size() != B.size())
        return A.size() < B.size();
    return A < B;
}

std::vector<std::wstring> SortFilterEntries(std::vector<std::wstring> Entries) {
    std::sort(Entries.begin(), Entries.end(), FilterEntryLess);
    return Entries;
}

size_t FilterEntryInsertPosition(const std::vector<std::wstring>& Sorted,
                                 const std::wstring& Entry) {
    return FilterEntryInsertPosition(
        Sorted.size(), [&](size_t index) { return Sorted[index]; }, Entry);
}

size_t FilterEntryInsertPosition(size_t Count, const std::function<std::wstring(size_t)>& EntryAt,
                                 const std::wstring& Entry) {
    // The first entry greater than Entry lies in [low, high).
    size_t low = 0, high = Count;
    while (low < high) {
        const size_t middle = low + (high - low) / 2;
        if (FilterEntryLess(Entry, EntryAt(middle)))
            high = middle;
        else
            low = middle + 1;
    }
    return low;
}

std::wstring CategoryFilePath(const std::wstring& FilterFolder, const std::wstring& Caption) {
    return FilterFolder + CategoryFileStem(Caption) + L".txt";
}

TEditorMode EditorModeOf(bool WczytajBtnEnabled) {
    return WczytajBtnEnabled ? TEditorMode::emChoosing : TEditorMode::emEditing;
}

bool ChooserEnabled(TEditorMode Mode) {
    return Mode == TEditorMode::emChoosing;
}

bool EditControlsEnabled(TEditorMode Mode) {
    return Mode == TEditorMode::emEditing;
}

} // namespace skorvel
