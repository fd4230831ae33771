#pragma once
// The custom-drawn controls as layout kinds: "vistapanel" (TvxVistaPanel)
// and "glassbutton" (TvxGlassButton), each built from its layout node's
// properties with its events joined to the published handlers.
namespace skorvel {

// Makes both kinds known to the layouts.
void RegisterCustomControls();

} // namespace skorvel
