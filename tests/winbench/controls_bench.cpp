// The custom controls' whole paints with GDI, run by hand under Wine:
// the main window's panel in each fill style and the program's glass buttons
// over it (parent copy, pixel work, text, one BitBlt).
#include "tests/wine/control_presets.h"
#include "ui/framework/application.h"
#include "ui/framework/dib_image.h"

#include <windows.h>

#include <cstdio>

using namespace skorvel;

namespace {

template <typename F> void Measure(const char* name, F&& paint) {
    LARGE_INTEGER frequency, start, end;
    ::QueryPerformanceFrequency(&frequency);
    paint(); // warm-up
    int runs = 0;
    ::QueryPerformanceCounter(&start);
    do {
        paint();
        ++runs;
        ::QueryPerformanceCounter(&end);
    } while (end.QuadPart - start.QuadPart < frequency.QuadPart / 2);
    const double micros = double(end.QuadPart - start.QuadPart) * 1e6 / double(frequency.QuadPart);
    std::printf("%-34s %9.1f us  (%d runs)\n", name, micros / runs, runs);
}

} // namespace

int main() {
    TApplication application;
    application.Initialize();
    TForm owner("form BenchFrm\n    caption: Bench\n    client-size: 10 10\n", L"bench");
    owner.Build();
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = ::DefWindowProcW;
    wc.lpszClassName = L"SkorvelBenchHost";
    ::RegisterClassExW(&wc);
    const HWND host = ::CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP, 0, 0, 318, 421, nullptr,
                                        nullptr, nullptr, nullptr);
    const auto ownedPanel = MakeVistaPanel(owner, host, {0, 0, 318, 421});
    TvxVistaPanel& panel = *ownedPanel;
    ApplyVistaPanelSettings(panel, L"MainPanel");
    TDibImage target;
    target.SetSize(318, 421);

    TDibImage tile;
    tile.SetSize(32, 32);
    tile.Pixels().Fill({200, 150, 100});
    panel.SetPicture(HBITMAP(::GetCurrentObject(tile.Dc(), OBJ_BITMAP)));
    const struct {
        const char* name;
        TvgStyle style;
        std::uint8_t opacity;
    } styles[] = {{"MainPanel vgSimple", vgSimple, 255},
                  {"MainPanel vgVista", vgVista, 255},
                  {"MainPanel vgGlass", vgGlass, 255},
                  {"MainPanel vgImage 32x32", vgImage, 255},
                  {"MainPanel vgAlpha opacity 128", vgAlpha, 128},
                  {"MainPanel vgSimple opacity 128", vgSimple, 128}};
    for (const auto& s : styles) {
        panel.SetStyle(s.style);
        panel.SetOpacity(s.opacity);
        Measure(s.name, [&] { panel.PaintWindow(target.Dc()); });
    }
    panel.SetStyle(vgSimple);
    panel.SetOpacity(255);

    const HFONT font = ::CreateFontW(-13, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                     DEFAULT_PITCH, L"Verdana");
    const auto start = MakeGlassButton(owner, panel.Handle(), {95, 137, 122, 33});
    ApplyGlassButtonSettings(*start, L"StartBtn");
    start->SetFont(font);
    start->SetCaption(L"Optymalizuj");
    const auto more = MakeGlassButton(owner, panel.Handle(), {55, 272, 201, 26});
    ApplyGlassButtonSettings(*more, L"WiecejBtn");
    more->SetFont(font);
    more->SetCaption(L"Mniej szczeg\u00F3\u0142\u00F3w");
    Measure("StartBtn PaintTo 122x33", [&] { start->PaintTo(target.Dc()); });
    Measure("WiecejBtn PaintTo 201x26", [&] { more->PaintTo(target.Dc()); });
    ::DeleteObject(font);
    ::DestroyWindow(host);
    return 0;
}
