// The one timer mechanism: timers started, restarted and stopped on a timer
// window, ticks delivered only to a timer running there, what a tick raises,
// and a tick that frees its own timer and window.
#include "platform/window_timer.h"
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

void Pump(DWORD milliseconds) {
    const DWORD end = ::GetTickCount() + milliseconds;
    for (DWORD now = ::GetTickCount(); now - end > 0x7FFFFFFF; now = ::GetTickCount()) {
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, end - now, QS_ALLINPUT);
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            ::DispatchMessageW(&msg);
    }
}

// A tick the system or another sender could still deliver for the timer.
void SendTick(const TTimerWindow& window, const TWindowTimer& timer) {
    ::SendMessageW(window.Handle(), WM_TIMER, reinterpret_cast<WPARAM>(&timer), 0);
}

} // namespace

TEST(WindowTimer, TicksArriveThroughTheMessageLoopWhileRunning) {
    TTimerWindow window;
    int ticks = 0;
    TWindowTimer timer(window, [&] { ++ticks; });
    EXPECT_FALSE(timer.Running());
    EXPECT_EQ(window.ActiveCount(), 0u);
    ASSERT_TRUE(timer.Start(20));
    EXPECT_TRUE(timer.Running());
    EXPECT_EQ(window.ActiveCount(), 1u);
    Pump(200);
    EXPECT_GT(ticks, 2);

    ASSERT_TRUE(timer.Start(30)); // a restart
    EXPECT_EQ(window.ActiveCount(), 1u);
    EXPECT_TRUE(timer.Stop());
    EXPECT_FALSE(timer.Running());
    EXPECT_EQ(window.ActiveCount(), 0u);
    ticks = 0;
    Pump(150);
    EXPECT_EQ(ticks, 0);
    EXPECT_FALSE(timer.Stop()) << "not running";

    {
        TWindowTimer other(window, [] {});
        ASSERT_TRUE(other.Start(1000));
        ASSERT_TRUE(timer.Start(1000));
        EXPECT_EQ(window.ActiveCount(), 2u);
    }
    EXPECT_EQ(window.ActiveCount(), 1u) << "a timer freed while running stops";
}

TEST(WindowTimer, OnlyATimerRunningOnTheWindowHearsATick) {
    TTimerWindow window, otherWindow;
    int ticks = 0, otherTicks = 0;
    TWindowTimer timer(window, [&] { ++ticks; });
    TWindowTimer elsewhere(otherWindow, [&] { ++otherTicks; });
    SendTick(window, timer);
    EXPECT_EQ(ticks, 0) << "not started";
    ASSERT_TRUE(timer.Start(60000));
    ASSERT_TRUE(elsewhere.Start(60000));
    SendTick(window, timer);
    EXPECT_EQ(ticks, 1);
    SendTick(window, elsewhere);
    EXPECT_EQ(otherTicks, 0) << "running, but on another window";
    ::SendMessageW(window.Handle(), WM_TIMER, 12345, 0);
    timer.Stop();
    SendTick(window, timer);
    EXPECT_EQ(ticks, 1) << "stopped";
}

TEST(WindowTimer, WhatATickRaisesGoesToTheWindowsHandlerAndTheTimerGoesOn) {
    std::vector<std::string> reported;
    TTimerWindow window([&](std::exception_ptr error) {
        try {
            std::rethrow_exception(error);
        } catch (const std::exception& e) {
            reported.push_back(e.what());
        }
    });
    TWindowTimer timer(window, [] { throw std::runtime_error("tick failed"); });
    ASSERT_TRUE(timer.Start(60000));
    SendTick(window, timer);
    SendTick(window, timer);
    EXPECT_EQ(reported, (std::vector<std::string>{"tick failed", "tick failed"}));
    EXPECT_TRUE(timer.Running());

    // Without a handler, or with one that fails itself, nothing escapes.
    TTimerWindow silent, failing([](std::exception_ptr) { throw std::runtime_error("again"); });
    TWindowTimer first(silent, [] { throw std::runtime_error("dropped"); });
    TWindowTimer second(failing, [] { throw std::runtime_error("dropped"); });
    ASSERT_TRUE(first.Start(60000));
    ASSERT_TRUE(second.Start(60000));
    EXPECT_EQ(::SendMessageW(silent.Handle(), WM_TIMER, reinterpret_cast<WPARAM>(&first), 0), 0);
    EXPECT_EQ(::SendMessageW(failing.Handle(), WM_TIMER, reinterpret_cast<WPARAM>(&second), 0), 0);
}

namespace {

// A window with one timer, as a shared window and one of its users are.
struct TTimerPair {
    explicit TTimerPair(std::function<void()> tick) : Timer(Window, std::move(tick)) {}
    TTimerWindow Window;
    TWindowTimer Timer;
};

} // namespace

TEST(WindowTimer, ATickThatFreesItsTimerAndWindowTouchesNothingAfter) {
    for (bool raise : {false, true}) {
        SCOPED_TRACE(raise ? "raises after the free" : "returns after the free");
        skorvel::testing::TOutlivingStorage<TTimerPair> storage;
        TTimerPair& pair = storage.Create([&storage, raise] {
            storage.Free();
            if (raise)
                throw std::runtime_error("after the free");
        });
        ASSERT_TRUE(pair.Timer.Start(10));
        Pump(150);
        ASSERT_TRUE(storage.Freed()) << "the tick ran";
        EXPECT_TRUE(storage.Untouched());
    }
}
