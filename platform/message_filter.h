#pragma once
// Letting a window message through User Interface Privilege Isolation. The
// program runs elevated; Windows from Vista on drops a message that a process
// of lower integrity posts or broadcasts to its windows unless the window (or
// the process) lets that message through.
#include <windows.h>

namespace skorvel {

// Which of the system's calls answered.
enum class TMessageFilterCall {
    mfcNone,    // neither exists (before Windows Vista, where nothing is filtered)
    mfcWindow,  // ChangeWindowMessageFilterEx, for one window (Windows 7 and later)
    mfcProcess, // ChangeWindowMessageFilter, for the whole process (Windows Vista)
};

struct TMessageFilterAnswer {
    TMessageFilterCall Call = TMessageFilterCall::mfcNone;
    bool Allowed = false; // what the call answered
    DWORD Error = 0;      // its last error when it refused
};

// Asks for the message to reach the window from processes of lower integrity.
// Both calls are looked up in user32 at run time; a refusal is reported, not
// raised.
TMessageFilterAnswer AllowMessageFromLowerIntegrity(HWND window, UINT message) noexcept;

} // namespace skorvel
