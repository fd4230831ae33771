#pragma once
// The program's custom controls for the tests that build them on their own:
// built as a layout builds them, then given the program's settings by the
// control's name. The settings mirror the window layouts; the main window
// test checks that the two agree. Fonts are the host's: StartBtn,
// PrzywrocBtn and WiecejBtn use Verdana with a character height of 13 pixels, bold; the presets set
// the font colour (black, or white for WiecejBtn).
#include "ui/controls/glass_button.h"
#include "ui/controls/vista_panel.h"
#include "ui/framework/form.h"

#include <memory>
#include <string>
#include <string_view>

namespace skorvel {

// The controls built as a layout builds them, from a node that has only
// their bounds (a button also an empty caption and no tab stop), on any
// parent window; form is the one whose font they take.
inline std::unique_ptr<LayoutNode> BoundsNode(const std::string& kind, TRect bounds,
                                              const std::string& more = "") {
    return ParseLayout(kind + " Control\n    bounds: " + std::to_string(bounds.Left) + " " +
                           std::to_string(bounds.Top) + " " + std::to_string(bounds.Width) + " " +
                           std::to_string(bounds.Height) + "\n" + more,
                       L"test");
}
inline std::unique_ptr<TvxGlassButton> MakeGlassButton(TForm& form, HWND parent, TRect bounds) {
    return std::make_unique<TvxGlassButton>(
        form, nullptr, parent,
        *BoundsNode("glassbutton", bounds, "    caption:\n    tab-stop: false\n"));
}
inline std::unique_ptr<TvxVistaPanel> MakeVistaPanel(TForm& form, HWND parent, TRect bounds) {
    return std::make_unique<TvxVistaPanel>(form, nullptr, parent,
                                           *BoundsNode("vistapanel", bounds));
}

// The named colours of the layouts, as 0x00BBGGRR values.
constexpr TColor clBlack = 0x000000, clGreen = 0x008000, clTeal = 0x808000, clGray = 0x808080,
                 clSilver = 0xC0C0C0, clYellow = 0x00FFFF, clAqua = 0xFFFF00, clWhite = 0xFFFFFF,
                 clMoneyGreen = 0xC0DCC0, clSkyBlue = 0xF0CAA6;

inline bool ApplyGlassButtonSettings(TvxGlassButton& button, std::wstring_view name) {
    const bool optimise = name == L"StartBtn" || name == L"PrzywrocBtn";
    if (!optimise && name != L"WiecejBtn")
        return false;
    button.SetColor(optimise ? clSkyBlue : clTeal);
    button.SetColorDown(clSkyBlue);
    button.SetColorFocused(clAqua);
    button.SetColorFrame(clWhite);
    button.SetColorShadow(clSkyBlue);
    button.SetGlossy(optimise);
    button.SetGlossyLevel(100);
    button.SetLightHeight(27);
    button.SetShadowStyle(optimise ? ssDrop : ssNone);
    button.SetTextAlign(taCenter);
    button.SetAltFocus(false);
    button.SetAltRender(false);
    button.SetFlat(false);
    button.SetDropDownAlignment(paLeft);
    button.SetFontColor(optimise ? clBlack : clWhite);
    button.SetHandCursor(true);
    button.SetTabStop(false);
    return true;
}

inline bool ApplyVistaPanelSettings(TvxVistaPanel& panel, std::wstring_view name) {
    struct Settings {
        std::wstring_view Name;
        TColor Color1, Color2, Color3;
    };
    static constexpr Settings kPanels[] = {
        {L"MainPanel", clWhite, clSilver, clMoneyGreen},
        {L"TopPanel", clWhite, clSilver, clYellow},
        {L"BottomPanel", clSilver, clWhite, clYellow},
    };
    for (const Settings& s : kPanels)
        if (s.Name == name) {
            panel.SetColor1(s.Color1);
            panel.SetColor2(s.Color2);
            panel.SetColor3(s.Color3);
            panel.SetColor4(clTeal);
            panel.SetColorFrame(clGreen);
            panel.SetFrames(0);
            panel.SetStyle(vgSimple);
            panel.SetBorderStyle(bsNone);
            return true;
        }
    return false;
}

} // namespace skorvel
