#include "tests/support/gtest.h"

#include "tests/res/framework_ids.h"
#include "vela/ui/bring_to_front.h"
#include "vela/ui/check_box.h"
#include "vela/ui/edit_box.h"

namespace {

// Opens as the main dialog does: the top-most link and the loaded options
// apply while it is hidden, and one of them disables its first control.
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
    LRESULT OnCommand(WPARAM w, LPARAM l) override
    {
        cancels += LOWORD(w) == IDCANCEL;
        return Dialog::OnCommand(w, l);
    }
    int cancels = 0;
    boost::shared_ptr<vela::EditBox> edit;
    boost::shared_ptr<vela::CheckBox> check;
};

TEST(Foreground, OpenedDialogHasTheKeyboardAndEscapeReachesIt)
{
    OpeningDialog dialog;
    ASSERT_TRUE(dialog.Create(IDD_FRAMEWORK_TEST));
    const HWND focus = GetFocus();
    EXPECT_EQ(GetActiveWindow(), dialog.hwnd);
    EXPECT_TRUE(IsChild(dialog.hwnd, focus) && IsWindowEnabled(focus)) << focus;
    MSG escape = {focus, WM_KEYDOWN, VK_ESCAPE, 0};
    vela::IsDialogMessageAny(&escape);
    EXPECT_EQ(dialog.cancels, 1);
}

// Another window in front, the dialog minimised: it comes back in front with
// the control it had focused.
TEST(Foreground, BringToFrontRestoresAndActivatesWithItsFocus)
{
    OpeningDialog dialog, other;
    ASSERT_TRUE(dialog.Create(IDD_FRAMEWORK_TEST) && other.Create(IDD_FRAMEWORK_TEST));
    const HWND focus = GetDlgItem(dialog.hwnd, IDC_TEST_BUTTON);
    SetFocus(focus);
    ShowWindow(dialog.hwnd, SW_MINIMIZE);
    SetForegroundWindow(other.hwnd);
    vela::BringToFront(dialog.hwnd);
    EXPECT_FALSE(IsIconic(dialog.hwnd));
    EXPECT_TRUE(IsWindowVisible(dialog.hwnd));
    EXPECT_EQ(GetForegroundWindow(), dialog.hwnd);
    EXPECT_EQ(GetFocus(), focus);
}

} // namespace
