// Timings of the filter editor's Load and Save of a 20,000-line filter file:
// the real window (from the program's resources) over a scratch folder, the
// handlers called as the buttons call them. Figures in milliseconds.
//
//   editor_bench [LINES]    (default 20000)
#include "core/filter_editor.h"
#include "ui/controls/custom_controls.h"
#include "ui/filter_editor.h"
#include "ui/framework/application.h"

#include "tests/wine/core_temp_folder.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

using namespace skorvel;
using namespace skorvel::testing;

namespace {

double NowMilliseconds() {
    LARGE_INTEGER frequency, counter;
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&counter);
    return double(counter.QuadPart) * 1000.0 / double(frequency.QuadPart);
}

// Keywords in no particular order, so that the load has to sort them.
std::string FilterFile(int lines) {
    std::string bytes;
    unsigned state = 12345;
    for (int i = 0; i < lines; ++i) {
        state = state * 1103515245u + 12345u;
        bytes += "Program" + std::to_string(state % 1000000) + "_" + std::to_string(i) + ".exe\r\n";
    }
    return bytes;
}

template <typename F> void Report(const char* what, int runs, F&& operation) {
    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        const double start = NowMilliseconds();
        operation();
        times.push_back(NowMilliseconds() - start);
    }
    std::sort(times.begin(), times.end());
    std::printf("%-28s median %8.2f ms   min %8.2f   max %8.2f   (%d runs)\n", what,
                times[times.size() / 2], times.front(), times.back(), runs);
}

} // namespace

int main(int argc, char** argv) {
    const int lines = argc > 1 ? std::atoi(argv[1]) : 20000;
    TApplication app;
    app.Initialize();
    RegisterCustomControls(app.ControlKinds());
    app.ApplyStyle(L"AQUALIGHTSLATE");
    app.OnException = [](TObject&, const std::exception& e) {
        std::printf("error: %s\n", e.what());
        std::exit(1);
    };
    TForm host("form Host\n    caption: host\n    client-size: 300 300\n", L"host");
    host.Build();
    app.SetMainForm(&host);
    TTempFolder folder;
    folder.Write(L"inne.txt", FilterFile(lines));
    TEdytorFrm editor(folder.Path());
    host.Show();
    editor.Show();
    app.ProcessMessages();

    const auto load = [&] {
        editor.AnulujBtnClick(editor);
        editor.KategorieList->SetItemIndex(0);
        editor.WczytajBtnClick(editor);
        app.ProcessMessages(); // the list's repaint belongs to the load
    };
    load();
    std::printf("%d lines, %d shown\n", lines, editor.FiltryList->Count());
    Report("Load (read, sort, fill)", 10, load);
    // The parts: the list box's own share of a load and of a save.
    const std::vector<std::wstring> entries = editor.FiltryList->Items();
    Report("  list box: fill", 5, [&] { editor.FiltryList->SetItems(entries); });
    Report("  list box: read all", 5, [&] { (void)editor.FiltryList->Items(); });
    Report("Save (encode, replace)", 10, [&] {
        editor.ZapiszBtnClick(editor);
        app.ProcessMessages();
    });
    Report("Add one to the full list", 10, [&] {
        editor.WpisEdt->SetText(L"Program5_x.exe");
        editor.DodajBtnClick(editor);
        app.ProcessMessages();
    });
    return 0;
}
