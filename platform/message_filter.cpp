#include "platform/message_filter.h"

#include "platform/system_library.h"

namespace skorvel {

namespace {

// Looked up at run time (only their types are taken from the headers):
// Windows before Vista has neither, and the program must still start there.
template <typename Function> Function User32Function(const char* name) {
    return LibraryFunction<Function>(::GetModuleHandleW(L"user32.dll"), name);
}

} // namespace

TMessageFilterAnswer AllowMessageFromLowerIntegrity(HWND window, UINT message) noexcept {
    TMessageFilterAnswer answer;
    if (const auto forWindow = User32Function<decltype(&::ChangeWindowMessageFilterEx)>(
            "ChangeWindowMessageFilterEx")) {
        answer.Call = TMessageFilterCall::mfcWindow;
        answer.Allowed = forWindow(window, message, MSGFLT_ALLOW, nullptr) != FALSE;
    } else if (const auto forProcess = User32Function<decltype(&::ChangeWindowMessageFilter)>(
                   "ChangeWindowMessageFilter")) {
        answer.Call = TMessageFilterCall::mfcProcess;
        answer.Allowed = forProcess(message, MSGFLT_ADD) != FALSE;
    } else {
        return answer;
    }
    if (!answer.Allowed)
        answer.Error = ::GetLastError();
    return answer;
}

} // namespace skorvel
