#pragma once
// The drawing of the glass button, kept apart from the window so that every
// pixel of it can be checked natively. TGlassButtonPainter holds the
// button's drawing fields and paints body, frame, focus light, shadow mask
// and arrow into a 24-bit image; the few things only the window system can
// do (resolving system colours, drawing text and image-list glyphs, giving
// the images a device context) are virtual functions its window class
// supplies.
#include "ui/framework/image24.h"

#include <cstdint>
#include <optional>

namespace skorvel {

enum TShadowStyle { ssNone, ssGlow, ssDrop };
enum TTextAlign { taLeft, taCenter, taRight };

// p per cent of a mixed into b: each channel b + floor((a − b) × w / 256) with
// w = p × 2.55 rounded half to even (50 gives 128, 75 gives 191). Plain colours.
TColor BlendColors(TColor a, TColor b, int percent);

// The body opacity 0..196 that a GlossyLevel of 0..100 gives.
int GlossFromLevel(int glossyLevel);

// The focus light: the bottom band of height rows tinted toward colour,
// strongest at the bottom centre; the image's last row is left alone.
void PaintFocusLight(const TImageView& image, int level, TColor colour, int height);

// Box blur of radius r, passes times along the rows and passes + 1 times
// along the columns (edges clamped), then grey. Nothing at all for radius 0.
void BlurShadowMask(const TImageView& image, int radius, int passes);

// The solid downward triangle of the drop-down arrow, 7 pixels wide and 4
// high, with (x, y) its reference point.
void DrawArrowGlyph(const TImageView& image, int x, int y, TRGB24 colour);

// Lays a grey mask over image with the mask's (0, 0) at (left, top): each
// channel becomes g + floor((p − g) × s / 256), s the mask's red value.
void OverlayShadowMask(const TImageView& image, const TImageView& mask, int left, int top,
                       TRGB24 glow);

class TGlassButtonPainter {
public:
    virtual ~TGlassButtonPainter() = default;

    using TAlphaRender = void (TGlassButtonPainter::*)(const TImageView& image,
                                                       const TPixelRect& rect, TColor colour,
                                                       std::uint8_t alpha);

    // Fields, with the initial values of a new button.
    int ArrowX = 0, ArrowY = 0;
    int GlyphX = 0, GlyphY = 0;
    int TextX = 0;
    TPixelRect TextRect{0, 0, 0, 0};
    TRGB24 GlowColor{0, 0, 0};
    bool FAltFocus = false;
    bool FAltRender = false;
    bool FArrow = false;
    int FBlurLevel = 1;
    int FBtnIdx = -1; // −1 none, 0 main part, 1 arrow zone
    bool FButtonDown = false;
    TColor FColor = 0xFFFFFF;        // stored resolved
    TColor FColorDown = 0x000000;    // as given
    TColor FColorFocused = 0x00FFFF; // as given
    TColor FColorFrame = 0x808080;   // stored resolved
    TColor FColorGlow = 0x000000;    // as given; GlowColor holds it resolved
    TColor FDisabledColor = 0xC0C0C0;
    bool FDown = false;
    bool FDuoStyle = false;
    bool FFlat = true;
    TColor FFontColor = 0xFFFFFF;
    int FGloss = 72;
    bool FGlossy = false;
    int FGlossyLevel = 37;
    int FImageIndex = -1;
    int FImageOffset = 4;
    int FImageSpacing = 4;
    int FLightHeight = 27;
    TShadowStyle FShadowStyle = ssGlow;
    bool FSingleBorder = false;
    TTextAlign FTextAlign = taLeft;
    TAlphaRender AlphaRender = &TGlassButtonPainter::StandardAlphaRender;

    // The arrow zone of a duo button: every x > CW − 20.
    static bool InArrowZone(int x, int clientWidth) { return x > clientWidth - 20; }

    // Store helpers shared by the property setters.
    void StoreGlossyLevel(int level); // clamped to 0..100, FGloss recomputed
    void StoreLightHeight(int height) { FLightHeight = height < 0 ? 0 : height; }
    void StoreAltRender(bool alt);

    bool Pressed() const { return FButtonDown || (FDown && !FArrow); }
    bool Hot() const { return FBtnIdx != -1; }

    // Everything of a paint between the copy of the parent's rendering and the
    // copy to the window: layout, base layer, active layer and content, on the
    // image Pixels(gsImage) (client size).
    void DrawButton();

    void UpdateLayout(int clientWidth, int clientHeight);
    TColor FrameColor(const TImageView& image) const;
    void Outline(const TImageView& image, TColor frame) const;
    void InnerOutline(const TImageView& image, TColor colour) const;
    void InsetShading(const TImageView& image, TColor frame) const;
    void StandardAlphaRender(const TImageView& image, const TPixelRect& rect, TColor colour,
                             std::uint8_t alpha);
    // Without Glossy this renderer paints the same uniform tint as the
    // standard one, so an AltRender button keeps a body; with Glossy the tint
    // covers the whole body and the band is then lightened toward white.
    void AltAlphaRender(const TImageView& image, const TPixelRect& rect, TColor colour,
                        std::uint8_t alpha);
    void PaintContent(int offset, bool withArrow);
    void PaintArrowPart(int offset);

protected:
    enum TGlassSurface { gsImage, gsMask };
    enum TGlyphLook { glEnabled, glDisabled, glMask };
    struct TGlyphSize {
        int Width, Height;
    };

    // The window system's part.
    virtual TColor ColorToRGB(TColor colour) const = 0;
    virtual bool HasFocus() const = 0;
    virtual bool IsEnabled() const = 0;
    // The image list's entry size when the button has an image list.
    virtual std::optional<TGlyphSize> ImageSize() const = 0;
    // The pixels of a surface, up to date with everything drawn on it so far.
    virtual TImageView Pixels(TGlassSurface surface) = 0;
    // Makes the shadow mask surface a white image of the given size.
    virtual void NewShadowMask(int width, int height) = 0;
    // Image-list entry FImageIndex at (x, y); glMask combines its two-colour
    // mask into the surface with SRCAND, so its shape turns black.
    virtual void DrawGlyph(TGlassSurface surface, int x, int y, TGlyphLook look) = 0;
    // The caption on one line, vertically centred, cut with an ellipsis, in
    // the button's font and the given (plain) colour, background transparent.
    virtual void DrawCaption(TGlassSurface surface, const TPixelRect& rect, TColor colour,
                             TTextAlign align) = 0;

private:
    bool HasGlyph() const { return FImageIndex != -1 && ImageSize().has_value(); }
    void PaintBody(const TImageView& image, const TPixelRect& body, bool pressed);
    void LayShadowMask(int left, int top);
};

} // namespace skorvel
