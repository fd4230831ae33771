#pragma once
// The storage of one object, which outlives it: once the object is freed the
// bytes are filled with a pattern, so that a later write to the object
// shows, and a pointer read from it points nowhere. For the tests of objects
// that a handler of their own may free.
#include <algorithm>
#include <iterator>
#include <new>
#include <utility>

namespace skorvel::testing {

template <typename T> class TOutlivingStorage {
public:
    TOutlivingStorage() = default;
    TOutlivingStorage(const TOutlivingStorage&) = delete;
    TOutlivingStorage& operator=(const TOutlivingStorage&) = delete;

    template <typename... Args> T& Create(Args&&... args) {
        FObject = new (FBytes) T(std::forward<Args>(args)...);
        return *FObject;
    }
    void Free() {
        FObject->~T();
        FObject = nullptr;
        std::fill(std::begin(FBytes), std::end(FBytes), kPattern);
    }
    bool Freed() const { return FObject == nullptr; }
    bool Untouched() const {
        return std::all_of(std::begin(FBytes), std::end(FBytes),
                           [](unsigned char b) { return b == kPattern; });
    }

private:
    static constexpr unsigned char kPattern = 0xA5;
    alignas(T) unsigned char FBytes[sizeof(T)];
    T* FObject = nullptr;
};

} // namespace skorvel::testing
