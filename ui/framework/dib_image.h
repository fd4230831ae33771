#pragma once
// A 24-bit top-down DIB section selected into a memory DC of its own: GDI
// draws on it through Dc(), the pixel code works on the same bits through
// Pixels().
#include "platform/handles.h"
#include "ui/framework/image24.h"

#include <windows.h>

namespace skorvel {

class TDibImage {
public:
    TDibImage() = default;
    TDibImage(const TDibImage&) = delete;
    TDibImage& operator=(const TDibImage&) = delete;

    // Keeps the image when the size is unchanged; a new image is black. False
    // when the size is empty or GDI cannot make the image (it is then empty).
    bool SetSize(int width, int height);
    void Release();

    HDC Dc() const { return FDc.get(); }
    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    // The pixels, once GDI has finished every drawing queued on them.
    TImageView Pixels() const;
    // Copies the whole image to dc at (x, y).
    void Draw(HDC dc, int x, int y) const;

private:
    GdiObject FBitmap;
    MemoryDc FDc; // destroyed first, so the bitmap is no longer selected when deleted
    std::uint8_t* FBits = nullptr;
    int FWidth = 0, FHeight = 0;
};

} // namespace skorvel
