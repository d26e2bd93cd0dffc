#pragma once
// Drop handles built the way the shell builds them, for WM_DROPFILES tests.
#include "vela/text.h"

#include <shellapi.h>

// A GlobalAlloc'd DROPFILES with fWide set, then the names in UTF-16, each
// zero-terminated, and one more zero. Whoever receives it must DragFinish it.
HDROP MakeDropHandle(const WStringList& names);

// DragFinish frees the handle; a freed handle has no size any more.
bool DropReleased(HDROP drop);
