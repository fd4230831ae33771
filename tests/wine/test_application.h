#pragma once
// The one application object of a Wine test program that builds small forms of
// its own: created and initialised on first use, titled "Test", and left to
// the process's end like the program's own; and a pump of its messages.
#include "ui/framework/application.h"

namespace skorvel {

inline TApplication& TestApplication() {
    static TApplication* app = [] {
        auto* a = new TApplication;
        a->Initialize();
        a->SetTitle(L"Test");
        return a;
    }();
    return *app;
}

namespace testing {

// Handles the application's messages for the given time, waiting for them
// in between.
inline void Pump(DWORD milliseconds) {
    const DWORD end = ::GetTickCount() + milliseconds;
    for (DWORD now = ::GetTickCount(); now - end > 0x7FFFFFFF; now = ::GetTickCount()) {
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, end - now, QS_ALLINPUT);
        TestApplication().ProcessMessages();
    }
}

} // namespace testing

} // namespace skorvel
