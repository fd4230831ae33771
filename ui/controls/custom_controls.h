#pragma once
// The custom-drawn controls as layout kinds: "vistapanel" (TvxVistaPanel)
// and "glassbutton" (TvxGlassButton), each built from its layout node's
// properties with its events joined to the published handlers.
namespace skorvel {

class TControlKinds;

// Makes both kinds known to the layouts; once, before the first window
// whose layout uses them is built.
void RegisterCustomControls(TControlKinds& kinds);

} // namespace skorvel
