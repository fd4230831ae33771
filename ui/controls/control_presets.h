#pragma once
// The program's settings of its custom controls, by the control's name in
// the window layouts. Fonts are the host's: StartBtn, PrzywrocBtn and
// WiecejBtn use Verdana with a character height of 13 pixels, bold; the
// presets set the font colour (black, or white for WiecejBtn).
#include "ui/controls/glass_button.h"
#include "ui/controls/vista_panel.h"

#include <string_view>

namespace skorvel {

// The named colours of the layouts, as 0x00BBGGRR values.
constexpr TColor clBlack = 0x000000, clGreen = 0x008000, clTeal = 0x808000, clGray = 0x808080,
                 clSilver = 0xC0C0C0, clYellow = 0x00FFFF, clAqua = 0xFFFF00, clWhite = 0xFFFFFF,
                 clMoneyGreen = 0xC0DCC0, clSkyBlue = 0xF0CAA6;

// "StartBtn", "PrzywrocBtn", "WiecejBtn"; false for any other name.
bool ApplyGlassButtonSettings(TvxGlassButton& button, std::wstring_view name);
// "MainPanel", "TopPanel", "BottomPanel"; false for any other name.
bool ApplyVistaPanelSettings(TvxVistaPanel& panel, std::wstring_view name);

} // namespace skorvel
