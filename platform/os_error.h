#pragma once
// The operating-system error exception: a Windows error code with the
// system's own message text for it.
#include "platform/exception.h"

#include <cstdint>
#include <string>

namespace skorvel {

class EOSError : public Exception {
public:
    EOSError(uint32_t code, std::wstring message) : Exception(std::move(message)), FCode(code) {}
    uint32_t ErrorCode() const noexcept { return FCode; }

private:
    uint32_t FCode;
};

// The system's message text for an error code, without the trailing line break.
std::wstring SystemErrorMessage(uint32_t code);

// Throws EOSError for the given code (GetLastError() by default).
[[noreturn]] void RaiseLastOSError();
[[noreturn]] void RaiseOSError(uint32_t code);

} // namespace skorvel
