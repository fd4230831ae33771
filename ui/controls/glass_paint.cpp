#include "ui/controls/glass_paint.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace skorvel {
namespace {

constexpr TColor kWhite = 0xFFFFFF;
constexpr TColor kBlack = 0x000000;
constexpr TRGB24 kBlackPixel{0, 0, 0};
// The gloss band's weight on its first row.
constexpr int kGlossTop = 176;

int BlendWeight(int percent) {
    // percent × 2.55 with exact decimal rounding, ties to even.
    const int scaled = std::clamp(percent, 0, 100) * 255;
    int weight = scaled / 100;
    const int rest = scaled % 100;
    if (rest > 50 || (rest == 50 && weight % 2 == 1))
        ++weight;
    return weight;
}

std::uint8_t Mix(int to, int from, int weight) {
    return std::uint8_t(to + FloorDiv256((from - to) * weight));
}

TPixelRect ClipToImage(const TPixelRect& r, const TImageView& image) {
    return {std::max(r.Left, 0), std::max(r.Top, 0), std::min(r.Right, image.Width()),
            std::min(r.Bottom, image.Height())};
}

TPixelRect Moved(TPixelRect r, int d) {
    return {r.Left + d, r.Top + d, r.Right + d, r.Bottom + d};
}

// Rows of the gloss band: half the rectangle's height, and the weight step
// per row, truncated toward zero (negative when alpha exceeds 176, so the
// weight then rises).
struct TGlossBand {
    int Rows = 0, Step = 0;
    TGlossBand(bool glossy, const TPixelRect& rect, int alpha) {
        if (glossy && rect.Height() >= 2) {
            Rows = rect.Height() / 2;
            Step = (kGlossTop - alpha) / Rows;
        }
    }
    bool Contains(int rowIndex) const { return rowIndex < Rows; }
    int Weight(int rowIndex) const { return kGlossTop - rowIndex * Step; }
};

// The blur works on 16-bit copies of the channel values (each still 0..255
// after every pass), laid out as rows that are blurred against the rows
// above and below: the mask's pixel columns for the passes along its rows,
// its rows for the passes along its columns. Every pass then runs over long
// contiguous rows, all positions advancing together, which the compiler
// turns into vector code.
struct TBlurPlane {
    std::vector<std::uint16_t> Values;
    int Rows = 0;
    std::size_t Length = 0; // values per row
    void SetSize(int rows, std::size_t length) {
        Rows = rows;
        Length = length;
        Values.resize(std::size_t(rows) * length);
    }
    std::uint16_t* Row(int y) { return &Values[Length * std::size_t(y)]; }
    // Rows before the first and after the last repeat those rows.
    std::uint16_t* ClampedRow(int y) { return Row(std::clamp(y, 0, Rows - 1)); }
};

// floor(sum / k) for the box sums (0 <= sum <= 255 × k): the high half of a
// 16-bit product, then a shift; exact for k <= 128, where
// 255 × k² < 2^(16 + shift).
struct TReciprocalDivider {
    using Sum = std::uint16_t;
    explicit TReciprocalDivider(int k) {
        while ((2 << Shift) <= k)
            ++Shift;
        Factor = std::uint16_t(((1u << (16 + Shift)) + unsigned(k) - 1) / unsigned(k));
    }
    std::uint16_t operator()(Sum sum) const {
        return std::uint16_t(std::uint16_t(std::uint32_t(sum) * Factor >> 16) >> Shift);
    }
    std::uint16_t Factor = 0;
    int Shift = 0;
};
struct TPlainDivider {
    using Sum = std::uint32_t;
    explicit TPlainDivider(int k) : K(unsigned(k)) {}
    std::uint16_t operator()(Sum sum) const { return std::uint16_t(sum / K); }
    unsigned K;
};
constexpr int kLargestReciprocalBox = 128;

// One box pass: every value of target becomes the mean of the 2r + 1 values
// of source centred on it in its column, positions beyond the first and last
// rows counting as those rows. A running sum per column makes the cost
// independent of r.
template <typename Divider>
void BoxPass(TBlurPlane& source, TBlurPlane& target, int r, const Divider& divide,
             std::vector<typename Divider::Sum>& sums) {
    using Sum = typename Divider::Sum;
    const std::size_t length = source.Length;
    target.SetSize(source.Rows, length);
    sums.resize(length);
    Sum* __restrict sum = sums.data();
    const std::uint16_t* first = source.ClampedRow(0);
    for (std::size_t j = 0; j < length; ++j)
        sum[j] = Sum(first[j] * (r + 1));
    for (int i = 1; i <= r; ++i) {
        const std::uint16_t* __restrict row = source.ClampedRow(i);
        for (std::size_t j = 0; j < length; ++j)
            sum[j] = Sum(sum[j] + row[j]);
    }
    const Divider d = divide;
    for (int y = 0; y < source.Rows; ++y) {
        std::uint16_t* __restrict out = target.Row(y);
        const std::uint16_t* __restrict added = source.ClampedRow(y + r + 1);
        const std::uint16_t* __restrict removed = source.ClampedRow(y - r);
        for (std::size_t j = 0; j < length; ++j) {
            out[j] = d(sum[j]);
            sum[j] = Sum(sum[j] + added[j] - removed[j]);
        }
    }
}

template <typename Divider>
void BoxPasses(TBlurPlane& plane, TBlurPlane& spare, int radius, int count, const Divider& divide) {
    std::vector<typename Divider::Sum> sums;
    for (int i = 0; i < count; ++i) {
        BoxPass(plane, spare, radius, divide, sums);
        std::swap(plane, spare);
    }
}

// A mask drawn in black and white, or with grey-scale smoothing, has equal
// channels; it is blurred as one channel, which gives the same result.
bool IsGrey(const TImageView& image) {
    for (int y = 0; y < image.Height(); ++y) {
        const TRGB24* row = image.Row(y);
        for (int x = 0; x < image.Width(); ++x)
            if (row[x].B != row[x].G || row[x].G != row[x].R)
                return false;
    }
    return true;
}

// Blurs the channels of the image in a plane (channels 1: the red one only)
// and leaves the result there, one row per image row.
template <typename Divider>
void BoxBlur(const TImageView& image, int radius, int passes, const Divider& divide, int channels,
             TBlurPlane& plane, TBlurPlane& spare) {
    const int w = image.Width(), h = image.Height();
    // Along the rows: each plane row is one pixel column of the image.
    plane.SetSize(w, std::size_t(h) * channels);
    for (int y = 0; y < h; ++y) {
        const TRGB24* row = image.Row(y);
        std::uint16_t* p = plane.Values.data() + y * channels;
        for (int x = 0; x < w; ++x, p += plane.Length) {
            p[0] = row[x].R;
            if (channels == 3)
                p[1] = row[x].G, p[2] = row[x].B;
        }
    }
    BoxPasses(plane, spare, radius, passes, divide);
    // Along the columns, one pass more: each plane row is an image row.
    spare.SetSize(h, std::size_t(w) * channels);
    for (int x = 0; x < w; ++x) {
        const std::uint16_t* p = plane.Row(x);
        std::uint16_t* q = spare.Values.data() + x * channels;
        for (int y = 0; y < h; ++y, p += channels, q += spare.Length)
            for (int c = 0; c < channels; ++c)
                q[c] = p[c];
    }
    std::swap(plane, spare);
    BoxPasses(plane, spare, radius, passes + 1, divide);
}

} // namespace

