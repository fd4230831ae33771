#pragma once
// The pixel work of the gradient panel: the fills computed here, and the
// mixing of a fill with the parent's rendering. Colours are plain
// 0x00BBGGRR values (system colours already resolved by the caller).
#include "ui/framework/image24.h"

namespace skorvel {

// vgVista: a vertical blend from c1 over an overshooting mid colour toward
// c2, averaged with a horizontal blend from c3 to c4 (with center, from c3 at
// both edges to c4 at the centre line). Fills the whole image.
void PaintVista(const TImageView& image, TColor c1, TColor c2, TColor c3, TColor c4, bool center);

// vgGlass: the one-pixel column (clientHeight − 1 rows) that the platform
// stretches over the client area. Empty below 2 pixels of height.
TImage24 GlassColumn(TColor c1, TColor c2, int clientHeight);

// Opacity against the parent's rendering: every channel of parent becomes
// parent + floor((fill − parent) × opacity / 256). The images have one size.
void BlendWithFill(const TImageView& parent, const TImageView& fill, std::uint8_t opacity);

// vgAlpha: the parent's rendering tinted toward colour by opacity/256, through
// one lookup table per channel.
void BlendWithColor(const TImageView& parent, TColor colour, std::uint8_t opacity);

} // namespace skorvel
