// The owner of a hidden window: messages reach its object, what the object
// raises stops at the window procedure, the two kinds of window, and windows
// destroyed from outside or by their object's own handling.
#include "platform/hidden_window.h"
#include "tests/wine/outliving_storage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

using namespace skorvel;

namespace {

constexpr UINT kAnswer = WM_APP + 1;  // answered 42
constexpr UINT kFailing = WM_APP + 2; // raises, naming its wParam
constexpr UINT kFreeing = WM_APP + 3; // runs the window's OnFree

class TTestWindow : public THiddenWindow {
public:
    explicit TTestWindow(TKind kind = TKind::hkMessageOnly) : THiddenWindow(kind) {}
    std::vector<UINT> seen;
    std::vector<std::string> errors; // message:wParam:what
    std::function<void()> onFree;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        seen.push_back(message);
        switch (message) {
        case kAnswer:
            return 42;
        case kFailing:
            throw std::runtime_error("failed " + std::to_string(wParam));
        case kFreeing: {
            const auto free = onFree; // frees this window
            free();
            if (wParam)
                throw std::runtime_error("after the free");
            return 7;
        }
        }
        return THiddenWindow::WindowProc(message, wParam, lParam);
    }
    void HandleException(UINT message, WPARAM wParam, std::exception_ptr error) noexcept override {
        try {
            std::rethrow_exception(error);
        } catch (const std::exception& e) {
            errors.push_back(std::to_string(message - WM_APP) + ":" + std::to_string(wParam) + ":" +
                             e.what());
        }
    }
};

bool Saw(const TTestWindow& window, UINT message) {
    return std::find(window.seen.begin(), window.seen.end(), message) != window.seen.end();
}

} // namespace

TEST(HiddenWindow, AnswersThroughItsObjectAndStopsWhatItRaises) {
    TTestWindow window;
    ASSERT_NE(window.Handle(), nullptr);
    EXPECT_EQ(::SendMessageW(window.Handle(), kAnswer, 0, 0), 42);
    for (WPARAM w : {WPARAM(5), WPARAM(6)})
        EXPECT_EQ(::SendMessageW(window.Handle(), kFailing, w, 0), 0);
    EXPECT_EQ(window.errors, (std::vector<std::string>{"2:5:failed 5", "2:6:failed 6"}));
    EXPECT_EQ(::SendMessageW(window.Handle(), kAnswer, 0, 0), 42) << "the window goes on";
}

// Only a top-level window hears what is sent to every top-level window, as
// the shell's "TaskbarCreated" is; neither kind is ever seen.
TEST(HiddenWindow, TopLevelWindowsHearBroadcastsMessageOnlyOnesDoNot) {
    TTestWindow topLevel(THiddenWindow::TKind::hkTopLevel), messageOnly;
    const UINT broadcast = ::RegisterWindowMessageW(L"SkorvelHiddenWindowTestBroadcast");
    ::SendMessageTimeoutW(HWND_BROADCAST, broadcast, 0, 0, SMTO_ABORTIFHUNG, 2000, nullptr);
    EXPECT_TRUE(Saw(topLevel, broadcast));
    EXPECT_FALSE(Saw(messageOnly, broadcast));
    EXPECT_FALSE(::IsWindowVisible(topLevel.Handle()));
    EXPECT_EQ(::GetAncestor(topLevel.Handle(), GA_PARENT), ::GetDesktopWindow());
}

TEST(HiddenWindow, DestroyedFromOutsideItLetsGoOfTheWindow) {
    auto window = std::make_unique<TTestWindow>();
    const HWND handle = window->Handle();
    ASSERT_TRUE(::DestroyWindow(handle));
    EXPECT_EQ(window->Handle(), nullptr);
    EXPECT_TRUE(Saw(*window, WM_NCDESTROY));
    window.reset(); // destroys nothing more
    TTestWindow next;
    EXPECT_EQ(::SendMessageW(next.Handle(), kAnswer, 0, 0), 42);
}

// An object may free itself, and its window, while it handles a message (the
// last simple timer freed by its own tick): nothing of it is touched after,
// also when it raises on the way out.
TEST(HiddenWindow, AnObjectFreedByItsOwnHandlingIsNotTouchedAgain) {
    for (WPARAM raises : {WPARAM(0), WPARAM(1)}) {
        SCOPED_TRACE(raises ? "raises after the free" : "returns after the free");
        skorvel::testing::TOutlivingStorage<TTestWindow> storage;
        TTestWindow& window = storage.Create();
        window.onFree = [&storage] { storage.Free(); };
        const HWND handle = window.Handle();
        EXPECT_EQ(::SendMessageW(handle, kFreeing, raises, 0), raises ? 0 : 7);
        ASSERT_TRUE(storage.Freed());
        EXPECT_TRUE(storage.Untouched());
        EXPECT_FALSE(::IsWindow(handle));
    }
}