TColor BlendColors(TColor a, TColor b, int percent) {
    const int weight = BlendWeight(percent);
    const TRGB24 pa = ColorToRGB24(a), pb = ColorToRGB24(b);
    return RGB24ToColor(
        {Mix(pb.B, pa.B, weight), Mix(pb.G, pa.G, weight), Mix(pb.R, pa.R, weight)});
}

int GlossFromLevel(int glossyLevel) {
    return MulDiv(glossyLevel * 255 / 100, 196, 255);
}

void PaintFocusLight(const TImageView& image, int level, TColor colour, int height) {
    const int width = image.Width(), imageHeight = image.Height();
    const int h = std::clamp(height, 0, imageHeight);
    const int half = (width + 1) / 2;
    const TRGB24 c = ColorToRGB24(colour);
    std::vector<int> strength(half);
    for (int x = 0; x < half; ++x)
        strength[x] = MulDiv(level, x, half);
    for (int k = 0; k + 1 < h; ++k) {
        TRGB24* row = image.Row(imageHeight - h + k);
        for (int x = 0; x < half; ++x) {
            const int keep = 255 - MulDiv(strength[x], k, h);
            auto light = [&](TRGB24& p) {
                p = {Mix(c.B, p.B, keep), Mix(c.G, p.G, keep), Mix(c.R, p.R, keep)};
            };
            light(row[x]);
            if (x < width - 1 - x)
                light(row[width - 1 - x]);
        }
    }
}

