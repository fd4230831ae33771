#include "ui/controls/custom_controls.h"

#include "ui/controls/glass_button.h"
#include "ui/controls/vista_panel.h"
#include "ui/framework/control_kinds.h"

namespace skorvel {

void RegisterCustomControls(TControlKinds& kinds) {
    kinds.Add(L"vistapanel", MakeControl<TvxVistaPanel>);
    kinds.Add(L"glassbutton", MakeControl<TvxGlassButton>);
}

} // namespace skorvel
