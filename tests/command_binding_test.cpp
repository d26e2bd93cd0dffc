#include "tests/support/gtest.h"

#include "tests/support/test_windows.h"
#include "vela/ui/bars.h"

#include <commctrl.h>

using vela::Window;

namespace {

const UINT Command = 100;
const UINT BandCommand = 101;

// Counts the relayouts that LinkShow and LinkHide ask of the parent.
class Frame : public Window {
public:
    int sizes = 0;
    LRESULT OnSize(WPARAM w, LPARAM l) override
    {
        ++sizes;
        return Window::OnSize(w, l);
    }
};

// A window with a menu of two checkable items and a tool bar with a check
// button for the first; the targets are plain child windows.
class CommandBindingTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(CreateWrappedWindow(frame), nullptr);
        menu.handle = CreateMenu();
        AppendMenuW(menu.handle, MF_STRING, Command, TEXT("Item"));
        AppendMenuW(menu.handle, MF_STRING, BandCommand, TEXT("Band"));
        SetMenu(frame.hwnd, menu.handle);
        ASSERT_TRUE(bar.Create(frame, 50));
        ASSERT_TRUE(bar.AddCheckButton(Command));
        MakeChild(first, frame, 60);
        MakeChild(second, frame, 61);
    }

    static void MakeChild(Window& child, Window& parent, int id)
    {
        CreateWindowExW(0, TEXT("STATIC"), TEXT(""), WS_CHILD | WS_VISIBLE, 0, 0, 20, 20,
                        parent.hwnd, reinterpret_cast<HMENU>(INT_PTR(id)), nullptr, nullptr);
        ASSERT_TRUE(child.AttachDlgItem(parent, id));
    }

    // The window's own flag: the frame itself is never shown.
    static bool Shown(Window& w) { return (GetWindowLongW(w.hwnd, GWL_STYLE) & WS_VISIBLE) != 0; }

    bool ButtonChecked() { return bar.Send(TB_ISBUTTONCHECKED, Command, 0) != 0; }

    Frame frame;
    vela::Menu menu = {};
    vela::MenuItemRef item{&menu, 0};
    vela::ToolBar bar;
    Window first, second;
};

TEST_F(CommandBindingTest, TwoBindingsToggleOnceAndSetOppositeStates)
{
    frame.AddBinding(Command, &item, &bar, &first, vela::LinkEnable);
    frame.AddBinding(Command, &item, &bar, &second, vela::LinkDisable);
    for (bool checked : {true, false, true}) {
        frame.Send(WM_COMMAND, Command, 0);
        EXPECT_EQ(item.IsChecked(), checked);
        EXPECT_EQ(ButtonChecked(), checked);
        EXPECT_EQ(IsWindowEnabled(first.hwnd) != 0, checked);
        EXPECT_EQ(IsWindowEnabled(second.hwnd) != 0, !checked);
    }
}

TEST_F(CommandBindingTest, CommandFromAControlLeavesTheButtonAlone)
{
    frame.AddBinding(Command, &item, &bar, &first, vela::LinkEnable);
    frame.Send(WM_COMMAND, Command, LPARAM(bar.hwnd));
    EXPECT_TRUE(item.IsChecked());
    EXPECT_FALSE(ButtonChecked());
    EXPECT_TRUE(IsWindowEnabled(first.hwnd));
}

TEST_F(CommandBindingTest, ShowAndHideRelayoutTheParent)
{
    frame.AddBinding(Command, &item, nullptr, &first, vela::LinkShow);
    frame.AddBinding(Command, &item, nullptr, &second, vela::LinkHide);
    frame.sizes = 0;
    frame.Send(WM_COMMAND, Command, 0);
    EXPECT_TRUE(Shown(first));
    EXPECT_FALSE(Shown(second));
    frame.Send(WM_COMMAND, Command, 0);
    EXPECT_FALSE(Shown(first));
    EXPECT_TRUE(Shown(second));
    EXPECT_EQ(frame.sizes, 4);
}

TEST_F(CommandBindingTest, UnboundCommandsAndUnknownButtonsChangeNothing)
{
    frame.AddBinding(Command, &item, &bar, &first, vela::LinkEnable);
    frame.Send(WM_COMMAND, Command + 5, 0);
    EXPECT_FALSE(item.IsChecked());
    EXPECT_EQ(bar.FindButton(Command + 5), nullptr);
    ASSERT_NE(bar.FindButton(Command), nullptr);
    EXPECT_EQ(bar.FindButton(Command)->id, int(Command));
}

bool BandHidden(vela::ReberControl& rebar, int index)
{
    REBARBANDINFOW info = {};
    info.cbSize = REBARBANDINFOW_V6_SIZE;
    info.fMask = RBBIM_STYLE;
    rebar.Send(RB_GETBANDINFOW, index, reinterpret_cast<LPARAM>(&info));
    return (info.fStyle & RBBS_HIDDEN) != 0;
}

TEST_F(CommandBindingTest, BandFollowsTheItem)
{
    vela::ReberControl rebar;
    ASSERT_TRUE(rebar.Create(frame, 70));
    Window other, banded;
    MakeChild(other, rebar, 71);
    MakeChild(banded, rebar, 72);
    ASSERT_TRUE(rebar.AddBand(other));
    ASSERT_TRUE(rebar.AddBand(banded));
    ASSERT_EQ(rebar.FindBand(banded), rebar.items[1].get());
    EXPECT_EQ(rebar.FindBand(first), nullptr);

    vela::MenuItemRef bandItem{&menu, 1};
    frame.AddBinding(BandCommand, &bandItem, nullptr, &banded, vela::LinkBand);
    // A target outside any rebar is left alone.
    frame.AddBinding(BandCommand, &bandItem, nullptr, &first, vela::LinkBand);
    frame.Send(WM_COMMAND, BandCommand, 0);
    EXPECT_FALSE(BandHidden(rebar, 1));
    frame.Send(WM_COMMAND, BandCommand, 0);
    EXPECT_TRUE(BandHidden(rebar, 1));
    EXPECT_FALSE(BandHidden(rebar, 0));
    frame.Send(WM_COMMAND, BandCommand, 0);
    EXPECT_FALSE(BandHidden(rebar, 1));
}

} // namespace
