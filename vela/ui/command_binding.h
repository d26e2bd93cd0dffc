#pragma once
// A command id tied to a checkable menu item and to a window that follows the
// item's check state (see Window::AddBinding and RunCommandBindings).
#include <windows.h>

namespace vela {

class Window;
class ToolBar;
struct MenuItemRef;

struct CommandBinding {
    MenuItemRef* item;  // not owned
    ToolBar* bar;       // not owned; may be null
    Window* target;     // not owned
    int type;           // a LinkType
};

// The binding step of a WM_COMMAND, run before OnCommand: toggles the bound
// menu item once, mirrors it on the tool-bar button when the command came from
// a menu or an accelerator, then applies every binding of the id.
void RunCommandBindings(Window& window, WPARAM wParam, LPARAM lParam);

} // namespace vela
