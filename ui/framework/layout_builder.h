#pragma once
// Building the controls of a layout: the child controls of a container node,
// each by the factory of its kind and checked for unread properties after
// it is built, and the fonts and pictures that nodes name.
#include "platform/handles.h"
#include "ui/framework/layout.h"

#include <windows.h>

#include <string>

namespace skorvel {

class TControl;
class TForm;

// Builds the controls of a container node recursively, in layout order,
// then orders them by their tab order. parent is the container's control,
// parentWindow its window. Menus and timers belong to the form itself.
void CreateChildControls(TForm& form, TControl* parent, HWND parentWindow, const LayoutNode& node);

// A font described by a layout: "font: Tahoma 11" with optional
// "font-style: bold", "font-charset: east-europe"; the form's font when absent.
HFONT LayoutFont(TForm& form, const LayoutNode& node);

// The PNG resource that a node's property names (32-bit premultiplied BGRA).
GdiObject LayoutPicture(const LayoutNode& node, const std::wstring& key, int& width, int& height);

} // namespace skorvel
