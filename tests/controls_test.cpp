#include "tests/support/gtest.h"

#include <vector>

#include "app/paths.h"
#include "tests/res/controls_ids.h"
#include "tests/support/check_value.h"
#include "tests/support/drop_handle.h"
#include "tests/support/temp_dir.h"
#include "vela/ui/button.h"
#include "vela/ui/check_box.h"
#include "vela/ui/edit_box.h"
#include "vela/ui/tool_tip.h"

#include <commctrl.h>

using boost::shared_ptr;
using vela::Archive;
using vela::Bytes;
using vela::CheckBox;
using vela::EditBox;

namespace {

class ControlsTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dialog.Create(IDD_CONTROLS_TEST));
        threeState = CheckBox::FromDlgItem(dialog, IDC_CT_THREE_STATE);
        check = CheckBox::FromDlgItem(dialog, IDC_CT_CHECK);
        edit = EditBox::FromDlgItem(dialog, IDC_CT_EDIT);
        target = vela::Button::FromDlgItem(dialog, IDC_CT_TARGET);
        otherTarget = vela::Button::FromDlgItem(dialog, IDC_CT_OTHER_TARGET);
        ASSERT_TRUE(threeState && check && edit && target && otherTarget);
    }

    static bool Enabled(const shared_ptr<vela::Button>& w) { return IsWindowEnabled(w->hwnd) != 0; }

    // Declared first, released last: the control wrappers go before it.
    vela::Dialog dialog;
    shared_ptr<CheckBox> threeState, check;
    shared_ptr<EditBox> edit;
    shared_ptr<vela::Button> target, otherTarget;  // stand-ins for any window
};

TEST_F(ControlsTest, FactoriesReturnEmptyForMissingItemsAndLeaveNoRegistration)
{
    const size_t before = dialog.children.size();
    EXPECT_FALSE(CheckBox::FromDlgItem(dialog, 399));
    EXPECT_FALSE(EditBox::FromDlgItem(dialog, 399));
    EXPECT_FALSE(vela::Button::FromDlgItem(dialog, 399));
    EXPECT_EQ(dialog.children.size(), before);

    // Only the edit box listens from the start; a check box waits for a link.
    EXPECT_TRUE(edit->subclassed);
    EXPECT_FALSE(check->subclassed);
    EXPECT_EQ(check->hwnd, GetDlgItem(dialog.hwnd, IDC_CT_CHECK));
    EXPECT_EQ(vela::WrapperOf(check->hwnd), check.get());
}

// A link with value 1 compares with the exact BM_GETCHECK state, so the
// indeterminate state counts as "not 1" for both link types.
TEST_F(ControlsTest, CheckLinksFollowEveryState)
{
    threeState->AddLink(target, vela::LinkEnable, 1);
    threeState->AddLink(otherTarget, vela::LinkDisable, 1);
    struct Row {
        WPARAM state;
        bool checked, enableTarget, disableTarget;
    };
    const Row rows[] = {
        {BST_CHECKED, true, true, false},
        {BST_INDETERMINATE, false, false, true},
        {BST_UNCHECKED, false, false, true},
        {BST_CHECKED, true, true, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << "state " << row.state);
        threeState->Send(BM_SETCHECK, row.state, 0);
        EXPECT_EQ(threeState->Send(BM_GETCHECK, 0, 0), LRESULT(row.state));
        EXPECT_EQ(threeState->IsChecked(), row.checked);
        EXPECT_EQ(Enabled(target), row.enableTarget);
        EXPECT_EQ(Enabled(otherTarget), row.disableTarget);
    }
}

TEST_F(ControlsTest, DisableLinkActsAtOnceAndFollowsClicks)
{
    check->Send(BM_SETCHECK, BST_CHECKED, 0);
    ASSERT_TRUE(Enabled(target));
    check->AddLink(target, vela::LinkDisable, 1);
    EXPECT_FALSE(Enabled(target));

    check->Send(BM_CLICK, 0, 0);
    EXPECT_FALSE(check->IsChecked());
    EXPECT_TRUE(Enabled(target));

    check->Send(BM_CLICK, 0, 0);
    EXPECT_TRUE(check->IsChecked());
    EXPECT_FALSE(Enabled(target));
}

