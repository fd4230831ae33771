#pragma once
// The custom-drawn controls as layout kinds: "vistapanel" (TvxVistaPanel)
// and "glassbutton" (TvxGlassButton). Each host builds its control from the
// layout node's properties and joins its events to the published handlers.
#include "ui/controls/glass_button.h"
#include "ui/controls/vista_panel.h"
#include "ui/framework/controls.h"

namespace skorvel {

class TVistaPanelControl : public TControl {
public:
    TVistaPanelControl(TForm& form, TControl* parent, HWND parentWindow, const LayoutNode& node);
    TvxVistaPanel& Panel() { return FPanel; }

private:
    TvxVistaPanel FPanel;
};

class TGlassButtonControl : public TControl {
public:
    TGlassButtonControl(TForm& form, TControl* parent, HWND parentWindow, const LayoutNode& node);
    TvxGlassButton& Button() { return FButton; }

private:
    TvxGlassButton FButton;
};

// Makes both kinds known to the layouts.
void RegisterCustomControls();

} // namespace skorvel
