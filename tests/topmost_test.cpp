#include "tests/support/gtest.h"

#include "tests/res/controls_ids.h"
#include "vela/ui/check_box.h"
#include "vela/ui/dialog.h"
#include "vela/ui/tool_tip.h"

#include <commctrl.h>

namespace {

bool Topmost(HWND hwnd)
{
    return (GetWindowLongW(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

// A visible dialog with its tooltip and a check box linked to its top-most
// state, as the program's main dialog has them.
class TopmostTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dialog.Create(IDD_CONTROLS_TEST));
        dialog.SetToolTip(TEXT("tip"));
        ASSERT_TRUE(dialog.toolTip);
        tip = dialog.toolTip->hwnd;
        dialog.Show(SW_SHOW);
        check = vela::CheckBox::FromDlgItem(dialog, IDC_CT_CHECK);
        ASSERT_TRUE(check);
    }

    // The tooltip keeps its owner through every change.
    void ExpectTipOwned()
    {
        EXPECT_EQ(GetWindow(tip, GW_OWNER), dialog.hwnd);
        EXPECT_EQ(reinterpret_cast<HWND>(GetWindowLongPtrW(tip, GWLP_HWNDPARENT)), dialog.hwnd);
    }

    vela::Dialog dialog;
    boost::shared_ptr<vela::CheckBox> check;
    HWND tip = nullptr;
};

TEST_F(TopmostTest, ClicksRaiseAndLowerAVisibleDialogThatOwnsItsTooltip)
{
    ASSERT_TRUE(IsWindowVisible(dialog.hwnd));
    check->AddLink(&dialog, vela::LinkTopmost, BST_CHECKED);
    EXPECT_FALSE(Topmost(dialog.hwnd));
    ExpectTipOwned();
    for (int round = 0; round < 2; ++round) {
        check->Send(BM_CLICK, 0, 0);
        EXPECT_TRUE(Topmost(dialog.hwnd)) << "round " << round << ", style " << std::hex
                                          << GetWindowLongW(dialog.hwnd, GWL_EXSTYLE);
        ExpectTipOwned();
        check->Send(BM_CLICK, 0, 0);
        EXPECT_FALSE(Topmost(dialog.hwnd)) << "round " << round;
        ExpectTipOwned();
    }
}

TEST_F(TopmostTest, OtherWindowsKeepTheirOwner)
{
    // A top-most popup of another owner is not this dialog's to release.
    vela::Dialog other;
    ASSERT_TRUE(other.Create(IDD_CONTROLS_TEST));
    other.SetToolTip(TEXT("other"));
    ASSERT_TRUE(other.toolTip);
    check->AddLink(&dialog, vela::LinkTopmost, BST_CHECKED);
    check->Send(BM_CLICK, 0, 0);
    EXPECT_EQ(GetWindow(other.toolTip->hwnd, GW_OWNER), other.hwnd);
    EXPECT_FALSE(Topmost(other.hwnd));
}

} // namespace
