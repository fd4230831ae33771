#pragma once
// The host C library's iconv as a reference that shares no table or code
// with the program: conversions between its named encodings, failing (empty
// optional) on any byte or character the target or source cannot hold.
#include <iconv.h>

#include <cerrno>
#include <optional>
#include <stdexcept>
#include <string>

namespace skorvel::testing {

inline std::optional<std::string> IconvConvert(const char* from, const char* to,
                                               const std::string& bytes) {
    const iconv_t cd = ::iconv_open(to, from);
    if (cd == iconv_t(-1))
        throw std::runtime_error(std::string("iconv has no ") + from + " to " + to);
    std::string out(bytes.size() * 4 + 16, '\0');
    char* in = const_cast<char*>(bytes.data());
    size_t inLeft = bytes.size();
    char* next = out.data();
    size_t outLeft = out.size();
    const size_t result = ::iconv(cd, &in, &inLeft, &next, &outLeft);
    ::iconv_close(cd);
    if (result == size_t(-1) || inLeft != 0)
        return std::nullopt;
    out.resize(out.size() - outLeft);
    return out;
}

// Code points as UTF-32 little-endian bytes, and back.
inline std::string Utf32Bytes(const std::u32string& text) {
    std::string bytes;
    for (const char32_t c : text)
        for (int shift = 0; shift < 32; shift += 8)
            bytes.push_back(char((c >> shift) & 0xFF));
    return bytes;
}

inline std::u32string Utf32Text(const std::string& bytes) {
    std::u32string text;
    for (size_t i = 0; i + 3 < bytes.size(); i += 4) {
        char32_t c = 0;
        for (int k = 3; k >= 0; --k)
            c = c << 8 | static_cast<unsigned char>(bytes[i + k]);
        text.push_back(c);
    }
    return text;
}

} // namespace skorvel::testing
