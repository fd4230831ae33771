#pragma once
// The objects and event types of the window framework.
#include <functional>
#include <string>

namespace skorvel {

// Base of everything that can send an event: controls, menu items, timers, forms.
class TObject {
public:
    explicit TObject(std::wstring name = std::wstring()) : FName(std::move(name)) {}
    virtual ~TObject() = default;
    TObject(const TObject&) = delete;
    TObject& operator=(const TObject&) = delete;
    const std::wstring& Name() const { return FName; }

private:
    std::wstring FName;
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
