#pragma once
// A minimal JSON writer for the end-to-end driver's answers.
#include <windows.h>

#include <string>

namespace e2e {

inline std::string Utf8(const std::wstring& text) {
    if (text.empty())
        return std::string();
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0,
                                           nullptr, nullptr);
    std::string out(size_t(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), out.data(), size, nullptr,
                          nullptr);
    return out;
}

inline std::string Quote(const std::wstring& text) {
    std::string out = "\"";
    for (char c : Utf8(text)) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                char buffer[8];
                wsprintfA(buffer, "\\u%04x", c);
                out += buffer;
            } else {
                out += c;
            }
        }
    }
    return out + "\"";
}

inline std::string Number(long long value) {
    return std::to_string(value);
}
inline std::string Bool(bool value) {
    return value ? "true" : "false";
}
inline std::string Handle(HWND window) {
    return std::to_string(reinterpret_cast<uintptr_t>(window));
}

} // namespace e2e
