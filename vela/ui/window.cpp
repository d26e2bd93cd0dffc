#include "vela/ui/window.h"

#include <commctrl.h>

namespace vela {

const UINT_PTR SubclassId = 1;
// The 16-bit WM_CTLCOLOR; the 32-bit headers no longer define it.
const UINT WmCtlColor = 0x0019;

Window* WrapperOf(HWND hwnd)
{
    return reinterpret_cast<Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

Window::Window()
    : hwnd(nullptr), parent(nullptr), defaultProc(DefWindowProcW),
      subclassed(false), ownsWindow(true)
{
}

// The order is what makes this safe. The subclass goes first, so a control
// hears nothing more. DestroyWindow then runs while the derived parts are
// already gone: the messages it produces (a dialog still reaches us through
// WindowProc) find only Window's own defaults, and its WM_DESTROY detaches us
// through Dispatch. Children that report their own WM_DESTROY meanwhile
// remove themselves from `children`, which is still alive until the members
// are released after this body.
Window::~Window()
{
    if (subclassed) {
        subclassed = false;
        RemoveWindowSubclass(hwnd, SubclassProc, SubclassId);
    }
    if (ownsWindow && hwnd) {
        DestroyWindow(hwnd);
        hwnd = nullptr;
    }
    Detach();
}

// The class of the windows the framework makes itself; registered on first
// use, when ModuleInstance is set.
static const WCHAR* OwnClass()
{
    static const WCHAR* const name = [] {
        WNDCLASSEXW windowClass = {};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = WindowProc;
        windowClass.hInstance = ModuleInstance;
        windowClass.lpszClassName = TEXT("VelaWindow");
        RegisterClassExW(&windowClass);
        return windowClass.lpszClassName;
    }();
    return name;
}

bool Window::CreateMessageOnly()
{
    hwnd = CreateWindowExW(0, OwnClass(), nullptr, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                           ModuleInstance, this);
    return hwnd != nullptr;
}

void Window::ApplyLink(Window*, int, int) {}

void Window::OnSubclass() {}

LRESULT Window::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    return defaultProc(hwnd, msg, wParam, lParam);
}

LRESULT Window::OnCreate(WPARAM w, LPARAM l) { return OnMessage(WM_CREATE, w, l); }
LRESULT Window::OnInitDialog(WPARAM w, LPARAM l) { return OnMessage(WM_INITDIALOG, w, l); }
LRESULT Window::OnParentNotify(WPARAM w, LPARAM l) { return OnMessage(WM_PARENTNOTIFY, w, l); }
LRESULT Window::OnClose(WPARAM w, LPARAM l) { return OnMessage(WM_CLOSE, w, l); }
LRESULT Window::OnDestroy(WPARAM w, LPARAM l) { return OnMessage(WM_DESTROY, w, l); }
LRESULT Window::OnDropFiles(WPARAM w, LPARAM l) { return OnMessage(WM_DROPFILES, w, l); }
LRESULT Window::OnHScroll(WPARAM w, LPARAM l) { return OnMessage(WM_HSCROLL, w, l); }
LRESULT Window::OnVScroll(WPARAM w, LPARAM l) { return OnMessage(WM_VSCROLL, w, l); }
LRESULT Window::OnSize(WPARAM w, LPARAM l) { return OnMessage(WM_SIZE, w, l); }
LRESULT Window::OnMoving(WPARAM w, LPARAM l) { return OnMessage(WM_MOVING, w, l); }
LRESULT Window::OnMove(WPARAM w, LPARAM l) { return OnMessage(WM_MOVE, w, l); }
LRESULT Window::OnNcActivate(WPARAM w, LPARAM l) { return OnMessage(WM_NCACTIVATE, w, l); }
LRESULT Window::OnActivate(WPARAM w, LPARAM l) { return OnMessage(WM_ACTIVATE, w, l); }
LRESULT Window::OnWindowPosChanging(WPARAM w, LPARAM l) { return OnMessage(WM_WINDOWPOSCHANGING, w, l); }
LRESULT Window::OnWindowPosChanged(WPARAM w, LPARAM l) { return OnMessage(WM_WINDOWPOSCHANGED, w, l); }
LRESULT Window::OnTimer(WPARAM w, LPARAM l) { return OnMessage(WM_TIMER, w, l); }
LRESULT Window::OnPaint(WPARAM w, LPARAM l) { return OnMessage(WM_PAINT, w, l); }
LRESULT Window::OnEraseBkgnd(WPARAM w, LPARAM l) { return OnMessage(WM_ERASEBKGND, w, l); }
LRESULT Window::OnUser(WPARAM w, LPARAM l) { return OnMessage(WM_USER, w, l); }
LRESULT Window::OnGetDlgCode(WPARAM w, LPARAM l) { return OnMessage(WM_GETDLGCODE, w, l); }
LRESULT Window::OnGetMinMaxInfo(WPARAM w, LPARAM l) { return OnMessage(WM_GETMINMAXINFO, w, l); }
LRESULT Window::OnNcCalcSize(WPARAM w, LPARAM l) { return OnMessage(WM_NCCALCSIZE, w, l); }
LRESULT Window::OnInitMenu(WPARAM w, LPARAM l) { return OnMessage(WM_INITMENU, w, l); }
LRESULT Window::OnInitMenuPopup(WPARAM w, LPARAM l) { return OnMessage(WM_INITMENUPOPUP, w, l); }
LRESULT Window::OnMenuSelect(WPARAM w, LPARAM l) { return OnMessage(WM_MENUSELECT, w, l); }
LRESULT Window::OnContextMenu(WPARAM w, LPARAM l) { return OnMessage(WM_CONTEXTMENU, w, l); }
LRESULT Window::OnDrawItem(WPARAM w, LPARAM l) { return OnMessage(WM_DRAWITEM, w, l); }
LRESULT Window::OnSetFocus(WPARAM w, LPARAM l) { return OnMessage(WM_SETFOCUS, w, l); }
LRESULT Window::OnKillFocus(WPARAM w, LPARAM l) { return OnMessage(WM_KILLFOCUS, w, l); }
LRESULT Window::OnMouseMove(WPARAM w, LPARAM l) { return OnMessage(WM_MOUSEMOVE, w, l); }
LRESULT Window::OnSetCursor(WPARAM w, LPARAM l) { return OnMessage(WM_SETCURSOR, w, l); }
LRESULT Window::OnKeyDown(WPARAM w, LPARAM l) { return OnMessage(WM_KEYDOWN, w, l); }
LRESULT Window::OnKeyUp(WPARAM w, LPARAM l) { return OnMessage(WM_KEYUP, w, l); }
LRESULT Window::OnSysKeyDown(WPARAM w, LPARAM l) { return OnMessage(WM_SYSKEYDOWN, w, l); }
LRESULT Window::OnSysKeyUp(WPARAM w, LPARAM l) { return OnMessage(WM_SYSKEYUP, w, l); }
LRESULT Window::OnLeftButtonDown(WPARAM w, LPARAM l) { return OnMessage(WM_LBUTTONDOWN, w, l); }
LRESULT Window::OnLeftButtonUp(WPARAM w, LPARAM l) { return OnMessage(WM_LBUTTONUP, w, l); }
LRESULT Window::OnLeftButtonDblClk(WPARAM w, LPARAM l) { return OnMessage(WM_LBUTTONDBLCLK, w, l); }
LRESULT Window::OnRightButtonDown(WPARAM w, LPARAM l) { return OnMessage(WM_RBUTTONDOWN, w, l); }
LRESULT Window::OnRightButtonUp(WPARAM w, LPARAM l) { return OnMessage(WM_RBUTTONUP, w, l); }
LRESULT Window::OnRightButtonDblClk(WPARAM w, LPARAM l) { return OnMessage(WM_RBUTTONDBLCLK, w, l); }
LRESULT Window::OnNcLeftButtonDown(WPARAM w, LPARAM l) { return OnMessage(WM_NCLBUTTONDOWN, w, l); }
LRESULT Window::OnNcLeftButtonUp(WPARAM w, LPARAM l) { return OnMessage(WM_NCLBUTTONUP, w, l); }
LRESULT Window::OnNcRightButtonDown(WPARAM w, LPARAM l) { return OnMessage(WM_NCRBUTTONDOWN, w, l); }
LRESULT Window::OnNcRightButtonUp(WPARAM w, LPARAM l) { return OnMessage(WM_NCRBUTTONUP, w, l); }
LRESULT Window::OnEnterSizeMove(WPARAM w, LPARAM l) { return OnMessage(WM_ENTERSIZEMOVE, w, l); }
LRESULT Window::OnExitSizeMove(WPARAM w, LPARAM l) { return OnMessage(WM_EXITSIZEMOVE, w, l); }
LRESULT Window::OnCtlColor(WPARAM w, LPARAM l) { return OnMessage(WmCtlColor, w, l); }
LRESULT Window::OnCtlColorStatic(WPARAM w, LPARAM l) { return OnMessage(WM_CTLCOLORSTATIC, w, l); }
LRESULT Window::OnSetCheck(WPARAM w, LPARAM l) { return OnMessage(BM_SETCHECK, w, l); }

// Shared by OnCommand and OnNotify: a notification from a subclassed control
// goes back to that control; its own wrapper receiving it ends the chain.
static LRESULT Reflect(Window& self, Window* source, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (source == &self)
        return 0;
    if (source && source->subclassed)
        return SendMessageW(source->hwnd, msg, wParam, lParam);
    return self.OnMessage(msg, wParam, lParam);
}

LRESULT Window::OnCommand(WPARAM wParam, LPARAM lParam)
{
    Window* source = lParam ? WrapperOf(reinterpret_cast<HWND>(lParam)) : nullptr;
    return Reflect(*this, source, WM_COMMAND, wParam, lParam);
}

LRESULT Window::OnNotify(WPARAM wParam, LPARAM lParam)
{
    const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
    Window* source = header ? WrapperOf(header->hwndFrom) : nullptr;
    return Reflect(*this, source, WM_NOTIFY, wParam, lParam);
}

bool Window::AttachDlgItem(Window& dialog, int id)
{
    parent = &dialog;
    dialog.children.insert(this);
    hwnd = GetDlgItem(dialog.hwnd, id);
    if (!hwnd)
        return false;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    return true;
}

BOOL Window::Subclass()
{
    if (subclassed)
        return FALSE;
    subclassed = true;
    defaultProc = DefSubclassProc;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    OnSubclass();
    return SetWindowSubclass(hwnd, SubclassProc, SubclassId,
                             reinterpret_cast<DWORD_PTR>(this));
}

void Window::AddLink(Window* target, int type, int value)
{
    if (!subclassed)
        Subclass();
    links.push_back(Link{target, type, value});
    ApplyLink(target, type, value);
}

void Window::ApplyLinks()
{
    // By index and by copy: a link applied here may add links to this source.
    for (size_t i = 0; i < links.size(); ++i) {
        const Link link = links[i];
        ApplyLink(link.target, link.type, link.value);
    }
}

void Window::AddBinding(UINT command, MenuItemRef* item, ToolBar* bar, Window* target, int type)
{
    bindings.emplace(command, CommandBinding{item, bar, target, type});
}

LRESULT Window::Send(UINT msg, WPARAM wParam, LPARAM lParam)
{
    return SendMessageW(hwnd, msg, wParam, lParam);
}

BOOL Window::Show(int command) { return ShowWindow(hwnd, command); }
BOOL Window::Enable(BOOL on)
{
    // Disabling the control that has the keyboard focus leaves the focus
    // nowhere, and keys then reach no control: the dialog hands it on first.
    const HWND focus = GetFocus();
    if (!on && focus && (focus == hwnd || IsChild(hwnd, focus)))
        SendMessageW(GetParent(hwnd), WM_NEXTDLGCTL, 0, FALSE);
    return EnableWindow(hwnd, on);
}
BOOL Window::GetWindowRect(RECT* rect) { return ::GetWindowRect(hwnd, rect); }
BOOL Window::GetClientRect(RECT* rect) { return ::GetClientRect(hwnd, rect); }

BOOL Window::SetWindowPlacement(const WINDOWPLACEMENT* placement)
{
    return ::SetWindowPlacement(hwnd, placement);
}

BOOL Window::GetWindowPlacement(WINDOWPLACEMENT* placement)
{
    return ::GetWindowPlacement(hwnd, placement);
}

void Window::Destroy()
{
    if (hwnd)
        DestroyWindow(hwnd);
    hwnd = nullptr;
}

WString Window::GetText()
{
    const int n = GetWindowTextLengthW(hwnd) + 1;
    WString text(n, 0);
    GetWindowTextW(hwnd, &text[0], n);
    const size_t end = text.find_last_not_of(WCHAR(0));
    text.resize(end == WString::npos ? 0 : end + 1);
    return text;
}

BOOL Window::SetText(const WString& text)
{
    return SetWindowTextW(hwnd, text.c_str());
}

void Window::Detach()
{
    for (Window* child : children)
        child->parent = nullptr;
    children.clear();
    if (parent) {
        parent->children.erase(this);
        parent = nullptr;
    }
}

LRESULT Dispatch(Window* w, HWND, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_CREATE: return w->OnCreate(wParam, lParam);
    case WM_INITDIALOG: return w->OnInitDialog(wParam, lParam);
    case WM_PARENTNOTIFY: return w->OnParentNotify(wParam, lParam);
    case WM_CLOSE: return w->OnClose(wParam, lParam);
    case WM_DESTROY: {
        w->ownsWindow = false;
        const LRESULT r = w->OnDestroy(wParam, lParam);
        w->Detach();
        return r;
    }
    case WM_DROPFILES: return w->OnDropFiles(wParam, lParam);
    case WM_HSCROLL: return w->OnHScroll(wParam, lParam);
    case WM_VSCROLL: return w->OnVScroll(wParam, lParam);
    case WM_SIZE: return w->OnSize(wParam, lParam);
    case WM_MOVING: return w->OnMoving(wParam, lParam);
    case WM_MOVE: return w->OnMove(wParam, lParam);
    case WM_NCACTIVATE: return w->OnNcActivate(wParam, lParam);
    case WM_ACTIVATE: return w->OnActivate(wParam, lParam);
    case WM_WINDOWPOSCHANGING: return w->OnWindowPosChanging(wParam, lParam);
    case WM_WINDOWPOSCHANGED: return w->OnWindowPosChanged(wParam, lParam);
    case WM_TIMER: return w->OnTimer(wParam, lParam);
    case WM_PAINT: return w->OnPaint(wParam, lParam);
    case WM_ERASEBKGND: return w->OnEraseBkgnd(wParam, lParam);
    case WM_USER: return w->OnUser(wParam, lParam);
    case WM_GETDLGCODE: return w->OnGetDlgCode(wParam, lParam);
    case WM_GETMINMAXINFO: return w->OnGetMinMaxInfo(wParam, lParam);
    case WM_NCCALCSIZE: return w->OnNcCalcSize(wParam, lParam);
    case WM_INITMENU: return w->OnInitMenu(wParam, lParam);
    case WM_INITMENUPOPUP: return w->OnInitMenuPopup(wParam, lParam);
    case WM_MENUSELECT: return w->OnMenuSelect(wParam, lParam);
    case WM_CONTEXTMENU: return w->OnContextMenu(wParam, lParam);
    case WM_DRAWITEM: return w->OnDrawItem(wParam, lParam);
    case WM_SETFOCUS: return w->OnSetFocus(wParam, lParam);
    case WM_KILLFOCUS: return w->OnKillFocus(wParam, lParam);
    case WM_MOUSEMOVE: return w->OnMouseMove(wParam, lParam);
    case WM_SETCURSOR: return w->OnSetCursor(wParam, lParam);
    case WM_KEYDOWN: return w->OnKeyDown(wParam, lParam);
    case WM_KEYUP: return w->OnKeyUp(wParam, lParam);
    case WM_SYSKEYDOWN: return w->OnSysKeyDown(wParam, lParam);
    case WM_SYSKEYUP: return w->OnSysKeyUp(wParam, lParam);
    case WM_LBUTTONDOWN: return w->OnLeftButtonDown(wParam, lParam);
    case WM_LBUTTONUP: return w->OnLeftButtonUp(wParam, lParam);
    case WM_LBUTTONDBLCLK: return w->OnLeftButtonDblClk(wParam, lParam);
    case WM_RBUTTONDOWN: return w->OnRightButtonDown(wParam, lParam);
    case WM_RBUTTONUP: return w->OnRightButtonUp(wParam, lParam);
    case WM_RBUTTONDBLCLK: return w->OnRightButtonDblClk(wParam, lParam);
    case WM_NCLBUTTONDOWN: return w->OnNcLeftButtonDown(wParam, lParam);
    case WM_NCLBUTTONUP: return w->OnNcLeftButtonUp(wParam, lParam);
    case WM_NCRBUTTONDOWN: return w->OnNcRightButtonDown(wParam, lParam);
    case WM_NCRBUTTONUP: return w->OnNcRightButtonUp(wParam, lParam);
    case WM_ENTERSIZEMOVE: return w->OnEnterSizeMove(wParam, lParam);
    case WM_EXITSIZEMOVE: return w->OnExitSizeMove(wParam, lParam);
    case WmCtlColor: return w->OnCtlColor(wParam, lParam);
    case WM_CTLCOLORSTATIC: return w->OnCtlColorStatic(wParam, lParam);
    case BM_SETCHECK: return w->OnSetCheck(wParam, lParam);
    case WM_COMMAND:
        RunCommandBindings(*w, wParam, lParam);
        return w->OnCommand(wParam, lParam);
    case WM_NOTIFY: return w->OnNotify(wParam, lParam);
    default: return w->OnMessage(msg, wParam, lParam);
    }
}

