#include "tests/native/random_image.h"
#include "ui/controls/glass_paint.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

using namespace skorvel;

namespace {

constexpr TRGB24 kWhitePixel{255, 255, 255};
constexpr TColor kSkyBlue = 0xF0CAA6, kWhite = 0xFFFFFF, kBlack = 0;

int Floor256(int v) {
    return static_cast<int>(std::floor(v / 256.0));
}
int Toward(int from, int to, int weight) {
    return from + Floor256((to - from) * weight);
}
TRGB24 Toward(TRGB24 p, TRGB24 c, int weight) {
    return {std::uint8_t(Toward(p.B, c.B, weight)), std::uint8_t(Toward(p.G, c.G, weight)),
            std::uint8_t(Toward(p.R, c.R, weight))};
}
int RoundedMulDiv(int a, int b, int c) {
    return static_cast<int>(std::round(double(a) * b / c));
}

// A mask as black text drawn with grey-scale smoothing gives: equal channels.
TImage24 RandomGreyImage(int w, int h, unsigned seed) {
    std::mt19937 random(seed);
    TImage24 image(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const std::uint8_t v = std::uint8_t(random());
            image.View().SetPixel(x, y, {v, v, v});
        }
    return image;
}

// A vertical grey gradient like the panel behind the program's buttons.
TImage24 GreyGradient(int w, int h) {
    TImage24 image(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const std::uint8_t v = std::uint8_t(255 - (63 * y) / h - x % 3);
            image.View().SetPixel(x, y, {v, v, v});
        }
    return image;
}

// A button whose window-system part is a stand-in: captions are one dot at
// (left, top + 10) of their rectangle, glyphs one dot at their position.
class FakeButton : public TGlassButtonPainter {
public:
    TImage24 Image, Mask;
    bool Focus = false, Enable = true;
    std::optional<TGlyphSize> Images;
    struct Caption {
        bool onMask;
        TPixelRect rect;
        TColor colour;
    };
    std::vector<Caption> Captions;

    explicit FakeButton(TImage24 background) : Image(std::move(background)) {}

    void UseStartBtnSettings() {
        FColor = kSkyBlue;
        FColorDown = kSkyBlue;
        FColorFocused = 0xFFFF00;
        FColorFrame = kWhite;
        FColorGlow = kSkyBlue;
        GlowColor = ColorToRGB24(kSkyBlue);
        FGlossy = true;
        StoreGlossyLevel(100);
        FLightHeight = 27;
        FShadowStyle = ssDrop;
        FTextAlign = taCenter;
        FFlat = false;
        FFontColor = kBlack;
    }
    void SetImages(int w, int h) { Images = TGlyphSize{w, h}; }

protected:
    TColor ColorToRGB(TColor c) const override { return c >> 24 == 0xFF ? 0x00FF00FF : c; }
    bool HasFocus() const override { return Focus; }
    bool IsEnabled() const override { return Enable; }
    std::optional<TGlyphSize> ImageSize() const override { return Images; }
    TImageView Pixels(TGlassSurface surface) override {
        return surface == gsImage ? Image.View() : Mask.View();
    }
    void NewShadowMask(int width, int height) override {
        Mask = TImage24(width, height, kWhitePixel);
    }
    void DrawGlyph(TGlassSurface surface, int x, int y, TGlyphLook look) override {
        const TImageView target = Pixels(surface);
        const TRGB24 dot = look == glMask      ? TRGB24{0, 0, 0}
                           : look == glEnabled ? TRGB24{0, 0, 255}
                                               : TRGB24{0, 255, 0};
        if (target.Contains(x, y))
            target.SetPixel(x, y, dot);
    }
    void DrawCaption(TGlassSurface surface, const TPixelRect& rect, TColor colour,
                     TTextAlign) override {
        Captions.push_back({surface == gsMask, rect, colour});
        const TImageView target = Pixels(surface);
        if (target.Contains(rect.Left, rect.Top + 10))
            target.SetPixel(rect.Left, rect.Top + 10, ColorToRGB24(colour));
    }
};

// The image as text: one character per pixel from a legend of colours, '.' for the rest.
std::vector<std::string> Picture(const TImage24& image,
                                 const std::vector<std::pair<char, TRGB24>>& legend) {
    std::vector<std::string> rows;
    for (int y = 0; y < image.Height(); ++y) {
        std::string row;
        for (int x = 0; x < image.Width(); ++x) {
            char c = '.';
            for (const auto& [symbol, colour] : legend)
                if (image.Pixel(x, y) == colour) {
                    c = symbol;
                    break;
                }
            row += c;
        }
        rows.push_back(row);
    }
    return rows;
}

} // namespace

