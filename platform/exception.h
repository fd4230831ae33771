#pragma once
// The program's exception types. Failures are exceptions; messages are UTF-16
// text because they are shown to the user and written to the crash log.
#include <exception>
#include <string>

namespace skorvel {

// Base of every exception the program raises itself. Inner exceptions are
// carried with std::throw_with_nested; the crash log walks that chain.
class Exception : public std::exception {
public:
    explicit Exception(std::wstring message);
    const std::wstring& Message() const noexcept { return FMessage; }
    const char* what() const noexcept override { return FNarrow.c_str(); }

private:
    std::wstring FMessage;
    std::string FNarrow; // UTF-8 copy for what()
};

// The silent abort: ends the current operation without reaching the
// application-wide exception handler.
class EAbort : public Exception {
public:
    EAbort() : Exception(L"Operation aborted") {}
};

// An index outside a list's bounds.
class EListError : public Exception {
public:
    explicit EListError(int index);
};

// The message of any exception as UTF-16 text (std::exception::what() is
// taken as UTF-8).
std::wstring ExceptionMessage(const std::exception& e);

} // namespace skorvel
