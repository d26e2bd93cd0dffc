#pragma once
// Real windows for the framework tests.
#include "vela/ui/window.h"

// A top-level window of a class whose procedure is vela::WindowProc, created
// with w as its creation parameter; w is attached at WM_NCCREATE.
HWND CreateWrappedWindow(vela::Window& w);
