// Timings of the filter editor's list commands at several sizes: the real
// window (from the program's resources) over a scratch folder, the handlers
// called as the buttons and the menu call them, each with the repaint it
// causes. Beside each command, in the same process and minute, its floor: the
// list box emptied and filled with the rows the command leaves, by its own
// messages (LB_RESETCONTENT, LB_ADDSTRING) with drawing off, then repainted.
// Figures in milliseconds: median, the spread (lowest to highest), and the
// median's ratio to the floor's. Beside "Dodaj", one row inserted by the list
// box's own message shows what a single new row costs at least: under Wine
// most of it is the synchronous redraw of the list's scroll bar.
//
//   editor_bench [ROWS...]    (default 1000 20000 100000)
//
// A command that takes longer than a minute in all is measured once. The
// deletions come last at each size: before they were done in one pass, those
// of 100,000 rows took many minutes.
#include "core/filter_editor.h"
#include "ui/controls/custom_controls.h"
#include "ui/filter_editor.h"
#include "ui/framework/application.h"

#include "tests/wine/core_temp_folder.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

using namespace skorvel;
using namespace skorvel::testing;

namespace {

using Rows = std::vector<std::wstring>;

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

struct TFigures {
    std::vector<double> Times; // sorted
    double Median() const { return Times[Times.size() / 2]; }
};

// Runs Prepare (not timed) and Operation up to Runs times, fewer once a
// minute has gone.
TFigures Measure(int runs, const std::function<void()>& prepare,
                 const std::function<void()>& operation) {
    TFigures figures;
    double total = 0;
    for (int run = 0; run < runs && total < 60000; ++run) {
        prepare();
        const double start = NowMilliseconds();
        operation();
        const double took = NowMilliseconds() - start;
        figures.Times.push_back(took);
        total += took;
    }
    std::sort(figures.Times.begin(), figures.Times.end());
    return figures;
}

void Print(const char* what, int rows, const TFigures& figures, const TFigures* floor) {
    std::printf("%-26s %7d rows  median %10.2f ms  spread %10.2f - %10.2f  (%d runs)", what, rows,
                figures.Median(), figures.Times.front(), figures.Times.back(),
                int(figures.Times.size()));
    if (floor)
        std::printf("  %7.2fx floor", figures.Median() / floor->Median());
    std::printf("\n");
    std::fflush(stdout);
}

class TEditorBench {
public:
    TEditorBench(TApplication& app, TEdytorFrm& editor) : FApp(app), FEditor(editor) {
        FList = editor.FiltryList->Handle();
        FListProc = reinterpret_cast<WNDPROC>(::GetClassLongPtrW(FList, GCLP_WNDPROC));
    }

