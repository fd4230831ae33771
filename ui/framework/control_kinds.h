#pragma once
// The kinds of control a layout may name ("panel", "button", ...), each with
// the function that builds one. The application object owns the one
// registry: it holds the framework's stock kinds from the start, and the
// program adds its own kinds once, before the first window is built.
#include <windows.h>

#include <map>
#include <memory>
#include <string>

namespace skorvel {

class LayoutNode;
class TControl;
class TForm;

// Builds the control of a node inside parent (the form or a container;
// parentWindow is its window). The builder checks the node afterwards.
using TControlFactory = std::unique_ptr<TControl> (*)(TForm& form, TControl* parent,
                                                      HWND parentWindow, const LayoutNode& node);

// The factory of a control class whose constructor takes what a factory gets.
template <typename T>
std::unique_ptr<TControl> MakeControl(TForm& form, TControl* parent, HWND parentWindow,
                                      const LayoutNode& node) {
    return std::make_unique<T>(form, parent, parentWindow, node);
}

class TControlKinds {
public:
    TControlKinds();
    TControlKinds(const TControlKinds&) = delete;
    TControlKinds& operator=(const TControlKinds&) = delete;

    // Raises when the kind is known already: two kinds of one name would
    // leave the layouts to whichever came last.
    void Add(const std::wstring& kind, TControlFactory factory);
    // The factory of a kind; nullptr for a kind nobody added.
    TControlFactory Find(const std::wstring& kind) const;

private:
    std::map<std::wstring, TControlFactory> FKinds;
};

} // namespace skorvel
