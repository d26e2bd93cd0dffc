#include "tests/support/gtest.h"

#include <stdexcept>
#include <string>
#include <vector>

#include "tests/support/test_windows.h"
#include "vela/ui/window.h"

using vela::Window;

namespace {

struct Call {
    std::string handler;
    UINT msg;  // for OnMessage only
    WPARAM wParam;
    LPARAM lParam;
    bool operator==(const Call& o) const
    {
        return handler == o.handler && msg == o.msg && wParam == o.wParam && lParam == o.lParam;
    }
};

std::ostream& operator<<(std::ostream& out, const Call& c)
{
    return out << c.handler << "(" << std::hex << c.msg << ", " << c.wParam << ", " << c.lParam
               << ")";
}

// Records every handler it reaches and then runs the default, so that one
// dispatch shows both the handler and the forwarding default's OnMessage.
class Recorder : public Window {
public:
    std::vector<Call> calls;

    LRESULT Record(const char* handler, UINT msg, WPARAM w, LPARAM l)
    {
        calls.push_back(Call{handler, msg, w, l});
        return 0;
    }
    LRESULT OnMessage(UINT msg, WPARAM w, LPARAM l) override
    {
        Record("OnMessage", msg, w, l);
        return hwnd ? Window::OnMessage(msg, w, l) : 0x5A;
    }

// One override per handler; a function cannot declare them.
#define RECORD(Name)                                  \
    LRESULT Name(WPARAM w, LPARAM l) override         \
    {                                                 \
        Record(#Name, 0, w, l);                       \
        return Window::Name(w, l);                    \
    }
    RECORD(OnCreate) RECORD(OnInitDialog) RECORD(OnParentNotify) RECORD(OnClose)
    RECORD(OnDestroy) RECORD(OnDropFiles) RECORD(OnHScroll) RECORD(OnVScroll) RECORD(OnSize)
    RECORD(OnMoving) RECORD(OnMove) RECORD(OnNcActivate) RECORD(OnActivate)
    RECORD(OnWindowPosChanging) RECORD(OnWindowPosChanged) RECORD(OnTimer) RECORD(OnPaint)
    RECORD(OnEraseBkgnd) RECORD(OnUser) RECORD(OnGetDlgCode) RECORD(OnGetMinMaxInfo)
    RECORD(OnNcCalcSize) RECORD(OnInitMenu) RECORD(OnInitMenuPopup) RECORD(OnMenuSelect)
    RECORD(OnContextMenu) RECORD(OnDrawItem) RECORD(OnSetFocus) RECORD(OnKillFocus)
    RECORD(OnMouseMove) RECORD(OnSetCursor) RECORD(OnKeyDown) RECORD(OnKeyUp)
    RECORD(OnSysKeyDown) RECORD(OnSysKeyUp) RECORD(OnLeftButtonDown) RECORD(OnLeftButtonUp)
    RECORD(OnLeftButtonDblClk) RECORD(OnRightButtonDown) RECORD(OnRightButtonUp)
    RECORD(OnRightButtonDblClk) RECORD(OnNcLeftButtonDown) RECORD(OnNcLeftButtonUp)
    RECORD(OnNcRightButtonDown) RECORD(OnNcRightButtonUp) RECORD(OnEnterSizeMove)
    RECORD(OnExitSizeMove) RECORD(OnCtlColor) RECORD(OnCtlColorStatic) RECORD(OnSetCheck)
    RECORD(OnCommand) RECORD(OnNotify)
#undef RECORD
};

struct Row {
    UINT msg;
    const char* handler;  // null: only OnMessage
};

const Row dispatchTable[] = {
    {WM_CREATE, "OnCreate"}, {WM_INITDIALOG, "OnInitDialog"}, {WM_PARENTNOTIFY, "OnParentNotify"},
    {WM_CLOSE, "OnClose"}, {WM_DESTROY, "OnDestroy"}, {WM_DROPFILES, "OnDropFiles"},
    {WM_HSCROLL, "OnHScroll"}, {WM_VSCROLL, "OnVScroll"}, {WM_SIZE, "OnSize"},
    {WM_MOVING, "OnMoving"}, {WM_MOVE, "OnMove"}, {WM_NCACTIVATE, "OnNcActivate"},
    {WM_ACTIVATE, "OnActivate"}, {WM_WINDOWPOSCHANGING, "OnWindowPosChanging"},
    {WM_WINDOWPOSCHANGED, "OnWindowPosChanged"}, {WM_TIMER, "OnTimer"}, {WM_PAINT, "OnPaint"},
    {WM_ERASEBKGND, "OnEraseBkgnd"}, {WM_USER, "OnUser"}, {WM_GETDLGCODE, "OnGetDlgCode"},
    {WM_GETMINMAXINFO, "OnGetMinMaxInfo"}, {WM_NCCALCSIZE, "OnNcCalcSize"},
    {WM_INITMENU, "OnInitMenu"}, {WM_INITMENUPOPUP, "OnInitMenuPopup"},
    {WM_MENUSELECT, "OnMenuSelect"}, {WM_CONTEXTMENU, "OnContextMenu"}, {WM_DRAWITEM, "OnDrawItem"},
    {WM_SETFOCUS, "OnSetFocus"}, {WM_KILLFOCUS, "OnKillFocus"}, {WM_MOUSEMOVE, "OnMouseMove"},
    {WM_SETCURSOR, "OnSetCursor"}, {WM_KEYDOWN, "OnKeyDown"}, {WM_KEYUP, "OnKeyUp"},
    {WM_SYSKEYDOWN, "OnSysKeyDown"}, {WM_SYSKEYUP, "OnSysKeyUp"},
    {WM_LBUTTONDOWN, "OnLeftButtonDown"}, {WM_LBUTTONUP, "OnLeftButtonUp"},
    {WM_LBUTTONDBLCLK, "OnLeftButtonDblClk"}, {WM_RBUTTONDOWN, "OnRightButtonDown"},
    {WM_RBUTTONUP, "OnRightButtonUp"}, {WM_RBUTTONDBLCLK, "OnRightButtonDblClk"},
    {WM_NCLBUTTONDOWN, "OnNcLeftButtonDown"}, {WM_NCLBUTTONUP, "OnNcLeftButtonUp"},
    {WM_NCRBUTTONDOWN, "OnNcRightButtonDown"}, {WM_NCRBUTTONUP, "OnNcRightButtonUp"},
    {WM_ENTERSIZEMOVE, "OnEnterSizeMove"}, {WM_EXITSIZEMOVE, "OnExitSizeMove"},
    {0x0019, "OnCtlColor"}, {WM_CTLCOLORSTATIC, "OnCtlColorStatic"}, {BM_SETCHECK, "OnSetCheck"},
    // Unmapped messages go straight to OnMessage.
    {WM_USER + 1, nullptr}, {WM_NCCREATE, nullptr}, {WM_NCDESTROY, nullptr}, {WM_CHAR, nullptr},
    {WM_CTLCOLOREDIT, nullptr}, {WM_CTLCOLORBTN, nullptr},
};

TEST(WindowDispatch, EveryMessageReachesItsHandlerThenOnMessage)
{
    for (const Row& row : dispatchTable) {
        Recorder w;
        const WPARAM wp = 0x1000 + row.msg;
        const LPARAM lp = 0x2000 + row.msg;
        const LRESULT r = vela::Dispatch(&w, nullptr, row.msg, wp, lp);
        std::vector<Call> expected;
        if (row.handler)
            expected.push_back(Call{row.handler, 0, wp, lp});
        expected.push_back(Call{"OnMessage", row.msg, wp, lp});
        EXPECT_EQ(w.calls, expected) << "message 0x" << std::hex << row.msg;
        EXPECT_EQ(r, 0x5A) << "message 0x" << std::hex << row.msg;
    }
}

// Menus and accelerators send lParam 0: no control to reflect to.
TEST(WindowDispatch, CommandAndNotifyWithoutSourceEndInOnMessage)
{
    Recorder w;
    vela::Dispatch(&w, nullptr, WM_COMMAND, 7, 0);
    vela::Dispatch(&w, nullptr, WM_NOTIFY, 8, 0);
    const std::vector<Call> expected = {
        {"OnCommand", 0, 7, 0}, {"OnMessage", WM_COMMAND, 7, 0},
        {"OnNotify", 0, 8, 0}, {"OnMessage", WM_NOTIFY, 8, 0},
    };
    EXPECT_EQ(w.calls, expected);
}

TEST(WindowDispatch, DestroyClearsOwnershipAndDetaches)
{
    Recorder parent, child;
    child.parent = &parent;
    parent.children.insert(&child);
    vela::Dispatch(&child, nullptr, WM_DESTROY, 0, 0);
    EXPECT_FALSE(child.ownsWindow);
    EXPECT_EQ(child.parent, nullptr);
    EXPECT_TRUE(parent.children.empty());
    child.Detach();  // twice is harmless
    EXPECT_TRUE(parent.ownsWindow);
}

TEST(WindowDispatch, NcCreateAttachesAWrappedWindow)
{
    Recorder w;
    HWND hwnd = CreateWrappedWindow(w);
    ASSERT_NE(hwnd, nullptr);
    EXPECT_EQ(w.hwnd, hwnd);
    EXPECT_EQ(vela::WrapperOf(hwnd), &w);
    ASSERT_GE(w.calls.size(), 2u);
    EXPECT_EQ(w.calls[0].handler, "OnMessage");
    EXPECT_EQ(w.calls[0].msg, UINT(WM_NCCREATE));
    bool created = false;
    for (const Call& c : w.calls)
        created = created || c.handler == "OnCreate";
    EXPECT_TRUE(created);

    w.calls.clear();
    EXPECT_EQ(SendMessageW(hwnd, WM_USER, 3, 4), 0);
    EXPECT_EQ(w.calls[0], (Call{"OnUser", 0, 3, 4}));
}

TEST(WindowDispatch, WindowWithoutWrapperGetsDefaultProcessing)
{
    // Created without a creation parameter: nothing to attach.
    Recorder registersTheClass;
    ASSERT_NE(CreateWrappedWindow(registersTheClass), nullptr);
    HWND bare = CreateWindowExW(0, TEXT("VelaTestWindow"), TEXT("bare"), WS_OVERLAPPED, 0, 0,
                                10, 10, nullptr, nullptr, vela::ModuleInstance, nullptr);
    ASSERT_NE(bare, nullptr);
    EXPECT_EQ(vela::WrapperOf(bare), nullptr);
    SetWindowTextW(bare, TEXT("abc"));
    EXPECT_EQ(GetWindowTextLengthW(bare), 3);
    DestroyWindow(bare);
}

TEST(WindowDispatch, GetTextOfEmptyAndFilledWindow)
{
    Recorder w;
    ASSERT_NE(CreateWrappedWindow(w), nullptr);
    w.SetText(TEXT(""));
    EXPECT_EQ(w.GetText(), WString());
    w.SetText(TEXT("日本語 text"));
    EXPECT_EQ(w.GetText(), WString(TEXT("日本語 text")));
}

class Thrower : public Window {
public:
    LRESULT OnUser(WPARAM, LPARAM) override { throw std::runtime_error("handler failed"); }
};

TEST(WindowDispatch, ExceptionsStopAtTheWindowProcedure)
{
    Thrower w;
    ASSERT_NE(CreateWrappedWindow(w), nullptr);
    EXPECT_EQ(SendMessageW(w.hwnd, WM_USER, 0, 0), 0);
    EXPECT_TRUE(IsWindow(w.hwnd));
}

} // namespace
