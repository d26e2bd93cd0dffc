#pragma once
// Drops as the shell makes them, for handing to a window as WM_DROPFILES.
#include "vela/text.h"

#include <shellapi.h>

// A DROPFILES block with wide names, each zero-terminated, and one more zero.
// Whoever handles the drop frees it with DragFinish.
HDROP MakeDrop(const WStringList& names);

// Sends the names to the window as one drop, as if dragged from Explorer.
void DropOnto(HWND window, const WStringList& names);
