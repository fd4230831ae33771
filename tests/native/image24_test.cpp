#include "ui/framework/image24.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

using namespace skorvel;

namespace {

constexpr TRGB24 kBack{10, 20, 30};
constexpr TRGB24 kInk{200, 100, 50};

// The image as text, one string per row: '#' for ink, '.' for background.
std::vector<std::string> Picture(TImage24& image) {
    std::vector<std::string> rows;
    for (int y = 0; y < image.Height(); ++y) {
        std::string row;
        for (int x = 0; x < image.Width(); ++x)
            row += image.Pixel(x, y) == kInk ? '#' : image.Pixel(x, y) == kBack ? '.' : '?';
        rows.push_back(row);
    }
    return rows;
}

} // namespace

TEST(Image24, RowsArePaddedLikeDibRows) {
    const struct {
        int width, stride;
    } cases[] = {{1, 4}, {2, 8}, {3, 12}, {4, 12}, {5, 16}, {122, 368}, {318, 956}};
    for (const auto& c : cases) {
        TImage24 image(c.width, 2, kBack);
        EXPECT_EQ(image.View().Stride(), c.stride) << c.width;
        // The second row starts after the padding.
        const auto* first = reinterpret_cast<std::uint8_t*>(image.View().Row(0));
        EXPECT_EQ(reinterpret_cast<std::uint8_t*>(image.View().Row(1)) - first, c.stride);
        EXPECT_EQ(image.Pixel(c.width - 1, 1), kBack);
    }
}

// A new size in either dimension alone is a new image (black, rows of the new
// stride); only the same size keeps the pixels.
TEST(Image24, ResizingInOneDimensionGivesANewImage) {
    const struct {
        int width, height;
        bool kept;
    } cases[] = {{6, 3, false}, {4, 5, false}, {7, 6, false}, {4, 3, true}, {0, 3, false}};
    for (const auto& c : cases) {
        TImage24 image(4, 3, kInk);
        image.SetSize(c.width, c.height);
        EXPECT_EQ(image.Width(), c.width) << c.width << "x" << c.height;
        EXPECT_EQ(image.Height(), c.height) << c.width << "x" << c.height;
        const TRGB24 expected = c.kept ? kInk : TRGB24{0, 0, 0};
        int other = 0;
        for (int y = 0; y < c.height; ++y)
            for (int x = 0; x < c.width; ++x)
                other += image.Pixel(x, y) != expected;
        EXPECT_EQ(other, 0) << c.width << "x" << c.height;
        // The whole new area can be drawn on.
        image.View().Fill(kBack);
        if (c.width > 0 && c.height > 0) {
            EXPECT_EQ(image.Pixel(c.width - 1, c.height - 1), kBack);
        }
    }
}

TEST(Image24, LinesLeaveTheirEndPointUndrawn) {
    const struct {
        TPixelPoint from, to;
        std::vector<std::string> picture;
    } cases[] = {
        {{1, 1}, {5, 1}, {"......", ".####.", "......", "......"}},
        {{5, 2}, {1, 2}, {"......", "......", "..####", "......"}},
        {{0, 0}, {0, 3}, {"#.....", "#.....", "#.....", "......"}},
        {{4, 3}, {4, 0}, {"......", "....#.", "....#.", "....#."}},
        {{0, 0}, {3, 3}, {"#.....", ".#....", "..#...", "......"}},
        {{5, 0}, {2, 3}, {".....#", "....#.", "...#..", "......"}},
        {{2, 3}, {5, 0}, {"......", "....#.", "...#..", "..#..."}},
        {{3, 2}, {3, 2}, {"......", "......", "......", "......"}},
        // Clipped at the image's edges.
        {{-2, 1}, {9, 1}, {"......", "######", "......", "......"}},
    };
    for (const auto& c : cases) {
        TImage24 image(6, 4, kBack);
        DrawLine(image.View(), c.from, c.to, kInk);
        EXPECT_EQ(Picture(image), c.picture) << c.from.X << "," << c.from.Y;
    }
}

TEST(Image24, PolylineDrawsEveryJointButNotTheLastPoint) {
    TImage24 image(6, 4, kBack);
    const TPixelPoint points[] = {{0, 0}, {4, 0}, {4, 3}, {1, 3}};
    DrawPolyline(image.View(), points, kInk);
    EXPECT_EQ(Picture(image), (std::vector<std::string>{"#####.", "....#.", "....#.", "..###."}));
}

TEST(Image24, OtherSlopesAreRejected) {
    TImage24 image(6, 4, kBack);
    EXPECT_THROW(DrawLine(image.View(), {0, 0}, {3, 2}, kInk), std::invalid_argument);
}

TEST(Image24, MulDivRoundsHalvesAwayFromZero) {
    const struct {
        int a, b, c, result;
    } cases[] = {{255, 1, 2, 128},    {-255, 1, 2, -128}, {254, 1, 4, 64},
                 {127, 196, 255, 98}, {94, 196, 255, 72}, {51, 196, 255, 39},
                 {7, 3, -2, -11},     {5, 1, 0, -1},      {255, 119, 122, 249}};
    for (const auto& c : cases)
        EXPECT_EQ(MulDiv(c.a, c.b, c.c), c.result) << c.a << "*" << c.b << "/" << c.c;
}

TEST(Image24, TintTableMovesEachValueTowardTheTarget) {
    const struct {
        int target, weight;
    } cases[] = {{0, 0}, {255, 196}, {166, 196}, {0, 255}, {128, 128}};
    for (const auto& c : cases) {
        const TChannelTable table = TintTable(std::uint8_t(c.target), c.weight);
        for (int i = 0; i < 256; ++i) {
            const int expected =
                i + static_cast<int>(std::floor(c.weight * (c.target - i) / 256.0));
            EXPECT_EQ(table[i], expected) << c.target << " " << c.weight << " " << i;
        }
    }
}
