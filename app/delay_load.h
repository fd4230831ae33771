#pragma once
// The program's delay-loaded libraries (cmake/delay_imports.cmake), which are
// not among the system's KnownDLLs: every one is taken from the system
// folder, by the load hook at the first call of one of its functions, or
// earlier by LoadDelayedImports.

namespace skorvel {

// Loads them all from the system folder now. Libraries of the system load
// some of them by name too (Wine's visual styles take msimg32 that way, from
// the program's folder first); once loaded, a library is found by its name
// and its copy beside the program is never looked at. The program calls it
// first thing, before the system's own libraries are put to work.
void LoadDelayedImports() noexcept;

} // namespace skorvel
