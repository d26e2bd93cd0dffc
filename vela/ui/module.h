#pragma once
// The program's module instance: dialog templates, icons and tooltips are
// loaded from it.
#include "vela/text.h"

#include <windows.h>

namespace vela {

// Set once by start-up before the first window is created.
extern HINSTANCE ModuleInstance;

// LoadIconW(ModuleInstance, id). The Win32 headers turn this name into
// LoadIconW; every caller sees the same headers, so the name stays consistent.
HICON LoadIcon(int id);

// String resource id of ModuleInstance; empty when there is none. Named like
// LoadIcon, and renamed LoadStringW by the same headers.
WString LoadString(int id);

} // namespace vela
