#include "ui/framework/dib_image.h"

namespace skorvel {

bool TDibImage::SetSize(int width, int height) {
    if (FBitmap && width == FWidth && height == FHeight)
        return true;
    Release();
    if (width <= 0 || height <= 0)
        return false;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top-down: row 0 first, as TImageView expects
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    MemoryDc dc(::CreateCompatibleDC(nullptr));
    if (!dc)
        return false;
    void* bits = nullptr;
    GdiObject bitmap(::CreateDIBSection(dc.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap)
        return false;
    ::SelectObject(dc.get(), bitmap.get());
    FBitmap = std::move(bitmap);
    FDc = std::move(dc);
    FBits = static_cast<std::uint8_t*>(bits);
    FWidth = width;
    FHeight = height;
    return true;
}

void TDibImage::Release() {
    FDc.reset();
    FBitmap.reset();
    FBits = nullptr;
    FWidth = FHeight = 0;
}

TImageView TDibImage::Pixels() const {
    ::GdiFlush();
    return {FBits, FWidth, FHeight, RowStride(FWidth)};
}

void TDibImage::Draw(HDC dc, int x, int y) const {
    ::BitBlt(dc, x, y, FWidth, FHeight, FDc.get(), 0, 0, SRCCOPY);
}

} // namespace skorvel