TEST(GlassPaint, BlendColorsWeighsThePercentageRoundedHalfToEven) {
    const struct {
        int percent, weight;
    } cases[] = {{0, 0}, {50, 128}, {75, 191}, {100, 255}, {10, 26}, {30, 76}, {25, 64}};
    const TColor a = 0x10E080, b = 0xF02040; // channels move both up and down
    for (const auto& c : cases) {
        const TColor blended = BlendColors(a, b, c.percent);
        for (int shift : {0, 8, 16}) {
            const int ca = a >> shift & 0xFF, cb = b >> shift & 0xFF;
            EXPECT_EQ(int(blended >> shift & 0xFF), Toward(cb, ca, c.weight))
                << c.percent << "% channel " << shift;
        }
    }
    EXPECT_EQ(BlendColors(a, b, 100), 0x10DF7Fu); // 255/256 of the way, rounded down
    EXPECT_EQ(BlendColors(a, b, 0), b);
}

TEST(GlassPaint, GlossyLevelGivesTheBodyOpacity) {
    const struct {
        int level, stored, gloss;
    } cases[] = {{100, 100, 196}, {50, 50, 98},    {37, 37, 72}, {20, 20, 39},
                 {0, 0, 0},       {150, 100, 196}, {-5, 0, 0}};
    for (const auto& c : cases) {
        FakeButton button(TImage24(4, 4));
        button.StoreGlossyLevel(c.level);
        EXPECT_EQ(button.FGlossyLevel, c.stored) << c.level;
        EXPECT_EQ(button.FGloss, c.gloss) << c.level;
    }
    FakeButton fresh(TImage24(4, 4));
    EXPECT_EQ(fresh.FGloss, GlossFromLevel(fresh.FGlossyLevel));
}

TEST(GlassPaint, StartBtnBodyHasTheGlossBandOnItsUpperFifteenRows) {
    // 122 × 33 button, body 120 × 31, a = 196: rows weighted 176/256 .. 190/256, then 196/256.
    FakeButton button(RandomImage(122, 33, 7));
    button.UseStartBtnSettings();
    const TImage24 before = button.Image;
    button.StandardAlphaRender(button.Image.View(), {1, 1, 121, 32}, kSkyBlue, 196);
    const TRGB24 c = ColorToRGB24(kSkyBlue);
    for (int y = 0; y < 33; ++y)
        for (int x = 0; x < 122; ++x) {
            const bool inBody = x >= 1 && x < 121 && y >= 1 && y < 32;
            const int row = y - 1;
            const int weight = row < 15 ? 176 + row : 196;
            const TRGB24 expected =
                inBody ? Toward(before.Pixel(x, y), c, weight) : before.Pixel(x, y);
            ASSERT_EQ(button.Image.Pixel(x, y), expected) << x << "," << y;
        }
}

TEST(GlassPaint, BodyRenderersFollowTheirTablesAndBand) {
    // Band weights of the hand-worked cases; an empty list means no band.
    const struct {
        bool alt, glossy;
        int alpha;
        TPixelRect rect;
        std::vector<int> band;
    } cases[] = {
        {false, false, 196, {1, 1, 9, 6}, {}},
        {false, true, 196, {1, 1, 9, 8}, {176, 182, 188}}, // step −20 div 3 = −6
        {false, true, 72, {1, 1, 9, 8}, {176, 142, 108}},  // step 104 div 3 = 34
        {false, true, 0, {0, 0, 10, 5}, {176, 88}},
        {false, true, 196, {2, 3, 8, 4}, {}}, // one row: no band, no division
        {true, true, 196, {1, 1, 9, 8}, {176, 182, 188}},
        {true, true, 72, {0, 2, 10, 6}, {176, 124}},
        {true, false, 98, {1, 1, 9, 8}, {}}, // without gloss: the plain tint
        {false, true, 196, {-3, -2, 14, 12}, {176, 178, 180, 182, 184, 186, 188}}, // clipped
    };
    const TColor colour = 0x3080E0;
    const TRGB24 c = ColorToRGB24(colour);
    for (const auto& k : cases) {
        FakeButton button(RandomImage(10, 9, 11));
        button.FGlossy = k.glossy;
        const TImage24 before = button.Image;
        if (k.alt)
            button.AltAlphaRender(button.Image.View(), k.rect, colour, std::uint8_t(k.alpha));
        else
            button.StandardAlphaRender(button.Image.View(), k.rect, colour, std::uint8_t(k.alpha));
        for (int y = 0; y < 9; ++y)
            for (int x = 0; x < 10; ++x) {
                const TRGB24 p = before.Pixel(x, y);
                TRGB24 expected = p;
                if (x >= k.rect.Left && x < k.rect.Right && y >= k.rect.Top && y < k.rect.Bottom) {
                    const std::size_t row = std::size_t(y - k.rect.Top);
                    const bool inBand = row < k.band.size();
                    if (k.alt) {
                        expected = Toward(p, c, k.alpha);
                        if (inBand)
                            expected = Toward(expected, kWhitePixel, k.band[row]);
                    } else {
                        expected = Toward(p, c, inBand ? k.band[row] : k.alpha);
                    }
                }
                ASSERT_EQ(button.Image.Pixel(x, y), expected)
                    << (k.alt ? "alt" : "standard") << " a=" << k.alpha << " at " << x << "," << y;
            }
    }
}

