// Pixel work of the custom controls: a whole button paint, the shadow blur by
// radius, and one paint of the main window's panel per fill style (the parts
// the platform draws, GradientFill, stretching and tiling, are not included).
#include "tests/native/random_image.h"
#include "ui/controls/glass_paint.h"
#include "ui/controls/panel_paint.h"

#include <benchmark/benchmark.h>

#include <random>

using namespace skorvel;

namespace {

constexpr TColor kWhite = 0xFFFFFF, kSilver = 0xC0C0C0, kSkyBlue = 0xF0CAA6, kTeal = 0x808000;

// A glass button over a copy of the panel's gradient. The caption stand-in
// stamps a block of the caption's size, so the mask has a shape to blur.
class BenchButton : public TGlassButtonPainter {
public:
    BenchButton(int w, int h) : Background(w, h), Image(w, h) {
        PaintVista(Background.View(), kWhite, kSilver, kWhite, kWhite, false);
    }
    void Paint() {
        Image.View().CopyFrom(Background.View()); // stands in for the parent's rendering
        DrawButton();
    }
    TImage24 Background, Image, Mask;

protected:
    TColor ColorToRGB(TColor c) const override { return c & 0xFFFFFF; }
    bool HasFocus() const override { return false; }
    bool IsEnabled() const override { return true; }
    std::optional<TGlyphSize> ImageSize() const override { return std::nullopt; }
    TImageView Pixels(TGlassSurface surface) override {
        return surface == gsImage ? Image.View() : Mask.View();
    }
    void NewShadowMask(int width, int height) override {
        Mask.SetSize(width, height);
        Mask.View().Fill({255, 255, 255});
    }
    void DrawGlyph(TGlassSurface, int, int, TGlyphLook) override {}
    void DrawCaption(TGlassSurface surface, const TPixelRect& rect, TColor colour,
                     TTextAlign) override {
        const TImageView target = Pixels(surface);
        const TRGB24 ink = ColorToRGB24(colour);
        for (int y = rect.Top + 10; y < rect.Top + 20 && y < target.Height(); ++y)
            for (int x = rect.Left + 20; x < rect.Right - 20 && x < target.Width(); ++x)
                target.SetPixel(x, y, ink);
    }
};

void StartBtnPaint(benchmark::State& state) {
    BenchButton button(122, 33);
    button.FColor = kSkyBlue;
    button.FColorDown = kSkyBlue;
    button.FColorFrame = kWhite;
    button.GlowColor = ColorToRGB24(kSkyBlue);
    button.FGlossy = true;
    button.StoreGlossyLevel(100);
    button.FShadowStyle = ssDrop;
    button.FFlat = false;
    button.FFontColor = 0;
    button.FBtnIdx = int(state.range(0)); // −1 idle, 0 hot
    for (auto _ : state) {
        button.Paint();
        benchmark::ClobberMemory();
    }
}
BENCHMARK(StartBtnPaint)->Arg(-1)->Arg(0)->Unit(benchmark::kMicrosecond);

void WiecejBtnPaint(benchmark::State& state) {
    BenchButton button(201, 26);
    button.FColor = kTeal;
    button.FColorDown = kSkyBlue;
    button.FColorFrame = kWhite;
    button.StoreGlossyLevel(100);
    button.FShadowStyle = ssNone;
    button.FFlat = false;
    button.FBtnIdx = int(state.range(0));
    for (auto _ : state) {
        button.Paint();
        benchmark::ClobberMemory();
    }
}
BENCHMARK(WiecejBtnPaint)->Arg(-1)->Arg(0)->Unit(benchmark::kMicrosecond);

void ShadowBlur(benchmark::State& state) {
    TImage24 source = RandomImage(120, 31);
    TImage24 mask(120, 31);
    for (auto _ : state) {
        mask.View().CopyFrom(source.View());
        BlurShadowMask(mask.View(), int(state.range(0)), 3);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(ShadowBlur)->Arg(1)->Arg(2)->Arg(4)->Arg(8)->Unit(benchmark::kMicrosecond);

// The main window's panel, 318 × 421.
void MainPanelVista(benchmark::State& state) {
    TImage24 image(318, 421);
    for (auto _ : state) {
        PaintVista(image.View(), kWhite, kSilver, 0xC0DCC0, kTeal, state.range(0) != 0);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(MainPanelVista)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void MainPanelGlassColumn(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(GlassColumn(kWhite, kSilver, 421));
}
BENCHMARK(MainPanelGlassColumn)->Unit(benchmark::kMicrosecond);

void MainPanelAlpha(benchmark::State& state) {
    TImage24 parent = RandomImage(318, 421);
    for (auto _ : state) {
        BlendWithColor(parent.View(), kWhite, 128);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(MainPanelAlpha)->Unit(benchmark::kMicrosecond);

void MainPanelOpacity(benchmark::State& state) {
    TImage24 parent = RandomImage(318, 421), fill(318, 421);
    PaintVista(fill.View(), kWhite, kSilver, 0xC0DCC0, kTeal, false);
    for (auto _ : state) {
        BlendWithFill(parent.View(), fill.View(), 128);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(MainPanelOpacity)->Unit(benchmark::kMicrosecond);

} // namespace
