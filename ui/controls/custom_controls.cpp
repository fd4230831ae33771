#include "ui/controls/custom_controls.h"

#include "ui/controls/glass_button.h"
#include "ui/controls/vista_panel.h"

namespace skorvel {

void RegisterCustomControls() {
    RegisterControlKind(L"vistapanel", MakeControl<TvxVistaPanel>);
    RegisterControlKind(L"glassbutton", MakeControl<TvxGlassButton>);
}

} // namespace skorvel