TEST(GlassPaint, OutlinesCutTheCornersAndSoftenThem) {
    const TRGB24 back{40, 80, 120};
    FakeButton button(TImage24(12, 8, back));
    const TColor frame = 0x2468AC, inner = 0x0F0F0F;
    button.Outline(button.Image.View(), frame);
    button.InnerOutline(button.Image.View(), inner);
    const TRGB24 soft = ColorToRGB24(BlendColors(RGB24ToColor(back), frame, 50));
    EXPECT_EQ(Picture(button.Image,
                      {{'#', ColorToRGB24(frame)}, {'s', soft}, {'i', ColorToRGB24(inner)}}),
              (std::vector<std::string>{
                  ".s########s.", //
                  "s#iiiiiiii#s", //
                  "#i........i#", //
                  "#i........i#", //
                  "#i........i#", //
                  "#i........i#", //
                  "s#iiiiiiii#s", //
                  ".s########s.", //
              }));
    // The cut of the outer outline is two pixels, that of the inner one one pixel: seen apart.
    FakeButton outer(TImage24(8, 6, back));
    outer.Outline(outer.Image.View(), frame);
    EXPECT_EQ(Picture(outer.Image, {{'#', ColorToRGB24(frame)}, {'s', soft}}),
              (std::vector<std::string>{".s####s.", "s#....#s", "#......#", "#......#", "s#....#s",
                                        ".s####s."}));
    FakeButton alone(TImage24(8, 6, back));
    alone.InnerOutline(alone.Image.View(), inner);
    EXPECT_EQ(Picture(alone.Image, {{'i', ColorToRGB24(inner)}}),
              (std::vector<std::string>{"........", "..iiii..", ".i....i.", ".i....i.", "..iiii..",
                                        "........"}));
}

TEST(GlassPaint, InsetShadingOfEachPressedCase) {
    const TRGB24 back{40, 80, 120};
    const TColor frame = 0x808080;
    const TRGB24 dark = ColorToRGB24(BlendColors(frame, 0, 75));
    const TRGB24 light = ColorToRGB24(BlendColors(frame, kWhite, 75));
    const struct {
        bool duo;
        int btnIdx;
        std::vector<std::string> picture;
    } cases[] = {
        {false,
         0,
         {"..............................", //
          "..DDDDDDDDDDDDDDDDDDDDDDDDDD..", //
          ".D..........................L.", //
          ".D..........................L.", //
          "..DLLLLLLLLLLLLLLLLLLLLLLLLL..", //
          ".............................."}},
        {true,
         0,
         {"..............................", //
          "..DDDDDDDDD...................", //
          ".D........L...................", //
          "..DLLLLLLLL...................", //
          ".............................."}},
        {true,
         1,
         {"..............................", //
          "............DDDDDDDDDDDDDDDD..", //
          "............D...............L.", //
          "............DLLLLLLLLLLLLLLL..", //
          ".............................."}},
    };
    for (const auto& c : cases) {
        FakeButton button(TImage24(30, int(c.picture.size()), back));
        button.FDuoStyle = c.duo;
        button.FBtnIdx = c.btnIdx;
        button.InsetShading(button.Image.View(), frame);
        EXPECT_EQ(Picture(button.Image, {{'D', dark}, {'L', light}}), c.picture)
            << c.duo << " " << c.btnIdx;
    }
}

