#include "ui/framework/image24.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace skorvel {

int MulDiv(int a, int b, int c) {
    if (c == 0)
        return -1;
    const long long product = static_cast<long long>(a) * b;
    const long long magnitude = (std::llabs(product) + std::llabs(c) / 2) / std::llabs(c);
    return static_cast<int>((product < 0) != (c < 0) ? -magnitude : magnitude);
}

TChannelTable TintTable(std::uint8_t target, int weight) {
    TChannelTable table;
    for (int i = 0; i < 256; ++i)
        table[i] = std::uint8_t(i + FloorDiv256(weight * (target - i)));
    return table;
}

void TImageView::Fill(TRGB24 p) const {
    for (int y = 0; y < FHeight; ++y)
        std::fill_n(Row(y), FWidth, p);
}

void TImageView::CopyFrom(const TImageView& source) const {
    const int width = std::min(FWidth, source.Width());
    const int height = std::min(FHeight, source.Height());
    for (int y = 0; y < height; ++y)
        std::memcpy(Row(y), source.Row(y), std::size_t(width) * sizeof(TRGB24));
}

TImage24::TImage24(int width, int height, TRGB24 fill) {
    SetSize(width, height);
    View().Fill(fill);
}

void TImage24::SetSize(int width, int height) {
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (width == FWidth && height == FHeight)
        return;
    FWidth = width;
    FHeight = height;
    FBits.assign(std::size_t(RowStride(width)) * height, 0);
}

void DrawLine(const TImageView& image, TPixelPoint from, TPixelPoint to, TRGB24 colour) {
    const int dx = to.X - from.X;
    const int dy = to.Y - from.Y;
    if (dx != 0 && dy != 0 && std::abs(dx) != std::abs(dy))
        throw std::invalid_argument("DrawLine: only horizontal, vertical and diagonal lines");
    const int stepX = (dx > 0) - (dx < 0);
    const int stepY = (dy > 0) - (dy < 0);
    const int length = std::max(std::abs(dx), std::abs(dy));
    int x = from.X, y = from.Y;
    for (int i = 0; i < length; ++i, x += stepX, y += stepY)
        if (image.Contains(x, y))
            image.SetPixel(x, y, colour);
}

void DrawPolyline(const TImageView& image, const TPixelPoint* points, int count, TRGB24 colour) {
    for (int i = 1; i < count; ++i)
        DrawLine(image, points[i - 1], points[i], colour);
}

} // namespace skorvel
