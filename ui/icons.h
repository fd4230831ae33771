#pragma once
// Owners of icons and image lists: an icon that reports changes of its
// picture, and a list of same-sized images from which icons are taken.
#include "platform/handles.h"
#include "ui/framework/events.h"

#include <windows.h>
#include <commctrl.h>

#include <functional>

namespace skorvel {

// An owned icon whose changes are reported.
class TIcon {
public:
    HICON Handle() const { return FHandle.get(); }
    // Takes a copy of the icon (no icon when it cannot be copied).
    void Assign(HICON icon);
    // Takes ownership of the icon.
    void TakeHandle(HICON icon);
    std::function<void()> OnChange;

private:
    IconHandle FHandle;
};

// A list of same-sized images from which icons are taken.
class TImageList : public TObject {
public:
    // Raises EOSError when the list cannot be created.
    explicit TImageList(int width = 16, int height = 16);
    int Count() const;
    int AddIcon(HICON icon);
    // Adds a bitmap whose pixels of the mask colour are transparent.
    int AddMasked(HBITMAP bitmap, COLORREF maskColor);
    void GetIcon(int index, TIcon& icon) const;

private:
    ImageListHandle FHandle;
};

} // namespace skorvel
