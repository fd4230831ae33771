#include "ui/controls/panel_paint.h"

#include <algorithm>
#include <vector>

namespace skorvel {
namespace {

struct TChannels {
    int R, G, B;
};

TChannels Channels(TColor c) {
    return {int(c & 0xFF), int(c >> 8 & 0xFF), int(c >> 16 & 0xFF)};
}

int Clamp255(int v) {
    return std::clamp(v, 0, 255);
}

// from + (to − from) × numerator div denominator, per channel, truncated toward zero.
TChannels Step(TChannels from, TChannels to, int numerator, int denominator) {
    return {from.R + (to.R - from.R) * numerator / denominator,
            from.G + (to.G - from.G) * numerator / denominator,
            from.B + (to.B - from.B) * numerator / denominator};
}

// The mid colour of the two vertical blends: from + (to − from) × factor, clamped.
TChannels Overshoot(TChannels from, TChannels to, int numerator, int denominator) {
    const TChannels m = Step(from, to, numerator, denominator);
    return {Clamp255(m.R), Clamp255(m.G), Clamp255(m.B)};
}

TRGB24 Pixel(TChannels c) {
    return {std::uint8_t(c.B), std::uint8_t(c.G), std::uint8_t(c.R)};
}

} // namespace

void PaintVista(const TImageView& image, TColor colour1, TColor colour2, TColor colour3,
                TColor colour4, bool center) {
    const int width = image.Width(), height = image.Height();
    if (image.Empty())
        return;
    const TChannels c1 = Channels(colour1), c2 = Channels(colour2);
    const TChannels c3 = Channels(colour3), c4 = Channels(colour4);

    // One colour per row, reused for every column.
    std::vector<TChannels> column(height);
    const int half = height / 2;
    for (int y = 0; y < half; ++y)
        column[y] = Step(c1, c2, y, half);
    // Only the red channels decide whether the second colour is the mid colour.
    const TChannels mid = c2.R > c1.R ? c2 : Overshoot(c1, c2, 7, 2);
    for (int y = half; y < height; ++y)
        column[y] = Step(mid, c2, y, height);

    // The horizontal colours as pixel bytes, and each row's vertical colour
    // repeated along a row, so that every row is one loop over plain bytes.
    const int span = center ? (width + 1) / 2 : width;
    const std::size_t spanBytes = std::size_t(span) * 3;
    std::vector<std::uint8_t> across(spanBytes), down(spanBytes);
    for (int x = 0; x < span; ++x) {
        const TRGB24 h = Pixel(Step(c3, c4, x, span));
        across[x * 3] = h.B, across[x * 3 + 1] = h.G, across[x * 3 + 2] = h.R;
    }
    for (int y = 0; y < height; ++y) {
        const TRGB24 vertical = Pixel(column[y]);
        for (int x = 0; x < span; ++x)
            down[x * 3] = vertical.B, down[x * 3 + 1] = vertical.G, down[x * 3 + 2] = vertical.R;
        std::uint8_t* __restrict out = reinterpret_cast<std::uint8_t*>(image.Row(y));
        const std::uint8_t* __restrict h = across.data();
        const std::uint8_t* __restrict v = down.data();
        for (std::size_t j = 0; j < spanBytes; ++j)
            out[j] = std::uint8_t((h[j] + v[j]) >> 1);
        // With center the right half mirrors the left; an odd middle column is written once.
        if (center) {
            TRGB24* row = image.Row(y);
            for (int x = span; x < width; ++x)
                row[x] = row[width - 1 - x];
        }
    }
}

TImage24 GlassColumn(TColor colour1, TColor colour2, int clientHeight) {
    const int rows = clientHeight - 1;
    if (rows < 1)
        return {};
    const TChannels c1 = Channels(colour1), c2 = Channels(colour2);
    const TChannels mid = Overshoot(c1, c2, 15, 9);
    TImage24 column(1, rows);
    const TImageView view = column.View();
    const int half = rows / 2;
    for (int y = 0; y < half; ++y)
        view.SetPixel(0, y, Pixel(Step(c1, c2, y, half)));
    for (int y = half; y < rows; ++y)
        view.SetPixel(0, y, Pixel(Step(mid, c2, y, rows)));
    return column;
}

void BlendWithFill(const TImageView& parent, const TImageView& fill, std::uint8_t opacity) {
    const int width = std::min(parent.Width(), fill.Width());
    const int height = std::min(parent.Height(), fill.Height());
    for (int y = 0; y < height; ++y) {
        std::uint8_t* p = reinterpret_cast<std::uint8_t*>(parent.Row(y));
        const std::uint8_t* f = reinterpret_cast<const std::uint8_t*>(fill.Row(y));
        for (int i = 0; i < width * 3; ++i)
            p[i] = std::uint8_t(p[i] + FloorDiv256((f[i] - p[i]) * opacity));
    }
}

void BlendWithColor(const TImageView& parent, TColor colour, std::uint8_t opacity) {
    const TRGB24 k = ColorToRGB24(colour);
    const TChannelTable tb = TintTable(k.B, opacity);
    const TChannelTable tg = TintTable(k.G, opacity);
    const TChannelTable tr = TintTable(k.R, opacity);
    for (int y = 0; y < parent.Height(); ++y) {
        TRGB24* row = parent.Row(y);
        for (int x = 0; x < parent.Width(); ++x)
            row[x] = {tb[row[x].B], tg[row[x].G], tr[row[x].R]};
    }
}

} // namespace skorvel