void BlurShadowMask(const TImageView& image, int radius, int passes) {
    if (radius <= 0 || image.Empty())
        return;
    const int k = 2 * radius + 1;
    const int channels = IsGrey(image) ? 1 : 3;
    TBlurPlane plane, spare;
    if (k <= kLargestReciprocalBox)
        BoxBlur(image, radius, passes, TReciprocalDivider(k), channels, plane, spare);
    else
        BoxBlur(image, radius, passes, TPlainDivider(k), channels, plane, spare);
    // The blurred values, grey: the mean of the three channels.
    for (int y = 0; y < image.Height(); ++y) {
        TRGB24* row = image.Row(y);
        const std::uint16_t* p = plane.Row(y);
        for (int x = 0; x < image.Width(); ++x, p += channels) {
            const std::uint8_t v = std::uint8_t(channels == 1 ? p[0] : (p[0] + p[1] + p[2]) / 3);
            row[x] = {v, v, v};
        }
    }
}

void DrawArrowGlyph(const TImageView& image, int x, int y, TRGB24 colour) {
    // The pen path (x+3, y+3) → (x+7, y+3) → (x+5, y+5) → (x+3, y+3) → (x+6, y+5),
    // then (x+2, y+2) → (x+9, y+2), covers exactly these four rows.
    DrawLine(image, {x + 2, y + 2}, {x + 9, y + 2}, colour);
    DrawLine(image, {x + 3, y + 3}, {x + 8, y + 3}, colour);
    DrawLine(image, {x + 4, y + 4}, {x + 7, y + 4}, colour);
    DrawLine(image, {x + 5, y + 5}, {x + 6, y + 5}, colour);
}

void OverlayShadowMask(const TImageView& image, const TImageView& mask, int left, int top,
                       TRGB24 glow) {
    const int fromX = std::max(0, -left), toX = std::min(mask.Width(), image.Width() - left);
    const int fromY = std::max(0, -top), toY = std::min(mask.Height(), image.Height() - top);
    // The mask may start left of the image (the arrow part of a narrow duo
    // button): only pointers to pixels inside the image are formed.
    for (int y = fromY; y < toY; ++y) {
        const TRGB24* s = mask.Row(y);
        TRGB24* row = image.Row(y + top);
        for (int x = fromX; x < toX; ++x) {
            const int weight = s[x].R;
            TRGB24& p = row[x + left];
            p = {Mix(glow.B, p.B, weight), Mix(glow.G, p.G, weight), Mix(glow.R, p.R, weight)};
        }
    }
}

void TGlassButtonPainter::StoreGlossyLevel(int level) {
    FGlossyLevel = std::clamp(level, 0, 100);
    FGloss = GlossFromLevel(FGlossyLevel);
}

void TGlassButtonPainter::StoreAltRender(bool alt) {
    FAltRender = alt;
    AlphaRender =
        alt ? &TGlassButtonPainter::AltAlphaRender : &TGlassButtonPainter::StandardAlphaRender;
}

