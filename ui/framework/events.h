#pragma once
// The objects and event types of the window framework.
#include <algorithm>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace skorvel {

// Base of everything that can send an event: controls, menu items, timers, forms.
class TObject {
public:
    explicit TObject(std::wstring name = std::wstring()) : FName(std::move(name)) {}
    virtual ~TObject() {
        // Whoever still refers to this object drops the reference now.
        for (TObject* other : std::exchange(FFreeNotifies, {})) {
            other->Forget(*this);
            other->Notification(*this);
        }
    }
    TObject(const TObject&) = delete;
    TObject& operator=(const TObject&) = delete;
    const std::wstring& Name() const { return FName; }

    // Links this object and one it refers to: whichever is freed first tells
    // the other, and the survivor's Notification drops its reference.
    void FreeNotification(TObject& other) {
        if (&other == this ||
            std::find(FFreeNotifies.begin(), FFreeNotifies.end(), &other) != FFreeNotifies.end())
            return;
        FFreeNotifies.push_back(&other);
        other.FFreeNotifies.push_back(this);
    }
    void RemoveFreeNotification(TObject& other) {
        Forget(other);
        other.Forget(*this);
    }

protected:
    // An object linked by FreeNotification is being freed.
    virtual void Notification(TObject& freed) { (void)freed; }

private:
    void Forget(TObject& other) {
        FFreeNotifies.erase(std::remove(FFreeNotifies.begin(), FFreeNotifies.end(), &other),
                            FFreeNotifies.end());
    }
    std::wstring FName;
    std::vector<TObject*> FFreeNotifies;
};

enum class TMouseButton { mbLeft, mbRight, mbMiddle };

// Modifier keys and mouse buttons held during an event.
enum TShiftFlag : unsigned {
    ssShift = 1,
    ssAlt = 2,
    ssCtrl = 4,
    ssLeft = 8,
    ssRight = 16,
    ssMiddle = 32,
    ssDouble = 64,
};
using TShiftState = unsigned;

using TNotifyEvent = std::function<void(TObject& Sender)>;
using TMouseEvent =
    std::function<void(TObject& Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = std::function<void(TObject& Sender, TShiftState Shift, int X, int Y)>;
// Key is the virtual-key code; a handler may change it before the control uses it.
using TKeyEvent = std::function<void(TObject& Sender, unsigned short& Key, TShiftState Shift)>;
using TExceptionEvent = std::function<void(TObject& Sender, const std::exception& E)>;

} // namespace skorvel
