#include "core/theme_switch.h"

#include "core_fakes.h"

#include <gtest/gtest.h>

using namespace skorvel;
using namespace skorvel::testing;

namespace {

using Lines = std::vector<std::wstring>;
using S = TServiceState;

} // namespace

TEST(ThemeSwitch, ActsOnlyOnRunningOrStoppedServicesInOrder) {
    const struct {
        bool stop;
        S uxsms, themes;
        Lines actions;
    } cases[] = {
        {true, S::Running, S::Running, {L"stop uxsms", L"stop Themes"}},
        {true, S::Missing, S::Running, {L"stop Themes"}},
        {true, S::StopPending, S::Running, {L"stop Themes"}},
        {true, S::Stopped, S::Paused, {}},
        {true, S::Running, S::StartPending, {L"stop uxsms"}},
        {false, S::Stopped, S::Stopped, {L"start uxsms", L"start Themes"}},
        {false, S::Missing, S::Stopped, {L"start Themes"}},
        {false, S::Running, S::Running, {}},
        {false, S::StopPending, S::Stopped, {L"start Themes"}},
        {false, S::Stopped, S::Paused, {L"start uxsms"}},
    };
    for (const auto& c : cases) {
        TEventLog log;
        FakeServiceManagers services(log);
        services.States = {{L"uxsms", c.uxsms}, {L"Themes", c.themes}};
        ThemeSwitch(c.stop, services);
        Lines expected = {L"service manager", L"connect - - 983103", L"open uxsms"};
        for (const auto& action : c.actions)
            if (action.find(L"uxsms") != std::wstring::npos)
                expected.push_back(action);
        expected.push_back(L"open Themes");
        for (const auto& action : c.actions)
            if (action.find(L"Themes") != std::wstring::npos)
                expected.push_back(action);
        expected.push_back(L"service manager freed");
        EXPECT_EQ(log, expected) << c.stop << " " << int(c.uxsms) << " " << int(c.themes);
    }
}

TEST(ThemeSwitch, OffThenOnAtOnceFindsTheServicesStillPending) {
    TEventLog log;
    FakeServiceManagers services(log);
    services.States = {{L"uxsms", S::Running}, {L"Themes", S::Running}};
    ThemeSwitch(true, services);
    log.clear();
    ThemeSwitch(false, services);
    for (const auto& event : log)
        EXPECT_NE(event.compare(0, 5, L"start"), 0) << event;
}

TEST(ThemeSwitch, TheManagerIsFreedWhenACallRaises) {
    TEventLog log;
    FakeServiceManagers services(log);
    services.RaiseOnOpen = true;
    EXPECT_THROW(ThemeSwitch(false, services), std::runtime_error);
    EXPECT_EQ(services.Alive, 0);
    EXPECT_EQ(log.back(), L"service manager freed");
}
