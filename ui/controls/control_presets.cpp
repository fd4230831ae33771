#include "ui/controls/control_presets.h"

namespace skorvel {

bool ApplyGlassButtonSettings(TvxGlassButton& button, std::wstring_view name) {
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

bool ApplyVistaPanelSettings(TvxVistaPanel& panel, std::wstring_view name) {
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
