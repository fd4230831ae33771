#pragma once
// What the optimisation core needs of the main window: the category ticks,
// the four controls that switch between optimise and restore mode, message
// boxes owned by the window, and the processing of pending messages.
#include "core/category_ticks.h"

#include <string>

namespace skorvel {

enum class TModeControl { mcStartBtn, mcStartMenuBtn, mcPrzywrocBtn, mcPrzywrocMenuBtn };

// Message box flags and answers, with Windows' values.
constexpr unsigned kMbOk = 0x0;
constexpr unsigned kMbYesNo = 0x4;
constexpr unsigned kMbIconError = 0x10;
constexpr unsigned kMbIconQuestion = 0x20;
constexpr int kIdYes = 6;

class IMainView : public ICategoryTicks {
public:
    virtual void SetControlVisible(TModeControl Control, bool Visible) = 0;
    // A modal box owned by the main window; returns the button pressed.
    virtual int ShowMessageBox(const std::wstring& Text, const std::wstring& Caption,
                               unsigned Flags) = 0;
    // Lets the application handle every pending window message.
    virtual void ProcessMessages() = 0;
};

} // namespace skorvel
