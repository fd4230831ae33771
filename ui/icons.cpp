#include "ui/icons.h"

#include "platform/os_error.h"

namespace skorvel {

void TIcon::Assign(HICON icon) {
    TakeHandle(icon ? ::CopyIcon(icon) : nullptr);
}

void TIcon::TakeHandle(HICON icon) {
    FHandle.reset(icon);
    if (OnChange)
        OnChange();
}

TImageList::TImageList(int width, int height)
    : FHandle(::ImageList_Create(width, height, ILC_COLOR32 | ILC_MASK, 4, 4)) {
    if (!FHandle)
        RaiseLastOSError();
}

int TImageList::Count() const {
    return ::ImageList_GetImageCount(FHandle.get());
}

int TImageList::AddIcon(HICON icon) {
    return ::ImageList_ReplaceIcon(FHandle.get(), -1, icon);
}

int TImageList::AddMasked(HBITMAP bitmap, COLORREF maskColor) {
    return ::ImageList_AddMasked(FHandle.get(), bitmap, maskColor);
}

void TImageList::GetIcon(int index, TIcon& icon) const {
    icon.TakeHandle(::ImageList_GetIcon(FHandle.get(), index, ILD_NORMAL));
}

} // namespace skorvel
