#pragma once
// A 24-bit image of random pixels from a fixed seed, for the pixel tests and
// benchmarks: every channel value occurs, so a wrong table entry shows.
#include "ui/framework/image24.h"

#include <random>

namespace skorvel {

inline TImage24 RandomImage(int w, int h, unsigned seed = 42) {
    std::mt19937 random(seed);
    TImage24 image(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.View().SetPixel(
                x, y, {std::uint8_t(random()), std::uint8_t(random()), std::uint8_t(random())});
    return image;
}

} // namespace skorvel
