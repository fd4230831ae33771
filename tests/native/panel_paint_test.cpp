#include "tests/native/random_image.h"
#include "ui/controls/panel_paint.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

using namespace skorvel;

namespace {

struct Rgb {
    int r, g, b;
};
Rgb Split(TColor c) {
    return {int(c & 0xFF), int(c >> 8 & 0xFF), int(c >> 16 & 0xFF)};
}
TRGB24 Pix(int r, int g, int b) {
    return {std::uint8_t(b), std::uint8_t(g), std::uint8_t(r)};
}

// The fill of one pixel, computed on its own from the description of the fill.
TRGB24 VistaPixel(int x, int y, int w, int h, TColor k1, TColor k2, TColor k3, TColor k4,
                  bool center) {
    const Rgb c1 = Split(k1), c2 = Split(k2), c3 = Split(k3), c4 = Split(k4);
    auto lerp = [](int a, int b, int n, int d) { return a + (b - a) * n / d; };
    auto clamp = [](int v) { return v < 0 ? 0 : v > 255 ? 255 : v; };
    Rgb v;
    const int half = h / 2;
    if (y < half) {
        v = {lerp(c1.r, c2.r, y, half), lerp(c1.g, c2.g, y, half), lerp(c1.b, c2.b, y, half)};
    } else {
        Rgb m{clamp(lerp(c1.r, c2.r, 7, 2)), clamp(lerp(c1.g, c2.g, 7, 2)),
              clamp(lerp(c1.b, c2.b, 7, 2))};
        if (c2.r > c1.r)
            m = c2;
        v = {lerp(m.r, c2.r, y, h), lerp(m.g, c2.g, y, h), lerp(m.b, c2.b, y, h)};
    }
    const int span = center ? (w + 1) / 2 : w;
    const int column = center && x >= span ? w - 1 - x : x;
    const Rgb hx{lerp(c3.r, c4.r, column, span), lerp(c3.g, c4.g, column, span),
                 lerp(c3.b, c4.b, column, span)};
    return Pix((hx.r + v.r) / 2, (hx.g + v.g) / 2, (hx.b + v.b) / 2);
}

int Blend(int parent, int fill, int opacity) {
    return parent + static_cast<int>(std::floor((fill - parent) * opacity / 256.0));
}

} // namespace

TEST(PanelPaint, VistaMatchesThePerPixelDescription) {
    const struct {
        int w, h;
        TColor c1, c2, c3, c4;
        bool center;
    } cases[] = {
        {7, 5, 0xFFFFFF, 0xC0C0C0, 0x00FFFF, 0x808000, false}, // the defaults
        {318, 421, 0xFFFFFF, 0xC0C0C0, 0xC0DCC0, 0x808000, false},
        {7, 6, 0x102030, 0xF0E0D0, 0x00FFFF, 0x808000, true}, // odd width: middle once
        {8, 6, 0x102030, 0xF0E0D0, 0x00FFFF, 0x808000, true},
        {1, 1, 0x123456, 0x654321, 0x000000, 0xFFFFFF, true},
        {5, 3, 0x000000, 0xFFFFFF, 0xFFFFFF, 0x000000, false},
    };
    for (const auto& c : cases) {
        TImage24 image(c.w, c.h);
        PaintVista(image.View(), c.c1, c.c2, c.c3, c.c4, c.center);
        for (int y = 0; y < c.h; ++y)
            for (int x = 0; x < c.w; ++x)
                ASSERT_EQ(image.Pixel(x, y),
                          VistaPixel(x, y, c.w, c.h, c.c1, c.c2, c.c3, c.c4, c.center))
                    << c.w << "x" << c.h << " at " << x << "," << y;
    }
}

TEST(PanelPaint, VistaMidColourFollowsTheRedChannelsOnly) {
    // Four rows: rows 2 and 3 are the lower blend from the mid colour m
    // (m + (c2 − m) × y div 4); a horizontal colour equal to c2 keeps the
    // pixel's arithmetic visible.
    const struct {
        TColor c1, c2;
        TRGB24 row2, row3;
    } cases[] = {
        // Red 200 → 201: the mid colour is c2 itself, whatever green and blue do.
        {0x0000C8, 0x3040C9, Pix(201, 64, 48), Pix(201, 64, 48)},
        // Equal reds: m = c1 + (c2 − c1) × 7 div 2 = (200, 224, 168);
        // row 2 = m + (c2 − m) × 2 div 4 = (200, 144, 108), row 3 = (200, 104, 78); each
        // then averaged with c2: ((200+200)/2, (144+64)/2, (108+48)/2).
        {0x0000C8, 0x3040C8, Pix(200, 104, 78), Pix(200, 84, 63)},
        // Overshoot clamped: green 100 → 200 gives 450, clamped to 255; blue 200 → 100 gives
        // −150, clamped to 0.
        {0xC86464, 0x64C864, Pix(100, 214, 75), Pix(100, 207, 87)},
    };
    for (const auto& c : cases) {
        TImage24 image(3, 4);
        PaintVista(image.View(), c.c1, c.c2, c.c2, c.c2, false);
        EXPECT_EQ(image.Pixel(1, 2), c.row2) << std::hex << c.c1 << " " << c.c2;
        EXPECT_EQ(image.Pixel(1, 3), c.row3) << std::hex << c.c1 << " " << c.c2;
    }
}

