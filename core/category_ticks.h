#pragma once
// The ticks of the main window's category check-list, as the core sees them.
#include "platform/os_version_classify.h"

namespace skorvel {

// The check-list KategorieList: rows 0 to 9 are the categories of the table,
// row 10 the effects row.
class ICategoryTicks {
public:
    virtual ~ICategoryTicks() = default;
    virtual int RowCount() const = 0;
    virtual bool RowChecked(int row) const = 0;
    virtual void SetRowChecked(int row, bool checked) = 0;
    virtual void SetRowEnabled(int row, bool enabled) = 0;
};

// True at the first ticked row, the effects row included.
bool AnyCategoryChecked(const ICategoryTicks& Ticks);

// The default ticks of the table. The effects row is ticked up to Windows 7
// (winUnknown included); on later systems the services it stops no longer
// carry the effects, so the row is unticked and disabled. It is never
// re-enabled here.
void SetCheckboxesToDefault(ICategoryTicks& Ticks, TWindowsType OSKind);

} // namespace skorvel
