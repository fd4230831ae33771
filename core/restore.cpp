#include "core/restore.h"

#include <algorithm>

namespace skorvel {

void SortUnique(std::vector<std::wstring>& List, const TTextComparison& Compare) {
    std::stable_sort(List.begin(), List.end(), [&](const std::wstring& a, const std::wstring& b) {
        return Compare(a, b) < 0;
    });
    const auto end =
        std::unique(List.begin(), List.end(), [&](const std::wstring& a, const std::wstring& b) {
            return Compare(a, b) == 0;
        });
    List.erase(end, List.end());
}

} // namespace skorvel
