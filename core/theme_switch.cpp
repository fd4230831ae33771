#include "core/theme_switch.h"

namespace skorvel {

namespace {

const wchar_t* const kEffectServices[] = {L"uxsms", L"Themes"};

} // namespace

void ThemeSwitch(bool Stop, IServiceManagerFactory& Services) {
    const std::unique_ptr<IServiceManager> manager = Services.CreateServiceManager();
    manager->Connect(nullptr, nullptr, kScManagerAllAccess);
    for (const wchar_t* name : kEffectServices) {
        manager->OpenServiceConnection(name);
        if (Stop) {
            if (manager->ServiceRunning())
                manager->Stop();
        } else if (manager->ServiceStopped()) {
            manager->Start();
        }
    }
}

} // namespace skorvel
