#pragma once
// Owners for COM: a reference-counted interface pointer and a guard that
// balances CoInitializeEx only when it succeeded.
#include <objbase.h>

#include <utility>

namespace skorvel {

template <typename T> class ComPtr {
public:
    ComPtr() noexcept = default;
    ComPtr(const ComPtr& other) noexcept : FPtr(other.FPtr) {
        if (FPtr)
            FPtr->AddRef();
    }
    ComPtr(ComPtr&& other) noexcept : FPtr(std::exchange(other.FPtr, nullptr)) {}
    ComPtr& operator=(ComPtr other) noexcept {
        std::swap(FPtr, other.FPtr);
        return *this;
    }
    ~ComPtr() { reset(); }

    T* get() const noexcept { return FPtr; }
    T* operator->() const noexcept { return FPtr; }
    explicit operator bool() const noexcept { return FPtr != nullptr; }
    void reset() noexcept {
        if (FPtr)
            std::exchange(FPtr, nullptr)->Release();
    }
    // For out-parameters: releases what is held and hands out the slot.
    T** put() noexcept {
        reset();
        return &FPtr;
    }
    void** put_void() noexcept { return reinterpret_cast<void**>(put()); }

    template <typename U> HRESULT As(ComPtr<U>& out) const noexcept {
        return FPtr ? FPtr->QueryInterface(__uuidof(U), out.put_void()) : E_POINTER;
    }

private:
    T* FPtr = nullptr;
};

class ComInitialization {
public:
    explicit ComInitialization(DWORD model = COINIT_APARTMENTTHREADED) noexcept
        : FResult(::CoInitializeEx(nullptr, model)) {}
    ComInitialization(const ComInitialization&) = delete;
    ComInitialization& operator=(const ComInitialization&) = delete;
    ~ComInitialization() {
        if (SUCCEEDED(FResult))
            ::CoUninitialize();
    }
    HRESULT Result() const noexcept { return FResult; }

private:
    HRESULT FResult;
};

} // namespace skorvel
