#include "tests/support/gtest.h"

#include <memory>
#include <new>
#include <vector>

#include "tests/res/framework_ids.h"
#include "tests/support/test_windows.h"
#include "vela/ui/dialog.h"

using vela::Dialog;
using vela::Window;

namespace {

// Counts what reaches a dialog; `log` outlives the dialog so that the test
// can see what ran during its destruction.
struct DialogLog {
    int destroys = 0;
    std::vector<WPARAM> commandsSeen;  // by OnCommand
    std::vector<WPARAM> commandsLeft;  // WM_COMMAND reaching OnMessage
};

class TestDialog : public Dialog {
public:
    explicit TestDialog(DialogLog& sink) : log(sink) {}
    LRESULT OnCommand(WPARAM w, LPARAM l) override
    {
        log.commandsSeen.push_back(w);
        return Dialog::OnCommand(w, l);
    }
    LRESULT OnDestroy(WPARAM w, LPARAM l) override
    {
        ++log.destroys;
        return Dialog::OnDestroy(w, l);
    }
    LRESULT OnMessage(UINT msg, WPARAM w, LPARAM l) override
    {
        if (msg == WM_COMMAND)
            log.commandsLeft.push_back(w);
        return Dialog::OnMessage(msg, w, l);
    }
    DialogLog& log;
};

// A control wrapper that counts the commands it hears.
class TestControl : public Window {
public:
    std::vector<WPARAM> commands;
    LRESULT OnCommand(WPARAM w, LPARAM l) override
    {
        commands.push_back(w);
        return Window::OnCommand(w, l);
    }
};

// Enables its target when the link's value is nonzero: the last link on a
// target decides.
class EnablingSource : public Window {
public:
    void ApplyLink(Window* target, int type, int value) override
    {
        if (type == vela::LinkEnable)
            target->Enable(value != 0);
    }
};

class DialogTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dialog.Create(IDD_FRAMEWORK_TEST)); }
    DialogLog log;
    TestDialog dialog{log};
};

TEST_F(DialogTest, CreateAttachesBeforeReturning)
{
    EXPECT_NE(dialog.hwnd, nullptr);
    EXPECT_EQ(vela::WrapperOf(dialog.hwnd), &dialog);
    EXPECT_NE(GetDlgItem(dialog.hwnd, IDC_TEST_EDIT), nullptr);
    EXPECT_EQ(vela::DialogRegistry().count(&dialog), 1u);
}

TEST(Dialog, MissingTemplateFailsAndStaysRegistered)
{
    DialogLog log;
    {
        TestDialog dialog(log);
        EXPECT_FALSE(dialog.Create(199));
        EXPECT_EQ(dialog.hwnd, nullptr);
        EXPECT_EQ(vela::DialogRegistry().count(&dialog), 1u);
        MSG msg = {nullptr, WM_KEYDOWN, VK_TAB, 0, 0, {}};
        EXPECT_FALSE(vela::IsDialogMessageAny(&msg));
    }
    EXPECT_EQ(log.destroys, 0);
}

TEST_F(DialogTest, SubclassedEditNotificationIsReflectedOnceAndStops)
{
    TestControl edit;
    ASSERT_TRUE(edit.AttachDlgItem(dialog, IDC_TEST_EDIT));
    EXPECT_TRUE(edit.Subclass());
    EXPECT_FALSE(edit.Subclass());
    EXPECT_TRUE(edit.SetText(TEXT("x")));  // the edit sends EN_UPDATE and EN_CHANGE

    const std::vector<WPARAM> expected = {MAKEWPARAM(IDC_TEST_EDIT, EN_UPDATE),
                                          MAKEWPARAM(IDC_TEST_EDIT, EN_CHANGE)};
    EXPECT_EQ(log.commandsSeen, expected);
    EXPECT_EQ(edit.commands, expected);
    EXPECT_TRUE(log.commandsLeft.empty());
}

class ThrowingControl : public Window {
public:
    LRESULT OnCommand(WPARAM, LPARAM) override { throw std::bad_alloc(); }
};

TEST_F(DialogTest, ExceptionsStopAtTheSubclassProcedure)
{
    ThrowingControl edit;
    ASSERT_TRUE(edit.AttachDlgItem(dialog, IDC_TEST_EDIT));
    edit.Subclass();
    EXPECT_TRUE(edit.SetText(TEXT("x")));
    EXPECT_EQ(edit.GetText(), WString(TEXT("x")));
}

// A command from an unsubclassed button or a menu is not reflected and ends
// in OnMessage with zero.
TEST_F(DialogTest, UnreflectedCommandsEndInOnMessageWithZero)
{
    TestControl button;
    ASSERT_TRUE(button.AttachDlgItem(dialog, IDC_TEST_BUTTON));
    const WPARAM clicked = MAKEWPARAM(IDC_TEST_BUTTON, BN_CLICKED);
    EXPECT_EQ(dialog.Send(WM_COMMAND, clicked, LPARAM(button.hwnd)), 0);
    EXPECT_EQ(dialog.Send(WM_COMMAND, 4242, 0), 0);
    EXPECT_TRUE(button.commands.empty());
    EXPECT_EQ(log.commandsLeft, (std::vector<WPARAM>{clicked, 4242}));
}

TEST_F(DialogTest, AttachMissingItemFailsButRegisters)
{
    Window item;
    EXPECT_FALSE(item.AttachDlgItem(dialog, 999));
    EXPECT_EQ(item.parent, &dialog);
    EXPECT_EQ(dialog.children.count(&item), 1u);
}