    void Run(int rows, const std::wstring& folder) {
        const Rows loaded = LoadFile(rows, folder);
        const int runs = 5;

        const TFigures load = Measure(
            runs, [] {}, [&] { Load(); });
        const TFigures loadFloor = Measure(
            runs, [] {}, [&] { Floor(loaded); });
        Print("Load (read, sort, fill)", rows, load, &loadFloor);

        // A keyword that sorts into the middle, added to the full list.
        const std::wstring middle = loaded[loaded.size() / 2];
        Rows added = loaded;
        added.insert(added.begin() + std::ptrdiff_t(loaded.size() / 2 + 1), middle);
        const TFigures add = Measure(
            runs * 2,
            [&] {
                FEditor.FiltryList->SetItems(loaded);
                FEditor.WpisEdt->SetText(middle); // typed before the click
                FApp.ProcessMessages();
            },
            [&] {
                FEditor.DodajBtnClick(FEditor);
                FApp.ProcessMessages();
            });
        if (FEditor.FiltryList->Items() != added) {
            std::printf("error: Dodaj put the keyword elsewhere\n");
            std::exit(1);
        }
        const TFigures addFloor = Measure(
            runs, [&] { FEditor.FiltryList->SetItems(loaded); }, [&] { Floor(added); });
        Print("Dodaj into the full list", rows, add, &addFloor);
        // What any one new row costs the list box on its own, drawing on.
        const TFigures insert = Measure(
            runs * 2, [&] { FEditor.FiltryList->SetItems(loaded); },
            [&] {
                ListMessage(LB_INSERTSTRING, loaded.size() / 2,
                            reinterpret_cast<LPARAM>(middle.c_str()));
                FApp.ProcessMessages();
            });
        Print("  one LB_INSERTSTRING", rows, insert, &addFloor);

        const TFigures save = Measure(
            runs, [&] { FEditor.FiltryList->SetItems(loaded); },
            [&] {
                FEditor.ZapiszBtnClick(FEditor);
                FApp.ProcessMessages();
            });
        Print("Save (encode, replace)", rows, save, nullptr);
        const TFigures deleteAll = Measure(
            runs, [&] { FEditor.FiltryList->SetItems(loaded); },
            [&] {
                FEditor.ZaznaczWszystkoMenuBtnClick(*FEditor.FiltryList);
                FEditor.UsunMenuBtnClick(*FEditor.FiltryList);
                FApp.ProcessMessages();
            });
        const TFigures deleteAllFloor = Measure(
            runs, [&] { FEditor.FiltryList->SetItems(loaded); }, [&] { Floor({}); });
        Print("Ctrl+A, Del", rows, deleteAll, &deleteAllFloor);

        // A range of rows, as Shift+click selects it: the first half.
        const Rows secondHalf(loaded.begin() + loaded.size() / 2, loaded.end());
        const TFigures deleteHalf = Measure(
            runs,
            [&] {
                FEditor.FiltryList->SetItems(loaded);
                ListMessage(LB_SELITEMRANGEEX, 0, LPARAM(loaded.size() / 2 - 1));
            },
            [&] {
                FEditor.UsunMenuBtnClick(*FEditor.FiltryList);
                FApp.ProcessMessages();
            });
        const TFigures deleteHalfFloor = Measure(
            runs, [&] { FEditor.FiltryList->SetItems(loaded); }, [&] { Floor(secondHalf); });
        Print("First half selected, Del", rows, deleteHalf, &deleteHalfFloor);
    }

private:
    LRESULT ListMessage(UINT message, WPARAM wParam, LPARAM lParam) {
        return ::CallWindowProcW(FListProc, FList, message, wParam, lParam);
    }

    Rows LoadFile(int rows, const std::wstring& folder) {
        const HANDLE file = ::CreateFileW((folder + L"inne.txt").c_str(), GENERIC_WRITE, 0, nullptr,
                                          CREATE_ALWAYS, 0, nullptr);
        const std::string bytes = FilterFile(rows);
        DWORD written = 0;
        ::WriteFile(file, bytes.data(), DWORD(bytes.size()), &written, nullptr);
        ::CloseHandle(file);
        FEditor.FormShow(FEditor);
        Load();
        return FEditor.FiltryList->Items();
    }

    // Load as the button does it, with the repaint that follows.
    void Load() {
        FEditor.AnulujBtnClick(FEditor);
        FEditor.KategorieList->SetItemIndex(0);
        FEditor.WczytajBtnClick(FEditor);
        FApp.ProcessMessages();
    }

    // The list box's own cost of showing Rows: emptied and filled by its own
    // messages with drawing off, then repainted.
    void Floor(const Rows& rows) {
        ::SendMessageW(FList, WM_SETREDRAW, FALSE, 0);
        ListMessage(LB_RESETCONTENT, 0, 0);
        for (const auto& row : rows)
            ListMessage(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(row.c_str()));
        ::SendMessageW(FList, WM_SETREDRAW, TRUE, 0);
        ::InvalidateRect(FList, nullptr, TRUE);
        FApp.ProcessMessages();
    }

    TApplication& FApp;
    TEdytorFrm& FEditor;
    HWND FList = nullptr;
    WNDPROC FListProc = nullptr;
};

} // namespace

int main(int argc, char** argv) {
    std::vector<int> sizes;
    for (int i = 1; i < argc; ++i)
        sizes.push_back(std::atoi(argv[i]));
    if (sizes.empty())
        sizes = {1000, 20000, 100000};
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
    TEdytorFrm editor(folder.Path());
    host.Show();
    editor.Show();
    app.ProcessMessages();
    TEditorBench bench(app, editor);
    for (const int rows : sizes)
        bench.Run(rows, folder.Path());
    return 0;
}
