#pragma once
// A plain 24-bit image and the small drawing primitives the custom controls
// need on it. Pixels are rows of B, G, R bytes, top row first. Every row is
// padded to a multiple of 4 bytes, which is exactly the layout of a top-down
// 24-bit Windows DIB: the controls view a DIB section's bits through
// TImageView and run the same pixel code on it that the native tests run on
// a TImage24.
#include <array>
#include <cstdint>
#include <vector>

namespace skorvel {

// A colour value laid out 0x00BBGGRR. A high byte of 0xFF names a system
// colour, which only the window side can resolve.
using TColor = std::uint32_t;
// The high byte of a system colour; the low byte is the system's colour index.
constexpr TColor kSystemColor = 0xFF000000;

struct TRGB24 {
    std::uint8_t B, G, R;
};
static_assert(sizeof(TRGB24) == 3, "a pixel is three bytes");

constexpr bool operator==(TRGB24 a, TRGB24 b) {
    return a.B == b.B && a.G == b.G && a.R == b.R;
}
constexpr bool operator!=(TRGB24 a, TRGB24 b) {
    return !(a == b);
}

constexpr TRGB24 ColorToRGB24(TColor c) {
    return {std::uint8_t(c >> 16), std::uint8_t(c >> 8), std::uint8_t(c)};
}
constexpr TColor RGB24ToColor(TRGB24 p) {
    return TColor(p.R) | TColor(p.G) << 8 | TColor(p.B) << 16;
}

struct TPixelPoint {
    int X, Y;
};

// Right and bottom are exclusive.
struct TPixelRect {
    int Left, Top, Right, Bottom;
    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
};

// Integer quotient rounded down, also for negative numerators (an arithmetic
// shift, which GCC guarantees for signed values).
constexpr int FloorDiv256(int value) {
    return value >> 8;
}

// The platform's MulDiv: a × b / c rounded to the nearest integer, halves away
// from zero; −1 when c is 0.
int MulDiv(int a, int b, int c);

// One channel mapped through a 256-entry table.
using TChannelTable = std::array<std::uint8_t, 256>;

// t[i] = i + floor(weight × (target − i) / 256): a channel moved toward target
// by weight/256.
TChannelTable TintTable(std::uint8_t target, int weight);

// A view of pixels owned elsewhere (a TImage24 or a DIB section).
class TImageView {
public:
    TImageView() = default;
    TImageView(std::uint8_t* bits, int width, int height, int stride)
        : FBits(bits), FWidth(width), FHeight(height), FStride(stride) {}

    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    int Stride() const { return FStride; }
    bool Empty() const { return FWidth <= 0 || FHeight <= 0; }
    bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < FWidth && y < FHeight; }

    TRGB24* Row(int y) const {
        return reinterpret_cast<TRGB24*>(FBits + std::ptrdiff_t(y) * FStride);
    }
    TRGB24 Pixel(int x, int y) const { return Row(y)[x]; }
    void SetPixel(int x, int y, TRGB24 p) const { Row(y)[x] = p; }

    void Fill(TRGB24 p) const;
    // Copies the overlapping part of an image of the same size or smaller.
    void CopyFrom(const TImageView& source) const;

private:
    std::uint8_t* FBits = nullptr;
    int FWidth = 0, FHeight = 0, FStride = 0;
};

// Bytes per row of a 24-bit image: three per pixel, rounded up to 4.
constexpr int RowStride(int width) {
    return (width * 3 + 3) & ~3;
}

// A 24-bit image that owns its pixels.
class TImage24 {
public:
    TImage24() = default;
    TImage24(int width, int height, TRGB24 fill = {0, 0, 0});

    // Keeps the pixels when the size is unchanged; otherwise they are black.
    void SetSize(int width, int height);
    TImageView View() { return {FBits.data(), FWidth, FHeight, RowStride(FWidth)}; }
    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    TRGB24 Pixel(int x, int y) const {
        return reinterpret_cast<const TRGB24*>(FBits.data() +
                                               std::ptrdiff_t(y) * RowStride(FWidth))[x];
    }

private:
    std::vector<std::uint8_t> FBits;
    int FWidth = 0, FHeight = 0;
};

// Lines with a one-pixel solid pen, following the platform's rule that a
// line's end point is not drawn. Only horizontal, vertical and 45° segments
// are supported (all the controls draw); pixels outside the image are skipped.
void DrawLine(const TImageView& image, TPixelPoint from, TPixelPoint to, TRGB24 colour);
// Joins the points in order; the last point is not drawn.
void DrawPolyline(const TImageView& image, const TPixelPoint* points, int count, TRGB24 colour);
template <std::size_t N>
void DrawPolyline(const TImageView& image, const TPixelPoint (&points)[N], TRGB24 colour) {
    DrawPolyline(image, points, int(N), colour);
}

} // namespace skorvel