TEST(GlassPaint, FrameColorMixesTheFourCornersWithColorFrame) {
    TImage24 image(9, 7, {0, 0, 0});
    const TColor tl = 0x102030, tr = 0xF0E0D0, bl = 0x00FF00, br = 0x808080;
    image.View().SetPixel(0, 0, ColorToRGB24(tl));
    image.View().SetPixel(8, 0, ColorToRGB24(tr));
    image.View().SetPixel(0, 6, ColorToRGB24(bl));
    image.View().SetPixel(8, 6, ColorToRGB24(br));
    FakeButton button(image);
    button.FColorFrame = kWhite;
    // Edge means of neighbouring corners, their means, then half ColorFrame.
    auto half = [](TColor a, TColor b) { return BlendColors(a, b, 50); };
    const TColor average = half(half(half(bl, tl), half(tl, tr)), half(half(tr, br), half(bl, br)));
    EXPECT_EQ(button.FrameColor(button.Image.View()), half(average, kWhite));
    // And one worked value: black corners give 255 + floor(−255 × 128 / 256) = 127.
    FakeButton black(TImage24(5, 5, {0, 0, 0}));
    black.FColorFrame = kWhite;
    EXPECT_EQ(black.FrameColor(black.Image.View()), 0x7F7F7Fu);
}

TEST(GlassPaint, FocusLightFadesTowardTheEdgesAndTheTopOfTheBand) {
    const struct {
        int w, h, band;
    } cases[] = {{10, 8, 5}, {9, 8, 8}, {9, 6, 27}, {7, 5, 1}, {6, 5, 0}, {1, 4, 4}};
    const TColor colour = 0xFFFF00;
    const TRGB24 c = ColorToRGB24(colour);
    for (const auto& k : cases) {
        TImage24 image = RandomImage(k.w, k.h, 5);
        TImage24 expected = image;
        // Column by column, as described: the light of column x and its mirror.
        const int h = std::min(k.band, k.h), half = (k.w + 1) / 2;
        for (int x = 0; x < half; ++x) {
            const int m = RoundedMulDiv(255, x, half);
            for (int i = 0; i <= h - 2; ++i) {
                const int f = 255 - RoundedMulDiv(m, i, h);
                const int y = k.h - h + i;
                expected.View().SetPixel(x, y, Toward(c, image.Pixel(x, y), f));
                const int mirror = k.w - 1 - x;
                if (x < mirror)
                    expected.View().SetPixel(mirror, y, Toward(c, image.Pixel(mirror, y), f));
            }
        }
        PaintFocusLight(image.View(), 255, colour, k.band);
        for (int y = 0; y < k.h; ++y)
            for (int x = 0; x < k.w; ++x)
                ASSERT_EQ(image.Pixel(x, y), expected.Pixel(x, y))
                    << k.w << "x" << k.h << " band " << k.band << " at " << x << "," << y;
    }
}

namespace {

// A K-wide box blur done the slow way: every output sums its 2r + 1
// neighbours, the edges repeating.
TImage24 NaiveShadowBlur(const TImage24& source, int r, int passes) {
    TImage24 image = source;
    const int w = image.Width(), h = image.Height(), k = 2 * r + 1;
    auto channel = [](const TRGB24& p, int c) { return c == 0 ? p.B : c == 1 ? p.G : p.R; };
    auto pass = [&](bool alongRows) {
        const TImage24 old = image;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                int sum[3] = {0, 0, 0};
                for (int i = -r; i <= r; ++i) {
                    const int sx = alongRows ? std::clamp(x + i, 0, w - 1) : x;
                    const int sy = alongRows ? y : std::clamp(y + i, 0, h - 1);
                    for (int c = 0; c < 3; ++c)
                        sum[c] += channel(old.Pixel(sx, sy), c);
                }
                image.View().SetPixel(
                    x, y,
                    {std::uint8_t(sum[0] / k), std::uint8_t(sum[1] / k), std::uint8_t(sum[2] / k)});
            }
    };
    for (int i = 0; i < passes; ++i)
        pass(true);
    for (int i = 0; i < passes + 1; ++i)
        pass(false);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const TRGB24 p = image.Pixel(x, y);
            const std::uint8_t v = std::uint8_t((p.R + p.G + p.B) / 3);
            image.View().SetPixel(x, y, {v, v, v});
        }
    return image;
}

} // namespace