TEST_F(ControlsTest, TopmostLinkRaisesAndLowersTheDialog)
{
    auto topmost = [this] { return (GetWindowLongW(dialog.hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; };
    check->AddLink(&dialog, vela::LinkTopmost, 1);
    EXPECT_FALSE(topmost());
    check->Send(BM_CLICK, 0, 0);
    EXPECT_TRUE(topmost());
    check->Send(BM_CLICK, 0, 0);
    EXPECT_FALSE(topmost());
}

TEST_F(ControlsTest, CheckLoadTakesOnlyWholeKnownStates)
{
    struct Row {
        const char* name;
        bool present;
        Bytes bytes;
        int defaultState;
        LRESULT expected;
    };
    const Row rows[] = {
        {"indeterminate", true, CheckValue(2), BST_UNCHECKED, BST_INDETERMINATE},
        {"checked", true, CheckValue(1), BST_UNCHECKED, BST_CHECKED},
        {"unchecked", true, CheckValue(0), BST_CHECKED, BST_UNCHECKED},
        {"missing", false, Bytes(), BST_CHECKED, BST_CHECKED},
        {"empty", true, Bytes(), BST_INDETERMINATE, BST_INDETERMINATE},
        {"three bytes", true, Bytes{1, 0, 0}, BST_UNCHECKED, BST_UNCHECKED},
        {"five bytes", true, Bytes{1, 0, 0, 0, 0}, BST_UNCHECKED, BST_UNCHECKED},
        {"unknown state", true, CheckValue(7), BST_CHECKED, BST_CHECKED},
        {"negative state", true, CheckValue(-1), BST_UNCHECKED, BST_UNCHECKED},
    };
    // The link shows that Load's BM_SETCHECK went through the box's handler.
    threeState->AddLink(target, vela::LinkEnable, BST_INDETERMINATE);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Archive node;
        if (row.present)
            node.Value(TEXT("Check")) = row.bytes;
        threeState->Send(BM_SETCHECK, row.expected == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED, 0);
        threeState->Load(node, row.defaultState);
        EXPECT_EQ(threeState->Send(BM_GETCHECK, 0, 0), row.expected);
        EXPECT_EQ(Enabled(target), row.expected == BST_INDETERMINATE);
    }
}

TEST_F(ControlsTest, CheckSaveWritesFourLittleEndianBytes)
{
    for (WPARAM state : {BST_INDETERMINATE, BST_CHECKED, BST_UNCHECKED}) {
        SCOPED_TRACE(testing::Message() << "state " << state);
        threeState->Send(BM_SETCHECK, state, 0);
        Archive node;
        node.Value(TEXT("Check")) = Bytes{9, 9, 9, 9, 9, 9};
        threeState->Save(node);
        EXPECT_EQ(node.Value(TEXT("Check")), CheckValue(INT32(state)));
    }
}

// Counts the WM_KEYDOWN messages that reach default processing.
class KeyEditBox : public EditBox {
public:
    std::vector<WPARAM> defaultKeys;
    LRESULT OnMessage(UINT msg, WPARAM w, LPARAM l) override
    {
        if (msg == WM_KEYDOWN)
            defaultKeys.push_back(w);
        return EditBox::OnMessage(msg, w, l);
    }
};

// Holds Ctrl down in this thread's key state while it lives.
class CtrlHeld {
public:
    explicit CtrlHeld(bool down)
    {
        GetKeyboardState(saved);
        BYTE state[256];
        GetKeyboardState(state);
        state[VK_CONTROL] = state[VK_LCONTROL] = down ? 0x80 : 0;
        SetKeyboardState(state);
    }
    ~CtrlHeld() { SetKeyboardState(saved); }

private:
    BYTE saved[256];
};

TEST_F(ControlsTest, CtrlASelectsAllAndPlainAIsSwallowed)
{
    KeyEditBox box;
    ASSERT_TRUE(box.AttachDlgItem(dialog, IDC_CT_TARGET));
    box.Subclass();
    box.SetText(TEXT("hello"));
    auto selection = [&box] {
        DWORD start = 99, end = 99;
        box.Send(EM_GETSEL, WPARAM(&start), LPARAM(&end));
        return std::make_pair(start, end);
    };
    {
        CtrlHeld ctrl(false);
        box.Send(EM_SETSEL, 1, 1);
        EXPECT_EQ(box.Send(WM_KEYDOWN, 'A', 1), 0);
        EXPECT_EQ(selection(), std::make_pair(DWORD(1), DWORD(1)));
        EXPECT_TRUE(box.defaultKeys.empty());

        box.Send(WM_KEYDOWN, VK_END, 1);
        EXPECT_EQ(box.defaultKeys, std::vector<WPARAM>{VK_END});
        EXPECT_EQ(selection(), std::make_pair(DWORD(5), DWORD(5)));
    }
    {
        CtrlHeld ctrl(true);
        ASSERT_LT(GetKeyState(VK_CONTROL), 0);
        box.Send(EM_SETSEL, 1, 1);
        EXPECT_EQ(box.Send(WM_KEYDOWN, 'A', 1), 0);
        EXPECT_EQ(selection(), std::make_pair(DWORD(0), DWORD(5)));
        EXPECT_EQ(box.defaultKeys, std::vector<WPARAM>{VK_END});
    }
}

TEST_F(ControlsTest, EditLinksFollowTextFromCodeAndTyping)
{
    edit->AddLink(target, vela::LinkEnable, 0);
    edit->AddLink(otherTarget, vela::LinkDisable, 0);
    EXPECT_FALSE(Enabled(target));
    EXPECT_TRUE(Enabled(otherTarget));

    struct Step {
        const char* name;
        UINT msg;
        WPARAM wParam;
        const WCHAR* text;  // for WM_SETTEXT
        bool hasText;
    };
    const Step steps[] = {
        {"set text", WM_SETTEXT, 0, TEXT("x"), true},
        {"clear text", WM_SETTEXT, 0, TEXT(""), false},
        {"type a letter", WM_CHAR, 'a', nullptr, true},
        {"type another", WM_CHAR, 'b', nullptr, true},
        {"erase one", WM_CHAR, VK_BACK, nullptr, true},
        {"erase the last", WM_CHAR, VK_BACK, nullptr, false},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        if (step.msg == WM_SETTEXT)
            edit->SetText(step.text);
        else
            edit->Send(step.msg, step.wParam, 1);
        EXPECT_EQ(!edit->GetText().empty(), step.hasText);
        EXPECT_EQ(Enabled(target), step.hasText);
        EXPECT_EQ(Enabled(otherTarget), !step.hasText);
    }
}

class EditDropTest : public ControlsTest {
protected:
    void SetUp() override
    {
        ControlsTest::SetUp();
        folder = temp / TEXT("曲");
        otherFolder = temp / TEXT("other");
        file = folder + TEXT("\\歌.mp3");
        ASSERT_TRUE(MakeFolder(folder) && MakeFolder(otherFolder));
        ASSERT_TRUE(WriteBytes(file, "ID3"));
    }
    TempDir temp;
    WString folder, otherFolder, file;
};

TEST_F(EditDropTest, TakesTheFirstAcceptableName)
{
    const WString before = TEXT("before");
    const WString missing = temp / TEXT("missing");
    struct Row {
        const char* name;
        bool acceptDrop, folderMode;
        WStringList names;
        WString expected;
    };
    const Row rows[] = {
        {"folder then file", true, false, {folder, file}, file},
        {"file in folder mode gives its folder", true, true, {file, otherFolder}, folder},
        {"folder in folder mode", true, true, {otherFolder, file}, otherFolder},
        {"only folders", true, false, {folder, otherFolder}, before},
        {"not accepting", false, false, {file}, before},
        {"not accepting in folder mode", false, true, {folder}, before},
        {"nothing dropped", true, true, {}, before},
        {"unexaminable name skipped", true, false, {missing, file}, file},
        {"unexaminable name counts as a folder", true, true, {missing, file}, missing},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        edit->SetText(before);
        edit->acceptDrop = row.acceptDrop;
        edit->folderMode = row.folderMode;
        HDROP drop = MakeDropHandle(row.names);
        edit->Send(WM_DROPFILES, WPARAM(drop), 0);
        EXPECT_EQ(Utf8(edit->GetText()), Utf8(row.expected));
        EXPECT_TRUE(DropReleased(drop));
    }
}

TEST_F(ControlsTest, EditLoadAndSaveRoundTrip)
{
    const WString japanese = Wide("出力先 C:\\歌詞\\テスト");
    edit->SetText(japanese);
    Archive node;
    edit->Save(node);
    EXPECT_EQ(node.Value(TEXT("Text")).size(), japanese.size() * 2);

    edit->SetText(TEXT("changed"));
    edit->Load(node, TEXT("default"));
    EXPECT_EQ(Utf8(edit->GetText()), Utf8(japanese));

    Archive missing;
    edit->Load(missing, Wide("既定"));
    EXPECT_EQ(Utf8(edit->GetText()), "既定");

    // A stored empty text is a value of its own, not a missing one.
    Archive empty;
    empty.SetString(TEXT("Text"), WString());
    edit->Load(empty, TEXT("default"));
    EXPECT_TRUE(edit->GetText().empty());
}

struct ToolInfo {
    LRESULT found = 0;
    RECT rect = {};
    WString text;
};

ToolInfo QueryTool(HWND tip, HWND owner)
{
    ToolInfo out;
    WCHAR buffer[256] = {};
    TOOLINFOW info = {};
    info.cbSize = sizeof info;
    info.hwnd = owner;
    info.uId = 0;
    info.lpszText = buffer;
    out.found = SendMessageW(tip, TTM_GETTOOLINFOW, 0, LPARAM(&info));
    out.rect = info.rect;
    out.text = buffer;
    return out;
}

TEST_F(ControlsTest, ToolTipCoversTheClientAreaAndIsReplaced)
{
    const WString text = Wide("mp3ファイルをD&Dすると歌詞が出力されます");
    dialog.SetToolTip(text);
    ASSERT_TRUE(dialog.toolTip);
    const HWND first = dialog.toolTip->hwnd;
    ASSERT_TRUE(IsWindow(first));

    WCHAR className[64] = {};
    GetClassNameW(first, className, 64);
    EXPECT_EQ(Utf8(className), "tooltips_class32");
    EXPECT_EQ(GetWindow(first, GW_OWNER), dialog.hwnd);
    EXPECT_EQ(dialog.toolTip->parent, &dialog);
    EXPECT_EQ(dialog.children.count(dialog.toolTip.get()), 1u);
    EXPECT_EQ(vela::WrapperOf(first), nullptr);
    EXPECT_EQ(SendMessageW(first, TTM_GETTOOLCOUNT, 0, 0), 1);

    RECT client;
    GetClientRect(dialog.hwnd, &client);
    const ToolInfo tool = QueryTool(first, dialog.hwnd);
    EXPECT_TRUE(tool.found);
    EXPECT_TRUE(EqualRect(&tool.rect, &client))
        << tool.rect.left << "," << tool.rect.top << "," << tool.rect.right << ","
        << tool.rect.bottom;
    EXPECT_EQ(Utf8(tool.text), Utf8(text));

    vela::ToolTip* firstWrapper = dialog.toolTip.get();
    dialog.SetToolTip(TEXT("second"));
    ASSERT_TRUE(dialog.toolTip);
    EXPECT_NE(dialog.toolTip->hwnd, first);
    EXPECT_FALSE(IsWindow(first));
    EXPECT_EQ(dialog.children.count(firstWrapper), 0u);
    EXPECT_EQ(SendMessageW(dialog.toolTip->hwnd, TTM_GETTOOLCOUNT, 0, 0), 1);
    EXPECT_EQ(Utf8(QueryTool(dialog.toolTip->hwnd, dialog.hwnd).text), "second");
}

} // namespace
