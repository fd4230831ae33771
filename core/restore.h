#pragma once
// The pieces of the restore run: the ordering of the recorded paths and the
// launch of each one.
#include <functional>
#include <string>
#include <vector>

namespace skorvel {

// Negative, zero or positive as A sorts before, equal to or after B. On
// Windows: CompareStringW, user default locale, NORM_IGNORECASE.
using TTextComparison = std::function<int(const std::wstring& A, const std::wstring& B)>;

// Sorts List ascending by Compare and keeps one entry of each group that
// compares equal: the one recorded first (the sort is stable).
void SortUnique(std::vector<std::wstring>& List, const TTextComparison& Compare);

// Starts one recorded application: "open" verb, no parameters, no working
// directory, shown normally. A failed launch is neither reported nor retried.
class IShellLauncher {
public:
    virtual ~IShellLauncher() = default;
    virtual void Launch(const std::wstring& Path) = 0;
};

} // namespace skorvel