TEST(GlassPaint, BlurShadowMaskEqualsANaiveBoxBlur) {
    const struct { int w, h; } sizes[] = {{120, 31}, {7, 5}, {1, 9}, {9, 1}, {3, 3}, {24, 31}};
    unsigned seed = 100;
    for (const auto& s : sizes)
        for (int radius = 1; radius <= 4; ++radius)
            for (int passes : {1, 3})
                for (bool grey : {false, true}) {
                    TImage24 image =
                        grey ? RandomGreyImage(s.w, s.h, ++seed) : RandomImage(s.w, s.h, ++seed);
                    const TImage24 expected = NaiveShadowBlur(image, radius, passes);
                    BlurShadowMask(image.View(), radius, passes);
                    for (int y = 0; y < s.h; ++y)
                        for (int x = 0; x < s.w; ++x)
                            ASSERT_EQ(image.Pixel(x, y), expected.Pixel(x, y))
                                << s.w << "x" << s.h << " r" << radius << " n" << passes
                                << (grey ? " grey" : "") << " at " << x << "," << y;
                }
    // Large radii, up to and past the last one divided by a reciprocal (63), and bright
    // images, whose box sums are the largest.
    for (int radius : {5, 8, 31, 63, 64, 200}) {
        TImage24 image = RandomImage(9, 7, ++seed);
        for (int x = 0; x < 9; ++x)
            image.View().SetPixel(x, 3, {255, 255, 255});
        const TImage24 expected = NaiveShadowBlur(image, radius, 3);
        BlurShadowMask(image.View(), radius, 3);
        for (int y = 0; y < 7; ++y)
            for (int x = 0; x < 9; ++x)
                ASSERT_EQ(image.Pixel(x, y), expected.Pixel(x, y)) << "r" << radius;
    }
    // Radius 0 leaves the image alone: not even the grey step.
    TImage24 image = RandomImage(10, 6, 9);
    const TImage24 before = image;
    BlurShadowMask(image.View(), 0, 3);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 10; ++x)
            ASSERT_EQ(image.Pixel(x, y), before.Pixel(x, y));
}

TEST(GlassPaint, ArrowGlyphIsASolidDownwardTriangle) {
    const TRGB24 ink{1, 2, 3};
    TImage24 image(12, 8, kWhitePixel);
    DrawArrowGlyph(image.View(), 1, 1, ink);
    EXPECT_EQ(Picture(image, {{'#', ink}}), (std::vector<std::string>{
                                                "............", //
                                                "............", //
                                                "............", //
                                                "...#######..", //
                                                "....#####...", //
                                                ".....###....", //
                                                "......#.....", //
                                                "............", //
                                            }));
    // At ArrowX = CW − 15, ArrowY = CH div 2 − 4 of a 40 × 21 button: columns CW − 13 ..
    // CW − 7, rows CH div 2 − 2 .. CH div 2 + 1; clipped at the image's edge.
    TImage24 button(40, 21, kWhitePixel);
    DrawArrowGlyph(button.View(), 40 - 15, 21 / 2 - 4, ink);
    EXPECT_EQ(button.Pixel(27, 8), ink);
    EXPECT_EQ(button.Pixel(33, 8), ink);
    EXPECT_EQ(button.Pixel(34, 8), kWhitePixel);
    EXPECT_EQ(button.Pixel(30, 11), ink);
    EXPECT_EQ(button.Pixel(30, 12), kWhitePixel);
    TImage24 small(4, 3, kWhitePixel);
    DrawArrowGlyph(small.View(), 0, 0, ink);
    EXPECT_EQ(Picture(small, {{'#', ink}}), (std::vector<std::string>{"....", "....", "..##"}));
}

TEST(GlassPaint, ShadowMaskOverlayPullsTowardTheGlowColour) {
    TImage24 image = RandomImage(6, 5, 21);
    const TImage24 before = image;
    TImage24 mask(4, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) {
            const std::uint8_t s = std::uint8_t(x * 85 + y);
            mask.View().SetPixel(x, y, {s, s, s});
        }
    const TRGB24 glow{200, 30, 90};
    OverlayShadowMask(image.View(), mask.View(), 3, -1, glow); // partly outside
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 6; ++x) {
            const int mx = x - 3, my = y + 1;
            const bool covered = mx >= 0 && mx < 4 && my >= 0 && my < 4;
            const TRGB24 expected = covered ? Toward(glow, before.Pixel(x, y), mask.Pixel(mx, my).R)
                                            : before.Pixel(x, y);
            ASSERT_EQ(image.Pixel(x, y), expected) << x << "," << y;
        }
}

