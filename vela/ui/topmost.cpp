#include "vela/ui/window.h"

#include <commctrl.h>

#include <vector>

namespace vela {

namespace {

struct OwnedSearch {
    HWND owner;
    std::vector<HWND> found;
};

// A tooltip joins the top-most band whenever it shows.
bool IsTopmostPopup(HWND hwnd)
{
    WCHAR name[32] = {};
    GetClassNameW(hwnd, name, 32);
    return (GetWindowLongW(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST) ||
           lstrcmpiW(name, TOOLTIPS_CLASSW) == 0;
}

BOOL CALLBACK CollectTopmostOwned(HWND hwnd, LPARAM data)
{
    OwnedSearch& search = *reinterpret_cast<OwnedSearch*>(data);
    if (GetWindow(hwnd, GW_OWNER) == search.owner && IsTopmostPopup(hwnd))
        search.found.push_back(hwnd);
    return TRUE;
}

// Wine 8 keeps a visible window out of the top-most band while it owns a
// top-most popup such as its tooltip: SetWindowPos(HWND_TOPMOST) leaves
// WS_EX_TOPMOST clear (reproduced with a bare dialog, 2026-12). The popups
// are released from their owner for the call and given back right after;
// on Windows the brief release is harmless.
class OwnedPopupsReleased {
public:
    explicit OwnedPopupsReleased(HWND owner) : owner_(owner)
    {
        if (!owner)
            return;
        OwnedSearch search{owner, {}};
        EnumThreadWindows(GetWindowThreadProcessId(owner, nullptr), CollectTopmostOwned,
                          reinterpret_cast<LPARAM>(&search));
        popups_.swap(search.found);
        for (HWND popup : popups_)
            SetWindowLongPtrW(popup, GWLP_HWNDPARENT, 0);
    }
    ~OwnedPopupsReleased()
    {
        for (HWND popup : popups_) {
            if (IsWindow(popup))
                SetWindowLongPtrW(popup, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner_));
        }
    }
    OwnedPopupsReleased(const OwnedPopupsReleased&) = delete;
    OwnedPopupsReleased& operator=(const OwnedPopupsReleased&) = delete;

private:
    HWND owner_;
    std::vector<HWND> popups_;
};

} // namespace

// Joining the band is no activation. Without SWP_NOACTIVATE, Wine 8
// activated the dialog while it was still hidden (its settings load sets the
// band before it shows): the dialog manager focused the first control, which
// the same load then disabled, so the focus was nowhere; showing the dialog,
// already active, set it no more. Under Openbox the dialog then had the X
// focus but Escape, Tab and the arrows reached no control (2026-12).
BOOL Window::SetTopmost(bool on)
{
    OwnedPopupsReleased released(hwnd);
    return SetWindowPos(hwnd, on ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                        SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

} // namespace vela
