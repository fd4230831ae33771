#include "core/category_ticks.h"

#include "core/categories.h"

namespace skorvel {

bool AnyCategoryChecked(const ICategoryTicks& Ticks) {
    for (int row = 0; row < Ticks.RowCount(); ++row)
        if (Ticks.RowChecked(row))
            return true;
    return false;
}

void SetCheckboxesToDefault(ICategoryTicks& Ticks, TWindowsType OSKind) {
    for (int row = 0; row < kFilterCategoryCount; ++row)
        Ticks.SetRowChecked(row, kCategories[row].DefaultTick);
    if (OSKind <= winSeven) {
        Ticks.SetRowChecked(kEffectsRow, true);
    } else {
        Ticks.SetRowChecked(kEffectsRow, false);
        Ticks.SetRowEnabled(kEffectsRow, false);
    }
}

} // namespace skorvel
