#include "vela/ui/bring_to_front.h"

namespace vela {

namespace {

bool RunsOnWine()
{
    const HMODULE ntdll = GetModuleHandleW(TEXT("ntdll.dll"));
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

} // namespace

// Observed under Wine 8 with Openbox on Xvfb (2026-12): SetForegroundWindow
// changes only Wine's own foreground window and never asks the window
// manager (this X11 driver sends no _NET_ACTIVE_WINDOW), so a dialog covered
// by another program stays behind. FlashWindowEx returns FALSE for another
// process's window and sends nothing; from the dialog's own process it sends
// its demands-attention request to the root window with SubstructureNotify
// only, which Openbox does not listen for: no state was set either way. What
// works is mapping the window again: the window manager judges it as a new
// window, and raises and focuses it, or, where it prevents focus stealing,
// flags it _NET_WM_STATE_DEMANDS_ATTENTION (Openbox's rule for a new window
// it will not focus). Openbox raised and focused it in every try here. On
// Windows the starting process may take the foreground; where it may not,
// the taskbar button flashes until the user comes to the window.
void BringToFront(HWND window)
{
    if (IsIconic(window))
        ShowWindow(window, SW_RESTORE);
    if (RunsOnWine()) {
        ShowWindow(window, SW_HIDE);
        ShowWindow(window, SW_SHOW);
    }
    if (!SetForegroundWindow(window)) {
        FLASHWINFO flash = {sizeof flash, window, FLASHW_ALL | FLASHW_TIMERNOFG, 0, 0};
        FlashWindowEx(&flash);
    }
}

} // namespace vela
