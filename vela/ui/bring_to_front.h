#pragma once
// Bringing a top-level window, possibly another process's, in front of the
// user, or else having the desktop show that it asks for attention.
#include <windows.h>

namespace vela {

// Restores window when minimised and makes it the foreground window. Where
// the window manager refuses (focus-stealing prevention), the window is
// flagged as asking for attention, so the panel or taskbar shows it.
void BringToFront(HWND window);

} // namespace vela