TEST_F(DialogTest, LaterLinkOnOneTargetDecides)
{
    struct Case {
        int first, second;
        bool enabled;
    };
    for (const Case& c : {Case{1, 0, false}, Case{0, 1, true}}) {
        EnablingSource source;
        Window target;
        ASSERT_TRUE(source.AttachDlgItem(dialog, IDC_TEST_CHECK));
        ASSERT_TRUE(target.AttachDlgItem(dialog, IDC_TEST_TARGET));
        source.AddLink(&target, vela::LinkEnable, c.first);
        source.AddLink(&target, vela::LinkEnable, c.second);
        EXPECT_TRUE(source.subclassed);
        EXPECT_EQ(IsWindowEnabled(target.hwnd) != 0, c.enabled);
        EnableWindow(target.hwnd, !c.enabled);
        source.ApplyLinks();
        EXPECT_EQ(IsWindowEnabled(target.hwnd) != 0, c.enabled);
        // Keep the items: the dialog is reused by the next case.
        source.ownsWindow = target.ownsWindow = false;
    }
}

TEST_F(DialogTest, DestroyedWindowDetachesItsWrappers)
{
    auto edit = std::make_unique<TestControl>();
    ASSERT_TRUE(edit->AttachDlgItem(dialog, IDC_TEST_EDIT));
    edit->Subclass();
    HWND stale = dialog.hwnd;
    dialog.Destroy();
    EXPECT_EQ(dialog.hwnd, nullptr);
    EXPECT_FALSE(IsWindow(stale));
    EXPECT_EQ(log.destroys, 1);
    EXPECT_EQ(edit->parent, nullptr);
    EXPECT_TRUE(dialog.children.empty());
    EXPECT_FALSE(edit->ownsWindow);
    EXPECT_FALSE(dialog.ownsWindow);

    // Were the old handle ever reused, the wrapper must not destroy the new
    // window: pretend it was, and release the wrapper.
    Window other;
    HWND live = CreateWrappedWindow(other);
    edit->hwnd = live;
    edit.reset();
    EXPECT_TRUE(IsWindow(live));
}

TEST(Dialog, WrapperDestroyedFirstDestroysWindowWithoutDerivedHandlers)
{
    DialogLog log;
    auto dialog = std::make_unique<TestDialog>(log);
    ASSERT_TRUE(dialog->Create(IDD_FRAMEWORK_TEST));
    HWND hwnd = dialog->hwnd;
    TestControl edit;
    ASSERT_TRUE(edit.AttachDlgItem(*dialog, IDC_TEST_EDIT));
    edit.Subclass();
    dialog.reset();
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(log.destroys, 0);
    EXPECT_EQ(edit.parent, nullptr);  // the edit heard its own WM_DESTROY
    EXPECT_FALSE(edit.ownsWindow);
}

TEST(Dialog, ControlWrapperReleasedFirstDestroysItsControl)
{
    DialogLog log;
    TestDialog dialog(log);
    ASSERT_TRUE(dialog.Create(IDD_FRAMEWORK_TEST));
    HWND item;
    {
        TestControl edit;
        ASSERT_TRUE(edit.AttachDlgItem(dialog, IDC_TEST_EDIT));
        edit.Subclass();
        item = edit.hwnd;
    }
    EXPECT_FALSE(IsWindow(item));
    EXPECT_TRUE(dialog.children.empty());
    EXPECT_TRUE(IsWindow(dialog.hwnd));
}

TEST_F(DialogTest, KeyboardInterfaceKeysAreConsumed)
{
    HWND edit = GetDlgItem(dialog.hwnd, IDC_TEST_EDIT);
    for (WPARAM key : {VK_TAB, VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN, VK_RETURN, VK_ESCAPE}) {
        MSG msg = {edit, WM_KEYDOWN, key, 1, 0, {}};
        EXPECT_TRUE(vela::IsDialogMessageAny(&msg)) << "key " << key;
    }
    EXPECT_TRUE(IsWindow(dialog.hwnd));  // Escape in a modeless dialog only sends IDCANCEL

    Window plain;
    ASSERT_NE(CreateWrappedWindow(plain), nullptr);
    MSG other = {plain.hwnd, WM_KEYDOWN, VK_TAB, 1, 0, {}};
    EXPECT_FALSE(vela::IsDialogMessageAny(&other));
}

// Posts WM_QUIT when destroyed, as the program's main dialog does.
class QuittingDialog : public Dialog {
public:
    LRESULT OnDestroy(WPARAM, LPARAM) override
    {
        PostQuitMessage(0);
        return 0;
    }
};

// Records posted WM_USER messages; the second destroys the dialog.
class Listener : public Window {
public:
    QuittingDialog* dialog = nullptr;
    std::vector<WPARAM> seen;
    LRESULT OnUser(WPARAM w, LPARAM) override
    {
        seen.push_back(w);
        if (w == 2)
            dialog->Destroy();
        return 0;
    }
};

TEST(MessageLoop, QuitDuringDestructionEndsAfterQueuedMessages)
{
    QuittingDialog dialog;
    ASSERT_TRUE(dialog.Create(IDD_FRAMEWORK_TEST));
    Listener listener;
    listener.dialog = &dialog;
    ASSERT_NE(CreateWrappedWindow(listener), nullptr);
    for (WPARAM i = 1; i <= 3; ++i)
        PostMessageW(listener.hwnd, WM_USER, i, 0);
    vela::RunMessageLoop();
    EXPECT_EQ(listener.seen, (std::vector<WPARAM>{1, 2, 3}));
    EXPECT_EQ(dialog.hwnd, nullptr);
}

} // namespace
