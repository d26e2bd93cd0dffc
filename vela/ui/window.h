#pragma once
// Window: one object bound to one window handle, whose messages arrive as
// virtual operations. Messages come through WindowProc (own windows and
// dialogs) or SubclassProc (controls after Subclass); both end in Dispatch.
//
// Invariant: the GWLP_USERDATA word of every window this program owns is 0 or
// the pointer to its wrapper. WindowProc and the reflection in OnCommand and
// OnNotify rely on it.
#include "vela/text.h"
#include "vela/ui/command_binding.h"
#include "vela/ui/link.h"
#include "vela/ui/module.h"
#include "vela/ui/pool.h"

#include <windows.h>
#include <shellapi.h>

#include <boost/noncopyable.hpp>
#include <boost/shared_ptr.hpp>

namespace vela {

class ToolTip;

using DefaultProc = LRESULT(CALLBACK*)(HWND, UINT, WPARAM, LPARAM);

class Window : private boost::noncopyable {
public:
    Window();
    // Stops listening, destroys the window if it is still ours, detaches.
    virtual ~Window();

    // Gives a link type its meaning for this source; Window gives none.
    virtual void ApplyLink(Window* target, int type, int value);
    // Called by Subclass once the wrapper starts receiving messages.
    virtual void OnSubclass();
    // Catch-all. Window: the default processing (DefWindowProcW or
    // DefSubclassProc). Dialog: 0, which leaves the message to the dialog
    // manager.
    virtual LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam);

    // Every handler below takes the message's (wParam, lParam) and by default
    // forwards to OnMessage with its own message number. Its result is the
    // window procedure's; in a dialog, nonzero means "processed" (for
    // OnInitDialog: the system sets the initial focus).

    // Creation and teardown: WM_CREATE (-1 fails the creation),
    // WM_INITDIALOG, WM_PARENTNOTIFY, WM_CLOSE, WM_DESTROY, WM_DROPFILES
    // (0 when handled).
    virtual LRESULT OnCreate(WPARAM wParam, LPARAM lParam);
    virtual LRESULT OnInitDialog(WPARAM wParam, LPARAM lParam);
    virtual LRESULT OnParentNotify(WPARAM wParam, LPARAM lParam);
    virtual LRESULT OnClose(WPARAM wParam, LPARAM lParam);
    virtual LRESULT OnDestroy(WPARAM wParam, LPARAM lParam);
    virtual LRESULT OnDropFiles(WPARAM wParam, LPARAM lParam);
    // Scroll bars: 0 when handled.
    virtual LRESULT OnHScroll(WPARAM wParam, LPARAM lParam);
    virtual LRESULT OnVScroll(WPARAM wParam, LPARAM lParam);
    // Size, position and activation: 0 when handled (WM_MOVING: TRUE;
    // WM_NCACTIVATE: TRUE lets the change happen).
    virtual LRESULT OnSize(WPARAM wParam, LPARAM lParam);
    virtual LRESULT OnMoving(WPARAM wParam, LPARAM lParam);
    virtual LRESULT OnMove(WPARAM wParam, LPARAM lParam);
    virtual LRESULT OnNcActivate(WPARAM wParam, LPARAM lParam);
    virtual LRESULT OnActivate(WPARAM wParam, LPARAM lParam);
    virtual LRESULT OnWindowPosChanging(WPARAM wParam, LPARAM lParam);
    virtual LRESULT OnWindowPosChanged(WPARAM wParam, LPARAM lParam);
    // Timer and painting: 0 when handled (WM_ERASEBKGND: nonzero when erased).
    virtual LRESULT OnTimer(WPARAM wParam, LPARAM lParam);
    virtual LRESULT OnPaint(WPARAM wParam, LPARAM lParam);
    virtual LRESULT OnEraseBkgnd(WPARAM wParam, LPARAM lParam);
    // WM_USER exactly; WM_USER + 1 and above go to OnMessage.
    virtual LRESULT OnUser(WPARAM wParam, LPARAM lParam);
    // Layout queries: WM_GETDLGCODE gives DLGC_* flags, WM_GETMINMAXINFO and
    // WM_NCCALCSIZE 0 when handled.
    virtual LRESULT OnGetDlgCode(WPARAM wParam, LPARAM lParam);
    virtual LRESULT OnGetMinMaxInfo(WPARAM wParam, LPARAM lParam);
    virtual LRESULT OnNcCalcSize(WPARAM wParam, LPARAM lParam);
    // Menus and owner drawing: 0 when handled (WM_DRAWITEM: TRUE).
    virtual LRESULT OnInitMenu(WPARAM wParam, LPARAM lParam);
    virtual LRESULT OnInitMenuPopup(WPARAM wParam, LPARAM lParam);
    virtual LRESULT OnMenuSelect(WPARAM wParam, LPARAM lParam);
    virtual LRESULT OnContextMenu(WPARAM wParam, LPARAM lParam);
    virtual LRESULT OnDrawItem(WPARAM wParam, LPARAM lParam);
    // Focus, mouse and keyboard: 0 when handled (WM_SETCURSOR: TRUE stops
    // further processing).
    virtual LRESULT OnSetFocus(WPARAM wParam, LPARAM lParam);
    virtual LRESULT OnKillFocus(WPARAM wParam, LPARAM lParam);
    virtual LRESULT OnMouseMove(WPARAM wParam, LPARAM lParam);
    virtual LRESULT OnSetCursor(WPARAM wParam, LPARAM lParam);
    virtual LRESULT OnKeyDown(WPARAM wParam, LPARAM lParam);
    virtual LRESULT OnKeyUp(WPARAM wParam, LPARAM lParam);
    virtual LRESULT OnSysKeyDown(WPARAM wParam, LPARAM lParam);
    virtual LRESULT OnSysKeyUp(WPARAM wParam, LPARAM lParam);
    virtual LRESULT OnLeftButtonDown(WPARAM wParam, LPARAM lParam);
    virtual LRESULT OnLeftButtonUp(WPARAM wParam, LPARAM lParam);
    virtual LRESULT OnLeftButtonDblClk(WPARAM wParam, LPARAM lParam);
    virtual LRESULT OnRightButtonDown(WPARAM wParam, LPARAM lParam);
    virtual LRESULT OnRightButtonUp(WPARAM wParam, LPARAM lParam);
    virtual LRESULT OnRightButtonDblClk(WPARAM wParam, LPARAM lParam);
    virtual LRESULT OnNcLeftButtonDown(WPARAM wParam, LPARAM lParam);
    virtual LRESULT OnNcLeftButtonUp(WPARAM wParam, LPARAM lParam);
    virtual LRESULT OnNcRightButtonDown(WPARAM wParam, LPARAM lParam);
    virtual LRESULT OnNcRightButtonUp(WPARAM wParam, LPARAM lParam);
    virtual LRESULT OnEnterSizeMove(WPARAM wParam, LPARAM lParam);
    virtual LRESULT OnExitSizeMove(WPARAM wParam, LPARAM lParam);
    // Colours: a brush handle, or 0 for the default colours.
    virtual LRESULT OnCtlColor(WPARAM wParam, LPARAM lParam);
    virtual LRESULT OnCtlColorStatic(WPARAM wParam, LPARAM lParam);
    // BM_SETCHECK reaching a subclassed button: 0.
    virtual LRESULT OnSetCheck(WPARAM wParam, LPARAM lParam);
    // Notifications: 0 when handled. The defaults reflect a control's
    // notification back to its subclassed wrapper, else forward to OnMessage.
    virtual LRESULT OnCommand(WPARAM wParam, LPARAM lParam);
    virtual LRESULT OnNotify(WPARAM wParam, LPARAM lParam);