TEST(GlassPaint, LayoutPlacesGlyphCaptionAndArrow) {
    const struct {
        bool arrow, duo;
        std::optional<std::pair<int, int>> images;
        int imageIndex;
        int glyphY, textX, textRight;
    } cases[] = {
        {false, false, std::nullopt, -1, 0, 4, 118},
        {false, false, std::pair{16, 16}, -1, 0, 4, 118}, // index −1: no glyph
        {false, false, std::nullopt, 2, 0, 4, 118},       // no image list: no glyph
        {false, false, std::pair{16, 16}, 0, 8, 24, 118},
        {true, false, std::pair{16, 16}, 0, 8, 24, 100},
        {false, true, std::nullopt, -1, 0, 4, 100},
        {false, false, std::pair{20, 40}, 0, -3, 28, 118}, // taller than the button
    };
    for (const auto& c : cases) {
        FakeButton button(TImage24(122, 33));
        button.FArrow = c.arrow;
        button.FDuoStyle = c.duo;
        button.FImageIndex = c.imageIndex;
        if (c.images)
            button.SetImages(c.images->first, c.images->second);
        button.UpdateLayout(122, 33);
        EXPECT_EQ(button.ArrowX, 107);
        EXPECT_EQ(button.ArrowY, 12);
        EXPECT_EQ(button.GlyphX, 4);
        EXPECT_EQ(button.GlyphY, c.glyphY);
        EXPECT_EQ(button.TextX, c.textX);
        EXPECT_EQ(button.TextRect.Left, c.textX);
        EXPECT_EQ(button.TextRect.Top, 0);
        EXPECT_EQ(button.TextRect.Right, c.textRight);
        EXPECT_EQ(button.TextRect.Bottom, 33);
    }
}

TEST(GlassPaint, IdleHotAndPressedLayersOfTheStartButton) {
    // Probes: (60, 0) the outer outline's top row, (2, 1) the inner outline's
    // top-left (and the pressed shading's dark path), (120, 3) the inner
    // outline's right column (and the light path), (60, 25) the lower body.
    const TImage24 background = GreyGradient(122, 33);
    const TRGB24 sky = ColorToRGB24(kSkyBlue);
    enum Probe { body, inner, dark, light };
    const struct {
        const char* name;
        int btnIdx;
        bool buttonDown, down;
        Probe topLeft, right;
        int bodyTints; // how often the lower body was tinted
    } cases[] = {
        {"idle", -1, false, false, body, body, 1},
        {"hot", 0, false, false, inner, inner, 1},
        {"pressed", 0, true, false, dark, light, 1},
        {"Down", -1, false, true, dark, light, 2}, // base body, then the pressed body again
    };
    for (const auto& c : cases) {
        FakeButton button(background);
        button.UseStartBtnSettings();
        button.FBtnIdx = c.btnIdx;
        button.FButtonDown = c.buttonDown;
        button.FDown = c.down;
        button.DrawButton();

        FakeButton reference(background);
        reference.UseStartBtnSettings();
        const TColor frame = reference.FrameColor(reference.Image.View());
        // Far from the caption the shadow mask is white, which still pulls each pixel
        // under it by 255/256 toward the glow colour; the mask covers 120 × 31 pixels
        // from (offset, offset).
        const int offset = c.buttonDown || c.down ? 1 : 0;
        auto overlaid = [&](int x, int y, TRGB24 p) {
            const bool covered = x >= offset && x < offset + 120 && y >= offset && y < offset + 31;
            return covered ? Toward(sky, p, 255) : p;
        };
        EXPECT_EQ(button.Image.Pixel(60, 0), overlaid(60, 0, ColorToRGB24(frame))) << c.name;
        TRGB24 lowerBody = background.Pixel(60, 25);
        for (int i = 0; i < c.bodyTints; ++i)
            lowerBody = Toward(lowerBody, sky, 196);
        EXPECT_EQ(button.Image.Pixel(60, 25), overlaid(60, 25, lowerBody)) << c.name;
        auto expectedAt = [&](Probe probe, int x, int y) {
            switch (probe) {
            case inner:
                return overlaid(x, y, ColorToRGB24(BlendColors(frame, kWhite, 50)));
            case dark:
                return overlaid(x, y, ColorToRGB24(BlendColors(frame, kBlack, 75)));
            case light:
                return overlaid(x, y, ColorToRGB24(BlendColors(frame, kWhite, 75)));
            default: // the gloss band's first row
                return overlaid(x, y, Toward(background.Pixel(x, y), sky, 176 + (y - 1)));
            }
        };
        EXPECT_EQ(button.Image.Pixel(2, 1), expectedAt(c.topLeft, 2, 1)) << c.name;
        if (c.right != body) {
            EXPECT_EQ(button.Image.Pixel(120, 3), expectedAt(c.right, 120, 3)) << c.name;
        }
        // The caption sits in TextRect, moved 1 pixel right and down when pressed.
        ASSERT_EQ(button.Captions.size(), 2u);
        EXPECT_TRUE(button.Captions[0].onMask);
        EXPECT_EQ(button.Captions[0].rect.Left, 5); // the drop shadow's 1-pixel shift
        EXPECT_EQ(button.Captions[1].rect.Left, 4 + offset);
        EXPECT_EQ(button.Captions[1].rect.Top, offset);
        EXPECT_EQ(button.Captions[1].colour, kBlack);
    }
}

