#pragma once
// One object for the whole process, shared by its users: the first user
// creates it, the last one to go frees it, and a new user afterwards creates
// it again. The hidden windows that all tray icons, or all simple timers, of
// the process share are such objects.
//
//     class TTrayIconHandler : public THiddenWindow, public TSharedWindow<TTrayIconHandler> {
//         friend class TSharedWindow<TTrayIconHandler>; // the constructor may be private
//     ...
//     TSharedWindow<TTrayIconHandler>::TUse FHandler; // a member of each user
#include <memory>

namespace skorvel {

template <typename T> class TSharedWindow {
public:
    // The object while it has users, else null.
    static T* Instance() noexcept { return FInstance.get(); }
    // The number of its users.
    unsigned RefCount() const noexcept { return FRefCount; }

    // One user's hold on the object, for the holder's lifetime.
    class TUse {
    public:
        TUse() : FObject(Acquire()) {}
        ~TUse() { Release(); }
        TUse(const TUse&) = delete;
        TUse& operator=(const TUse&) = delete;
        T& operator*() const noexcept { return FObject; }
        T* operator->() const noexcept { return &FObject; }

    private:
        T& FObject;
    };

protected:
    TSharedWindow() = default;
    ~TSharedWindow() = default;

private:
    static T& Acquire() {
        if (!FInstance)
            FInstance.reset(new T);
        ++FInstance->FRefCount;
        return *FInstance;
    }
    static void Release() noexcept {
        if (--FInstance->FRefCount == 0)
            FInstance.reset();
    }

    // Freed at the latest when the program ends.
    static inline std::unique_ptr<T> FInstance;
    unsigned FRefCount = 0;
};

} // namespace skorvel