    // Makes a message-only window (HWND_MESSAGE: never shown, found by no
    // enumeration, reached only by its handle) bound to this wrapper at
    // WM_NCCREATE. False when it could not be made.
    bool CreateMessageOnly();
    // Binds this wrapper to item id of dialog and registers it as the
    // dialog's child (even when the item is missing). Does not subclass.
    bool AttachDlgItem(Window& dialog, int id);
    // Installs SubclassProc; FALSE when it already ran.
    BOOL Subclass();
    // Appends a link (subclassing first) and applies it at once.
    void AddLink(Window* target, int type, int value);
    template <class T>
    void AddLink(const boost::shared_ptr<T>& target, int type, int value)
    {
        AddLink(static_cast<Window*>(target.get()), type, value);
    }
    // Applies every link in insertion order, so the last one on a target wins.
    void ApplyLinks();
    // Registers a command binding; several may share one command id.
    void AddBinding(UINT command, MenuItemRef* item, ToolBar* bar, Window* target, int type);

    // Joins or leaves the top-most band, also while the window owns a tooltip.
    BOOL SetTopmost(bool on);
    LRESULT Send(UINT msg, WPARAM wParam, LPARAM lParam);
    BOOL Show(int command);
    BOOL Enable(BOOL on);
    BOOL GetWindowRect(RECT* rect);
    BOOL GetClientRect(RECT* rect);
    BOOL SetWindowPlacement(const WINDOWPLACEMENT* placement);
    BOOL GetWindowPlacement(WINDOWPLACEMENT* placement);
    void Destroy();
    WString GetText();
    BOOL SetText(const WString& text);
    // Gives this window a tooltip over its client area; defined with ToolTip.
    void SetToolTip(const WString& text);
    // Opens file with its default action, this window as owner; false on
    // failure. (The Win32 headers rename this to ShellExecuteW throughout.)
    bool ShellExecute(const WString& file, const WString& parameters,
                      const WString& directory, int show);

    // Unlinks this wrapper from its parent and its children, both ways.
    void Detach();

    HWND hwnd;
    Window* parent;                  // not owned
    PoolSet<Window*> children;       // not owned
    boost::shared_ptr<ToolTip> toolTip;
    DefaultProc defaultProc;
    PoolVector<Link> links;
    PoolMultimap<UINT, CommandBinding> bindings;
    bool subclassed;
    bool ownsWindow;
};

// Maps msg to its handler. WM_DESTROY also detaches the wrapper; WM_COMMAND
// runs the command bindings first.
LRESULT Dispatch(Window* w, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// Window procedure and dialog procedure of every wrapper-made window: binds
// the wrapper at WM_NCCREATE (lpCreateParams) or WM_INITDIALOG (lParam).
LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// comctl32 subclass procedure (id 1); refData is the wrapper.
LRESULT CALLBACK SubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam,
                              UINT_PTR id, DWORD_PTR refData);

// The wrapper stored in hwnd's GWLP_USERDATA word, or null.
Window* WrapperOf(HWND hwnd);

} // namespace vela
