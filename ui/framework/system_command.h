#pragma once
// The system commands a window acts on, read in one place.
#include <windows.h>

namespace skorvel {

// The command of a WM_SYSCOMMAND message (SC_MINIMIZE, SC_RESTORE, ...), 0
// for any other message. The system keeps flags of its own in the four low
// bits of the command (a move from the title bar arrives as SC_MOVE | 2), so
// a command is only ever compared with them masked off.
constexpr UINT SystemCommand(UINT message, WPARAM wParam) noexcept {
    return message == WM_SYSCOMMAND ? UINT(wParam & 0xFFF0) : 0;
}

} // namespace skorvel
