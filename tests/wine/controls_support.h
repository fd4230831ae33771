#pragma once
// Shared by the Wine tests of the custom controls: the application and form
// they need, a top-level window to host them, renderings into memory, and
// message pumping.
#include "ui/framework/application.h"
#include "ui/framework/dib_image.h"
#include "ui/framework/form.h"
#include "ui/framework/image24.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace skorvel::testing {

// The application object and a hidden form whose font the controls take,
// made once for the test program. The controls go on the tests' own windows.
inline TForm& TestForm() {
    static TForm* form = [] {
        auto* app = new TApplication;
        app->Initialize();
        auto* owner =
            new TForm("form TestFrm\n    caption: Test\n    client-size: 10 10\n", L"test");
        owner->Build();
        return owner;
    }();
    return *form;
}

// A plain top-level window at the screen's corner. Shown only when a test
// needs the screen (or visible siblings): under Wine without a window
// manager, destroying a shown window waits two seconds for the manager.
class TestHost {
public:
    explicit TestHost(bool visible = false) {
        WNDCLASSEXW wc = {};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = ::DefWindowProcW;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.hbrBackground = HBRUSH(COLOR_BTNFACE + 1);
        wc.lpszClassName = L"SkorvelControlsTestHost";
        ::RegisterClassExW(&wc);
        FWindow =
            ::CreateWindowExW(0, wc.lpszClassName, L"host", WS_POPUP | (visible ? WS_VISIBLE : 0),
                              0, 0, 400, 500, nullptr, nullptr, wc.hInstance, nullptr);
    }
    ~TestHost() { ::DestroyWindow(FWindow); }
    TestHost(const TestHost&) = delete;
    TestHost& operator=(const TestHost&) = delete;
    HWND get() const { return FWindow; }

private:
    HWND FWindow;
};

inline void PumpMessages(DWORD milliseconds = 0) {
    const DWORD end = ::GetTickCount() + milliseconds;
    do {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        if (milliseconds)
            ::Sleep(5);
    } while (int(::GetTickCount() - end) < 0);
}

// An owned copy of a DIB's pixels.
inline TImage24 Snapshot(const TDibImage& dib) {
    TImage24 copy(dib.Width(), dib.Height());
    copy.View().CopyFrom(dib.Pixels());
    return copy;
}

// Renders through paint(dc) into a fresh image of the given size, first
// filled with a sentinel colour.
template <typename F> TImage24 Render(int width, int height, F&& paint, TRGB24 fill = {1, 2, 3}) {
    TDibImage dib;
    EXPECT_TRUE(dib.SetSize(width, height));
    dib.Pixels().Fill(fill);
    paint(dib.Dc());
    return Snapshot(dib);
}

// What a window shows on screen now, read back from its own DC.
inline TImage24 ScreenOf(HWND window) {
    RECT r;
    ::GetClientRect(window, &r);
    const HDC screen = ::GetDC(window);
    TImage24 image = Render(r.right, r.bottom, [&](HDC dc) {
        ::BitBlt(dc, 0, 0, r.right, r.bottom, screen, 0, 0, SRCCOPY);
    });
    ::ReleaseDC(window, screen);
    return image;
}

inline TImage24 Crop(const TImage24& image, int left, int top, int width, int height) {
    TImage24 part(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            part.View().SetPixel(x, y, image.Pixel(left + x, top + y));
    return part;
}

inline std::string Hex(TRGB24 p) {
    char text[16];
    std::snprintf(text, sizeof text, "%02X%02X%02X", p.R, p.G, p.B);
    return text;
}

} // namespace skorvel::testing
