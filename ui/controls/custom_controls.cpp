#include "ui/controls/custom_controls.h"

#include "ui/framework/application.h"
#include "ui/framework/form.h"

#include <map>

namespace skorvel {

namespace {

// A word of a layout property that names one value of an enumeration.
template <typename T>
T Choice(const LayoutNode& node, const std::wstring& key, const std::map<std::wstring, T>& values,
         T fallback) {
    if (!node.Has(key))
        return fallback;
    const std::wstring word = node.Text(key);
    auto it = values.find(word);
    if (it == values.end())
        node.Fail(L"'" + key + L"' cannot be " + word);
    return it->second;
}

TFrameOptions Frames(const LayoutNode& node) {
    static const std::map<std::wstring, TFrameOptions> kFrames = {
        {L"left", frLeft}, {L"top", frTop}, {L"right", frRight}, {L"bottom", frBottom}};
    TFrameOptions frames = 0;
    for (const auto& word : node.Words(L"frames")) {
        auto it = kFrames.find(word);
        if (it == kFrames.end())
            node.Fail(L"unknown frame " + word);
        frames |= it->second;
    }
    return frames;
}

// Exceptions stop at the control's window procedure and come here.
void RouteExceptions(TControlWindow& control, TObject& sender) {
    control.OnException = [&sender](const std::exception& e) {
        Application->HandleException(sender, e);
    };
}

} // namespace

TVistaPanelControl::TVistaPanelControl(TForm& form, TControl* parent, HWND parentWindow,
                                       const LayoutNode& node)
    : TControl(form, node) {
    FParent = parent;
    const TRect r = node.Rect(L"bounds");
    FPanel.Create(parentWindow, 0, r.Left, r.Top, r.Width, r.Height);
    FPanel.SetColor1(node.Colour(L"color1", FPanel.Color1()));
    FPanel.SetColor2(node.Colour(L"color2", FPanel.Color2()));
    FPanel.SetColor3(node.Colour(L"color3", FPanel.Color3()));
    FPanel.SetColor4(node.Colour(L"color4", FPanel.Color4()));
    FPanel.SetColorFrame(node.Colour(L"color-frame", FPanel.ColorFrame()));
    FPanel.SetFrames(Frames(node));
    FPanel.SetStyle(Choice<TvgStyle>(node, L"style",
                                     {{L"vista", vgVista},
                                      {L"glass", vgGlass},
                                      {L"simple", vgSimple},
                                      {L"image", vgImage},
                                      {L"alpha", vgAlpha}},
                                     FPanel.Style()));
    FPanel.SetOpacity(std::uint8_t(node.Int(L"opacity", FPanel.Opacity())));
    FPanel.SetCenter(node.Bool(L"center", FPanel.Center()));
    FPanel.SetBorderStyle(Choice<TBorderStyle>(
        node, L"border-style", {{L"none", bsNone}, {L"single", bsSingle}}, FPanel.BorderStyle()));
    const TMouseEvent onMouseDown = form.BindMouse(node, L"on-mouse-down");
    if (onMouseDown)
        FPanel.OnMouseDown = [this, onMouseDown](TMouseButton button, TShiftState shift, int x,
                                                 int y) {
            Application->Guard(*this, [&] { onMouseDown(*this, button, shift, x, y); });
        };
    RouteExceptions(FPanel, *this);
    AdoptHandle(FPanel.Handle(), node);
    FBounds = r;
    CreateChildControls(form, this, FHandle, node);
    node.Finish();
}

TGlassButtonControl::TGlassButtonControl(TForm& form, TControl* parent, HWND parentWindow,
                                         const LayoutNode& node)
    : TControl(form, node) {
    FParent = parent;
    const TRect r = node.Rect(L"bounds");
    FButton.Create(parentWindow, 0, r.Left, r.Top, r.Width, r.Height);
    FButton.SetCaption(node.Text(L"caption"));
    FButton.SetColor(node.Colour(L"color", FButton.Color()));
    FButton.SetColorDown(node.Colour(L"color-down", FButton.ColorDown()));
    FButton.SetColorFocused(node.Colour(L"color-focused", FButton.ColorFocused()));
    FButton.SetColorFrame(node.Colour(L"color-frame", FButton.ColorFrame()));
    FButton.SetColorShadow(node.Colour(L"color-shadow", FButton.ColorShadow()));
    FButton.SetFontColor(node.Colour(L"font-colour", FButton.FontColor()));
    FButton.SetGlossy(node.Bool(L"glossy", FButton.Glossy()));
    FButton.SetGlossyLevel(node.Int(L"glossy-level", FButton.GlossyLevel()));
    FButton.SetLightHeight(node.Int(L"light-height", FButton.LightHeight()));
    FButton.SetShadowStyle(Choice<TShadowStyle>(
        node, L"shadow-style", {{L"none", ssNone}, {L"glow", ssGlow}, {L"drop", ssDrop}},
        FButton.ShadowStyle()));
    FButton.SetTextAlign(Choice<TTextAlign>(
        node, L"text-align", {{L"left", taLeft}, {L"center", taCenter}, {L"right", taRight}},
        FButton.TextAlign()));
    FButton.SetAltFocus(node.Bool(L"alt-focus", FButton.AltFocus()));
    FButton.SetAltRender(node.Bool(L"alt-render", FButton.AltRender()));
    FButton.SetFlat(node.Bool(L"flat", FButton.Flat()));
    FButton.SetDropDownAlignment(
        Choice<TPopupAlignment>(node, L"drop-down-alignment",
                                {{L"left", paLeft}, {L"right", paRight}, {L"center", paCenter}},
                                FButton.DropDownAlignment()));
    FButton.SetHandCursor(node.Text(L"cursor", L"arrow") == L"hand");
    FButton.SetTabStop(node.Bool(L"tab-stop", true));
    const TNotifyEvent onClick = form.BindNotify(node, L"on-click");
    if (onClick)
        FButton.OnClick = [this, onClick] { Application->Guard(*this, [&] { onClick(*this); }); };
    RouteExceptions(FButton, *this);
    AdoptHandle(FButton.Handle(), node); // sets the layout's font
    FBounds = r;
    node.Finish();
}

void RegisterCustomControls() {
    RegisterControlKind(L"vistapanel",
                        [](TForm& form, TControl* parent, HWND parentWindow,
                           const LayoutNode& node) -> std::unique_ptr<TControl> {
                            return std::make_unique<TVistaPanelControl>(form, parent, parentWindow,
                                                                        node);
                        });
    RegisterControlKind(L"glassbutton",
                        [](TForm& form, TControl* parent, HWND parentWindow,
                           const LayoutNode& node) -> std::unique_ptr<TControl> {
                            return std::make_unique<TGlassButtonControl>(form, parent, parentWindow,
                                                                         node);
                        });
}

} // namespace skorvel
