#pragma once
// A broken property is a finding like a crash: the message names it, and the
// abort makes libFuzzer keep the input as a crash artifact.
#include <cstdio>
#include <cstdlib>

namespace skorvel::fuzz {

inline void Check(bool holds, const char* property) {
    if (holds)
        return;
    std::fprintf(stderr, "property failed: %s\n", property);
    std::abort();
}

} // namespace skorvel::fuzz
