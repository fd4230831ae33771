#pragma once
// The one application object of a Wine test program that builds small forms of
// its own: created and initialised on first use, titled "Test", and left to
// the process's end like the program's own.
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

} // namespace skorvel