// The wrapper that a creating message names: lpCreateParams at WM_NCCREATE
// (inside the MDICREATESTRUCTW for an MDI child), lParam at WM_INITDIALOG.
static Window* WrapperBeingCreated(UINT msg, LPARAM lParam)
{
    if (msg == WM_NCCREATE) {
        const CREATESTRUCTW* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        if (create->dwExStyle & WS_EX_MDICHILD) {
            const MDICREATESTRUCTW* mdi =
                static_cast<const MDICREATESTRUCTW*>(create->lpCreateParams);
            return mdi ? reinterpret_cast<Window*>(mdi->lParam) : nullptr;
        }
        return static_cast<Window*>(create->lpCreateParams);
    }
    if (msg == WM_INITDIALOG)
        return reinterpret_cast<Window*>(lParam);
    return nullptr;
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    // No exception may unwind through user32: a failing handler counts as
    // "not processed" (and fails a creation at WM_NCCREATE).
    try {
        if (Window* w = WrapperOf(hwnd))
            return Dispatch(w, hwnd, msg, wParam, lParam);
        Window* w = WrapperBeingCreated(msg, lParam);
        if (!w)
            return DefWindowProcW(hwnd, msg, wParam, lParam);
        w->hwnd = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(w));
        return Dispatch(w, hwnd, msg, wParam, lParam);
    } catch (...) {
        return 0;
    }
}

LRESULT CALLBACK SubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam,
                              UINT_PTR, DWORD_PTR refData)
{
    try {
        return Dispatch(reinterpret_cast<Window*>(refData), hwnd, msg, wParam, lParam);
    } catch (...) {
        return 0;
    }
}

} // namespace vela
