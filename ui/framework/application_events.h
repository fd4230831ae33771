#pragma once
// The application-wide event hook of a window: while it exists, every
// exception that escapes an event handler of any window reaches its handler.
// It goes with its window (the hook never outlives the handler it calls,
// also when the window's construction fails half-way), and the hook it
// replaced comes back.
#include "ui/framework/application.h"

#include <utility>

namespace skorvel {

class TApplicationEvents {
public:
    explicit TApplicationEvents(TExceptionEvent onException)
        : FReplaced(std::exchange(Application->OnException, std::move(onException))) {}
    ~TApplicationEvents() {
        if (Application)
            Application->OnException = std::move(FReplaced);
    }
    TApplicationEvents(const TApplicationEvents&) = delete;
    TApplicationEvents& operator=(const TApplicationEvents&) = delete;

private:
    TExceptionEvent FReplaced;
};

} // namespace skorvel