TEST(PanelPaint, VistaWithCenterMirrorsTheLeftHalf) {
    TImage24 image(9, 4);
    PaintVista(image.View(), 0xFFFFFF, 0xC0C0C0, 0x000000, 0xFFFFFF, true);
    // span 5: the horizontal colour runs 0, 51, 102, 153, 204 up to the middle column.
    for (int x = 0; x < 4; ++x)
        EXPECT_EQ(image.Pixel(x, 0), image.Pixel(8 - x, 0)) << x;
    EXPECT_EQ(image.Pixel(4, 0), Pix((204 + 255) / 2, (204 + 255) / 2, (204 + 255) / 2));
    EXPECT_EQ(image.Pixel(0, 0), Pix(127, 127, 127));
}

TEST(PanelPaint, GlassColumnHasHeightMinusOneRows) {
    // White to silver, 9 pixels high: 8 rows, half = 4. m = 255 + (−63 × 15) div 9 = 150.
    const TImage24 column = GlassColumn(0xFFFFFF, 0xC0C0C0, 9);
    ASSERT_EQ(column.Width(), 1);
    ASSERT_EQ(column.Height(), 8);
    const int expected[] = {255,
                            240,
                            224,
                            208, // 255 − 63 × y div 4
                            150 + 42 * 4 / 8,
                            150 + 42 * 5 / 8,
                            150 + 42 * 6 / 8,
                            150 + 42 * 7 / 8};
    for (int y = 0; y < 8; ++y)
        EXPECT_EQ(column.Pixel(0, y), Pix(expected[y], expected[y], expected[y])) << y;
    // Channels clamp on both sides, and a client area below 2 pixels gives no column.
    // Red 200 → 100, green 0 → 200: m = (34, 333 clamped to 255, 0); 3 pixels high gives
    // row 0 = c1 and row 1 = m + (c2 − m) div 2.
    const TImage24 clamped = GlassColumn(0x0000C8, 0x00C864, 3);
    ASSERT_EQ(clamped.Height(), 2);
    EXPECT_EQ(clamped.Pixel(0, 0), Pix(200, 0, 0));
    EXPECT_EQ(clamped.Pixel(0, 1), Pix(67, 228, 0));
    EXPECT_EQ(GlassColumn(0xFFFFFF, 0, 1).Height(), 0);
}

TEST(PanelPaint, OpacityMixesTheFillIntoTheParentsRendering) {
    for (const int opacity : {0, 1, 128, 200, 254}) {
        TImage24 parent = RandomImage(13, 5, 1), fill = RandomImage(13, 5, 2);
        const TImage24 before = parent;
        BlendWithFill(parent.View(), fill.View(), std::uint8_t(opacity));
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 13; ++x) {
                const TRGB24 p = before.Pixel(x, y), f = fill.Pixel(x, y);
                ASSERT_EQ(parent.Pixel(x, y), (TRGB24{std::uint8_t(Blend(p.B, f.B, opacity)),
                                                      std::uint8_t(Blend(p.G, f.G, opacity)),
                                                      std::uint8_t(Blend(p.R, f.R, opacity))}))
                    << opacity << " at " << x << "," << y;
            }
    }
}

TEST(PanelPaint, AlphaStyleTintsTheParentTowardColor1) {
    const TColor colour = 0x20A0F0; // red F0, green A0, blue 20
    for (const int opacity : {0, 77, 255}) {
        TImage24 parent = RandomImage(11, 4, 3);
        const TImage24 before = parent;
        BlendWithColor(parent.View(), colour, std::uint8_t(opacity));
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 11; ++x) {
                const TRGB24 p = before.Pixel(x, y);
                ASSERT_EQ(parent.Pixel(x, y), (TRGB24{std::uint8_t(Blend(p.B, 0x20, opacity)),
                                                      std::uint8_t(Blend(p.G, 0xA0, opacity)),
                                                      std::uint8_t(Blend(p.R, 0xF0, opacity))}))
                    << opacity;
            }
    }
}