void TGlassButtonPainter::UpdateLayout(int clientWidth, int clientHeight) {
    ArrowX = clientWidth - 15;
    ArrowY = clientHeight / 2 - 4;
    const std::optional<TGlyphSize> glyph = FImageIndex != -1 ? ImageSize() : std::nullopt;
    GlyphX = FImageOffset;
    // A glyph taller than the button starts above it, centred as well as it can be.
    GlyphY = glyph ? (clientHeight - glyph->Height) / 2 : 0;
    TextX = glyph ? FImageOffset + glyph->Width + FImageSpacing : FImageOffset;
    TextRect = {TextX, 0, clientWidth - FImageOffset, clientHeight};
    if (FArrow || FDuoStyle)
        TextRect.Right -= 18;
}

TColor TGlassButtonPainter::FrameColor(const TImageView& image) const {
    const int right = image.Width() - 1, bottom = image.Height() - 1;
    const TColor tl = RGB24ToColor(image.Pixel(0, 0));
    const TColor tr = RGB24ToColor(image.Pixel(right, 0));
    const TColor bl = RGB24ToColor(image.Pixel(0, bottom));
    const TColor br = RGB24ToColor(image.Pixel(right, bottom));
    const TColor e1 = BlendColors(bl, tl, 50), e2 = BlendColors(tl, tr, 50);
    const TColor e3 = BlendColors(tr, br, 50), e4 = BlendColors(bl, br, 50);
    const TColor average = BlendColors(BlendColors(e1, e2, 50), BlendColors(e3, e4, 50), 50);
    return BlendColors(average, FColorFrame, 50);
}

void TGlassButtonPainter::Outline(const TImageView& image, TColor frame) const {
    const int l = 0, t = 0, r = image.Width(), b = image.Height();
    const TPixelPoint outer[] = {{l, t + 2},     {l + 2, t},     {l + 2, t},     {r - 3, t},
                                 {r - 1, t + 2}, {r - 1, b - 3}, {r - 3, b - 1}, {l + 2, b - 1},
                                 {l, b - 3},     {l, t + 2}};
    DrawPolyline(image, outer, ColorToRGB24(frame));
    // The pixels beside the cut corners take half the frame colour, which
    // softens the diagonals.
    const TPixelPoint softened[] = {{l, t + 1}, {l + 1, t},     {r - 1, t + 1}, {r - 2, t},
                                    {l, b - 2}, {l + 1, b - 1}, {r - 1, b - 2}, {r - 2, b - 1}};
    for (const TPixelPoint& p : softened)
        if (image.Contains(p.X, p.Y))
            image.SetPixel(
                p.X, p.Y,
                ColorToRGB24(BlendColors(RGB24ToColor(image.Pixel(p.X, p.Y)), frame, 50)));
}

void TGlassButtonPainter::InnerOutline(const TImageView& image, TColor colour) const {
    const int l = 1, t = 1, r = image.Width() - 1, b = image.Height() - 1;
    const TPixelPoint inner[] = {{l, t + 1},     {l + 1, t},     {l + 1, t},     {r - 2, t},
                                 {r - 1, t + 1}, {r - 1, b - 2}, {r - 2, b - 1}, {l + 1, b - 1},
                                 {l, b - 2},     {l, t + 1}};
    DrawPolyline(image, inner, ColorToRGB24(colour));
}

