#include "tests/support/gtest.h"

#include "tests/res/framework_ids.h"
#include "vela/ui/bring_to_front.h"
#include "vela/ui/check_box.h"
#include "vela/ui/edit_box.h"

namespace {

// Opens as the main dialog does: while it is hidden, the top-most link and a
// loaded option apply, and the option disables the first control.
class OpeningDialog : public vela::Dialog {
public:
    LRESULT OnInitDialog(WPARAM, LPARAM) override
    {
        edit = vela::EditBox::FromDlgItem(*this, IDC_TEST_EDIT);
        check = vela::CheckBox::FromDlgItem(*this, IDC_TEST_CHECK);
        check->AddLink(this, vela::LinkTopmost, BST_CHECKED);
        check->AddLink(edit, vela::LinkDisable, BST_CHECKED);
        check->Send(BM_SETCHECK, BST_CHECKED, 0);
        Show(SW_SHOW);
        return 0;
    }
    boost::shared_ptr<vela::EditBox> edit;
    boost::shared_ptr<vela::CheckBox> check;
};

TEST(Foreground, OpenedDialogIsActiveWithAControlFocusedForItsKeys)
{
    OpeningDialog dialog;
    ASSERT_TRUE(dialog.Create(IDD_FRAMEWORK_TEST));
    EXPECT_EQ(GetActiveWindow(), dialog.hwnd);
    EXPECT_TRUE(IsChild(dialog.hwnd, GetFocus())) << GetFocus();
}

TEST(Foreground, BringToFrontRestoresAndActivatesWithTheFocusItHad)
{
    OpeningDialog dialog, other;
    ASSERT_TRUE(dialog.Create(IDD_FRAMEWORK_TEST) && other.Create(IDD_FRAMEWORK_TEST));
    const HWND button = GetDlgItem(dialog.hwnd, IDC_TEST_BUTTON);
    SetFocus(button);
    ShowWindow(dialog.hwnd, SW_MINIMIZE);
    SetForegroundWindow(other.hwnd);
    vela::BringToFront(dialog.hwnd);
    EXPECT_TRUE(IsWindowVisible(dialog.hwnd) && !IsIconic(dialog.hwnd));
    EXPECT_EQ(GetForegroundWindow(), dialog.hwnd);
    EXPECT_EQ(GetFocus(), button);
}

} // namespace