TEST(GlassPaint, DropShadowLiesOneRightAndDownOfTheCaption) {
    const struct {
        TShadowStyle style;
        bool pressed;
        int peakX, peakY; // where the shadow darkens the image most
    } cases[] = {{ssDrop, false, 5, 11}, {ssDrop, true, 6, 12}};
    for (const auto& c : cases) {
        FakeButton shadowed(TImage24(60, 24, kWhitePixel)), plain(TImage24(60, 24, kWhitePixel));
        for (FakeButton* b : {&shadowed, &plain}) {
            b->FFlat = true; // no body: only the content
            b->GlowColor = {0, 0, 0};
            b->FButtonDown = c.pressed;
        }
        shadowed.FShadowStyle = c.style;
        plain.FShadowStyle = ssNone;
        shadowed.DrawButton();
        plain.DrawButton();
        EXPECT_EQ(plain.Captions.size(), 1u); // no mask at all without a shadow
        int best = 0, bestX = -1, bestY = -1;
        for (int y = 0; y < 24; ++y)
            for (int x = 0; x < 60; ++x) {
                const int darkening = plain.Image.Pixel(x, y).R - shadowed.Image.Pixel(x, y).R;
                if (darkening > best)
                    best = darkening, bestX = x, bestY = y;
            }
        EXPECT_EQ(bestX, c.peakX) << c.pressed;
        EXPECT_EQ(bestY, c.peakY) << c.pressed;
    }
    // A glow surrounds the caption evenly: its mask is drawn unshifted.
    FakeButton glow(TImage24(60, 24, kWhitePixel));
    glow.FShadowStyle = ssGlow;
    glow.DrawButton();
    EXPECT_EQ(glow.Captions[0].rect.Left, 4);
    EXPECT_EQ(glow.Captions[0].rect.Top, 0);
}

TEST(GlassPaint, FlatIdleButtonShowsOnlyItsContent) {
    const TImage24 background = GreyGradient(50, 20);
    FakeButton button(background);
    button.FShadowStyle = ssNone;
    button.DrawButton();
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 50; ++x)
            if (!(x == 4 && y == 10)) { // the caption's dot
                ASSERT_EQ(button.Image.Pixel(x, y), background.Pixel(x, y)) << x << "," << y;
            }
    // Focus brings the base layer back even for a flat button.
    FakeButton focused(background);
    focused.FShadowStyle = ssNone;
    focused.Focus = true;
    focused.DrawButton();
    EXPECT_NE(focused.Image.Pixel(25, 0), background.Pixel(25, 0));
}