void TGlassButtonPainter::InsetShading(const TImageView& image, TColor frame) const {
    const int l = 0, t = 0, r = image.Width(), b = image.Height();
    const TRGB24 dark = ColorToRGB24(BlendColors(frame, kBlack, 75));
    const TRGB24 light = ColorToRGB24(BlendColors(frame, kWhite, 75));
    if (!FDuoStyle) {
        const TPixelPoint darkPath[] = {
            {l + 2, b - 2}, {l + 1, b - 3}, {l + 1, t + 2}, {l + 2, t + 1}, {r - 2, t + 1}};
        const TPixelPoint lightPath[] = {
            {r - 2, t + 2}, {r - 2, b - 3}, {r - 3, b - 2}, {l + 2, b - 2}};
        DrawPolyline(image, darkPath, dark);
        DrawPolyline(image, lightPath, light);
    } else if (FBtnIdx == 0) {
        const TPixelPoint darkPath[] = {
            {l + 2, b - 2}, {l + 1, b - 3}, {l + 1, t + 2}, {l + 2, t + 1}, {r - 19, t + 1}};
        const TPixelPoint lightPath[] = {
            {r - 20, t + 2}, {r - 20, b - 3}, {r - 20, b - 2}, {l + 2, b - 2}};
        DrawPolyline(image, darkPath, dark);
        DrawPolyline(image, lightPath, light);
    } else {
        const TPixelPoint darkPath[] = {
            {r - 18, b - 2}, {r - 18, t + 1}, {r - 2, t + 1}, {r - 2, t + 1}};
        const TPixelPoint lightPath[] = {
            {r - 2, t + 2}, {r - 2, b - 3}, {r - 3, b - 2}, {r - 18, b - 2}};
        DrawPolyline(image, darkPath, dark);
        DrawPolyline(image, lightPath, light);
    }
}

void TGlassButtonPainter::StandardAlphaRender(const TImageView& image, const TPixelRect& rect,
                                              TColor colour, std::uint8_t alpha) {
    const TRGB24 c = ColorToRGB24(ColorToRGB(colour));
    const TChannelTable tb = TintTable(c.B, alpha), tg = TintTable(c.G, alpha),
                        tr = TintTable(c.R, alpha);
    const TGlossBand band(FGlossy, rect, alpha);
    const TPixelRect area = ClipToImage(rect, image);
    for (int y = area.Top; y < area.Bottom; ++y) {
        TRGB24* row = image.Row(y);
        const int index = y - rect.Top;
        if (band.Contains(index)) {
            const int w = band.Weight(index);
            for (int x = area.Left; x < area.Right; ++x)
                row[x] = {Mix(row[x].B, c.B, w), Mix(row[x].G, c.G, w), Mix(row[x].R, c.R, w)};
        } else {
            for (int x = area.Left; x < area.Right; ++x)
                row[x] = {tb[row[x].B], tg[row[x].G], tr[row[x].R]};
        }
    }
}

void TGlassButtonPainter::AltAlphaRender(const TImageView& image, const TPixelRect& rect,
                                         TColor colour, std::uint8_t alpha) {
    const TRGB24 c = ColorToRGB24(ColorToRGB(colour));
    const TChannelTable tb = TintTable(c.B, alpha), tg = TintTable(c.G, alpha),
                        tr = TintTable(c.R, alpha);
    const TGlossBand band(FGlossy, rect, alpha);
    const TPixelRect area = ClipToImage(rect, image);
    for (int y = area.Top; y < area.Bottom; ++y) {
        TRGB24* row = image.Row(y);
        for (int x = area.Left; x < area.Right; ++x)
            row[x] = {tb[row[x].B], tg[row[x].G], tr[row[x].R]};
        const int index = y - rect.Top;
        if (band.Contains(index)) {
            const int w = band.Weight(index);
            for (int x = area.Left; x < area.Right; ++x)
                row[x] = {Mix(row[x].B, 255, w), Mix(row[x].G, 255, w), Mix(row[x].R, 255, w)};
        }
    }
}

void TGlassButtonPainter::PaintBody(const TImageView& image, const TPixelRect& body, bool pressed) {
    const std::uint8_t alpha = std::uint8_t(FGloss);
    if (!pressed) {
        (this->*AlphaRender)(image, body, FColor, alpha);
    } else if (!FDuoStyle) {
        (this->*AlphaRender)(image, body, FColorDown, alpha);
    } else {
        // The column between the two parts keeps the parent's rendering.
        const TPixelRect mainPart{body.Left, body.Top, body.Right - 18, body.Bottom};
        const TPixelRect arrowPart{body.Right - 17, body.Top, body.Right, body.Bottom};
        const bool mainPressed = FBtnIdx == 0;
        (this->*AlphaRender)(image, mainPressed ? mainPart : arrowPart, FColorDown, alpha);
        (this->*AlphaRender)(image, mainPressed ? arrowPart : mainPart, FColor, alpha);
    }
}

