#include "tests/support/drop_files.h"

#include <shlobj.h>

#include <cstring>

HDROP MakeDrop(const WStringList& names)
{
    size_t units = 1;
    for (const WString& name : names)
        units += name.size() + 1;
    HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + units * sizeof(WCHAR));
    auto* header = static_cast<DROPFILES*>(GlobalLock(memory));
    header->pFiles = sizeof(DROPFILES);
    header->fWide = TRUE;
    WCHAR* out = reinterpret_cast<WCHAR*>(header + 1);
    for (const WString& name : names) {
        std::memcpy(out, name.c_str(), (name.size() + 1) * sizeof(WCHAR));
        out += name.size() + 1;
    }
    GlobalUnlock(memory);
    return static_cast<HDROP>(memory);
}

void DropOnto(HWND window, const WStringList& names)
{
    SendMessageW(window, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(names)), 0);
}