TEST(GlassPaint, DuoButtonPressedOnEitherPart) {
    const TRGB24 back{100, 100, 100};
    const TColor up = 0x0000FF, down = 0xFF0000;
    for (int part : {0, 1}) {
        FakeButton button(TImage24(60, 24, back));
        button.FFlat = false;
        button.FDuoStyle = true;
        button.FColor = up;
        button.FColorDown = down;
        button.FShadowStyle = ssNone;
        button.FBtnIdx = part;
        button.FButtonDown = true;
        button.DrawButton();
        // Main part up to column 40, arrow part from 42; a hot button has no base body, so
        // each part is tinted once, the pressed one toward ColorDown.
        const TRGB24 pressed = Toward(back, ColorToRGB24(down), 72);
        const TRGB24 released = Toward(back, ColorToRGB24(up), 72);
        EXPECT_EQ(button.Image.Pixel(30, 15), part == 0 ? pressed : released) << part;
        EXPECT_EQ(button.Image.Pixel(50, 15), part == 1 ? pressed : released) << part;
        // Column CW − 19 carries the separator in the inner outline's colour.
        const TColor frame = button.FrameColor(button.Image.View());
        EXPECT_EQ(button.Image.Pixel(41, 15), ColorToRGB24(BlendColors(frame, 0xFFFFFF, 50)));
        // The arrow moves with its part only; the caption with the main part only.
        ASSERT_EQ(button.Captions.size(), 1u);
        EXPECT_EQ(button.Captions[0].rect.Left, part == 0 ? 5 : 4);
        EXPECT_EQ(button.Captions[0].rect.Right, 60 - 4 - 18 + (part == 0 ? 1 : 0));
        const int arrowTop = 24 / 2 - 4 + 2 + (part == 1 ? 1 : 0);
        EXPECT_EQ(button.Image.Pixel(45 + 2 + (part == 1 ? 1 : 0), arrowTop),
                  ColorToRGB24(0xFFFFFF));
    }
}

TEST(GlassPaint, DisabledCaptionTakesColorDisabledButTheArrowPartKeepsTheFontColour) {
    FakeButton button(TImage24(60, 24, {100, 100, 100}));
    button.FDuoStyle = true;
    button.FShadowStyle = ssNone;
    button.FFontColor = 0x00FF00;
    button.FDisabledColor = 0xFF000000 | 16; // a system colour, resolved before drawing
    button.Enable = false;
    button.FImageIndex = 0;
    button.SetImages(8, 8);
    button.DrawButton();
    ASSERT_EQ(button.Captions.size(), 1u);
    EXPECT_EQ(button.Captions[0].colour, 0x00FF00FFu); // the fake's resolution of a system colour
    EXPECT_EQ(button.Image.Pixel(45 + 2, 24 / 2 - 4 + 2), ColorToRGB24(0x00FF00));
    EXPECT_EQ(button.Image.Pixel(4, 8), (TRGB24{0, 255, 0})); // the glyph in its disabled look
}

// A duo button narrower than its 24-pixel arrow part: the part's shadow mask
// starts left of the image and only its overlapping columns are laid.
TEST(GlassPaint, NarrowDuoButtonLaysTheOverlappingPartOfTheArrowShadow) {
    const int cw = 16, ch = 20;
    const TImage24 background = GreyGradient(cw, ch);
    const TRGB24 glow{40, 90, 160};
    FakeButton button(background);
    button.FDuoStyle = true;
    button.GlowColor = glow;
    button.DrawButton(); // flat, idle, with a glow: only the content and its shadows

    auto shadow = [&](TImage24& image, const TImage24& mask, int left) {
        for (int y = 0; y < mask.Height(); ++y)
            for (int x = 0; x < mask.Width(); ++x)
                if (image.View().Contains(x + left, y))
                    image.View().SetPixel(
                        x + left, y, Toward(glow, image.Pixel(x + left, y), mask.Pixel(x, y).R));
    };
    const int arrowY = ch / 2 - 4;
    TImage24 expected = background;
    // The arrow part: its mask (24 × ch − 2, arrow at x 9) right-aligned, 8 columns cut off.
    TImage24 arrowMask(24, ch - 2, kWhitePixel);
    DrawArrowGlyph(arrowMask.View(), 9, arrowY, {0, 0, 0});
    BlurShadowMask(arrowMask.View(), 1, 3);
    shadow(expected, arrowMask, cw - 24);
    DrawArrowGlyph(expected.View(), cw - 15, arrowY, kWhitePixel);
    // The main part: the caption's mask (the fake's dot at (4, 10)), then the caption.
    TImage24 captionMask(cw - 2, ch - 2, kWhitePixel);
    captionMask.View().SetPixel(4, 10, {0, 0, 0});
    BlurShadowMask(captionMask.View(), 1, 3);
    shadow(expected, captionMask, 0);
    expected.View().SetPixel(4, 10, kWhitePixel);

    for (int y = 0; y < ch; ++y)
        for (int x = 0; x < cw; ++x)
            ASSERT_EQ(button.Image.Pixel(x, y), expected.Pixel(x, y)) << x << "," << y;
}