void TGlassButtonPainter::DrawButton() {
    const TImageView image = Pixels(gsImage);
    if (image.Empty())
        return;
    const int cw = image.Width(), ch = image.Height();
    UpdateLayout(cw, ch);
    const bool pressed = Pressed(), hot = Hot(), focused = HasFocus();
    const TPixelRect body{1, 1, cw - 1, ch - 1};

    if (focused || !FFlat) {
        const TColor frame = FrameColor(image);
        if (!hot)
            (this->*AlphaRender)(image, body, FColor, std::uint8_t(FGloss));
        if (focused) {
            if (FAltFocus)
                (this->*AlphaRender)(image, body, FColorFocused, std::uint8_t(FGloss));
            else
                PaintFocusLight(image, 255, ColorToRGB(FColorFocused), FLightHeight);
        }
        Outline(image, frame);
    }

    if (hot || pressed) {
        PaintBody(image, body, pressed);
        const TColor frame = FrameColor(image);
        Outline(image, frame);
        TColor pen = frame;
        if (!FSingleBorder) {
            pen = BlendColors(frame, kWhite, 50);
            InnerOutline(image, pen);
        }
        if (FDuoStyle)
            DrawLine(image, {cw - 19, 1}, {cw - 19, ch - 1}, ColorToRGB24(pen));
        if (pressed)
            InsetShading(image, frame);
    }

    if (FDuoStyle) {
        PaintArrowPart(pressed && FBtnIdx == 1 ? 1 : 0);
        PaintContent(pressed && FBtnIdx == 0 ? 1 : 0, false);
    } else {
        PaintContent(pressed ? 1 : 0, FArrow);
    }
}

void TGlassButtonPainter::LayShadowMask(int left, int top) {
    const TImageView mask = Pixels(gsMask);
    BlurShadowMask(mask, FBlurLevel, 3);
    OverlayShadowMask(Pixels(gsImage), mask, left, top, GlowColor);
}

void TGlassButtonPainter::PaintContent(int offset, bool withArrow) {
    const TImageView image = Pixels(gsImage);
    const int cw = image.Width(), ch = image.Height();
    const bool glyph = HasGlyph();
    if (FShadowStyle != ssNone && cw > 2 && ch > 2) {
        NewShadowMask(cw - 2, ch - 2);
        const int d = FShadowStyle == ssDrop ? 1 : 0;
        if (glyph)
            DrawGlyph(gsMask, GlyphX + d, GlyphY + d, glMask);
        DrawCaption(gsMask, Moved(TextRect, d), kBlack, FTextAlign);
        if (withArrow)
            DrawArrowGlyph(Pixels(gsMask), ArrowX + d, ArrowY + d, kBlackPixel);
        LayShadowMask(offset, offset);
    }
    const bool enabled = IsEnabled();
    if (glyph)
        DrawGlyph(gsImage, GlyphX + offset, GlyphY + offset, enabled ? glEnabled : glDisabled);
    const TColor caption = ColorToRGB(enabled ? FFontColor : FDisabledColor);
    DrawCaption(gsImage, Moved(TextRect, offset), caption, FTextAlign);
    if (withArrow)
        DrawArrowGlyph(Pixels(gsImage), ArrowX + offset, ArrowY + offset, ColorToRGB24(caption));
}

void TGlassButtonPainter::PaintArrowPart(int offset) {
    const TImageView image = Pixels(gsImage);
    const int cw = image.Width(), ch = image.Height();
    if (FShadowStyle != ssNone && ch > 2) {
        NewShadowMask(24, ch - 2);
        const int d = FShadowStyle == ssDrop ? 1 : 0;
        DrawArrowGlyph(Pixels(gsMask), 9 + d, ArrowY + d, kBlackPixel);
        LayShadowMask(cw - 24 + offset, offset);
    }
    // The arrow part keeps the font's colour even when the button is disabled.
    DrawArrowGlyph(Pixels(gsImage), ArrowX + offset, ArrowY + offset,
                   ColorToRGB24(ColorToRGB(FFontColor)));
}

} // namespace skorvel
