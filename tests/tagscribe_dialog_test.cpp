#include "tests/support/gtest.h"

#include "app/hand_over.h"
#include "app/paths.h"
#include "app/settings_tables.h"
#include "res/resource.h"
#include "tests/support/check_value.h"
#include "tests/support/drop_handle.h"
#include "tests/support/folder_chooser.h"
#include "tests/support/main_dialog.h"
#include "tests/support/mp3_writer.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_windows.h"
#include "vela/storage/archive.h"
#include "vela/ui/tool_tip.h"

#include <commctrl.h>
#include <objbase.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

bool Topmost(HWND hwnd)
{
    return (GetWindowLongW(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

RECT WindowRect(HWND hwnd)
{
    RECT rect = {};
    GetWindowRect(hwnd, &rect);
    return rect;
}

std::string Describe(const RECT& r)
{
    return std::to_string(r.left) + "," + std::to_string(r.top) + " " +
           std::to_string(r.right - r.left) + "x" + std::to_string(r.bottom - r.top);
}

// The window stands at x, y with the size of a first start.
void ExpectPlacedAt(HWND hwnd, int x, int y, const RECT& first)
{
    const RECT expected = {x, y, x + first.right - first.left, y + first.bottom - first.top};
    EXPECT_EQ(Describe(WindowRect(hwnd)), Describe(expected));
}

vela::Bytes PlacementBytes(const WINDOWPLACEMENT& placement)
{
    const BYTE* p = reinterpret_cast<const BYTE*>(&placement);
    return vela::Bytes(p, p + sizeof placement);
}

class TagscribeDialogTest : public testing::Test {
protected:
    void TearDown() override
    {
        dialog.reset();
        TakeQuitMessage();
    }

    HWND Open(const WStringList& arguments = WStringList())
    {
        dialog = OpenMainDialog(settings, arguments);
        return dialog ? dialog->hwnd : nullptr;
    }

    // The size and position of a first start, which tests compare with.
    RECT FirstStartRect()
    {
        TempDir elsewhere;
        auto first = OpenMainDialog(elsewhere / TEXT("none.dat"));
        return first ? WindowRect(first->hwnd) : RECT{};
    }

    TempDir dir;
    WString settings = dir / TEXT("tagscribe.dat");
    std::unique_ptr<Tagscribe> dialog;
};

TEST_F(TagscribeDialogTest, FirstStartUsesTheDefaults)
{
    HWND hwnd = Open();
    ASSERT_NE(hwnd, nullptr);
    EXPECT_TRUE(IsWindowVisible(hwnd));
    EXPECT_FALSE(Topmost(hwnd));
    const int expected[] = {1, 1, 0, 0, 0};
    for (size_t i = 0; i < CheckSettingCount; ++i)
        EXPECT_EQ(CheckState(hwnd, CheckSetting[i].id), expected[i]) << CheckSetting[i].id;
    EXPECT_EQ(Utf8(ItemText(hwnd, IDC_DIRECTORY)), "");
    EXPECT_EQ(Utf8(ItemText(hwnd, IDC_FILE_NAME)), "");
    EXPECT_EQ(Utf8(ItemText(hwnd, IDC_EXTENSION)), "txt");
    for (int id : {IDC_DIRECTORY, IDC_BROWSE_DIRECTORY, IDC_FILE_NAME, IDC_BROWSE_FILE_NAME})
        EXPECT_FALSE(ItemEnabled(hwnd, id)) << id;
    EXPECT_TRUE(ItemEnabled(hwnd, IDC_EXTENSION));
    const RECT rect = WindowRect(hwnd);
    EXPECT_NEAR((rect.left + rect.right) / 2, GetSystemMetrics(SM_CXSCREEN) / 2, 2) << Describe(rect);
    EXPECT_NEAR((rect.top + rect.bottom) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 2) << Describe(rect);
    EXPECT_NE(SendMessageW(hwnd, WM_GETICON, ICON_BIG, 0), 0);
    EXPECT_FALSE(FileExists(settings)) << "nothing is written while the dialog is open";
}

TEST_F(TagscribeDialogTest, BatchRunStaysHiddenAndWritesNoSettings)
{
    HWND hwnd = Open({dir / TEXT("missing.mp3")});
    ASSERT_NE(hwnd, nullptr);
    EXPECT_FALSE(IsWindowVisible(hwnd));
    dialog.reset();
    EXPECT_FALSE(FileExists(settings));
    EXPECT_FALSE(TakeQuitMessage());

    // An existing settings file is read and left exactly as it was.
    vela::Archive archive(1);
    archive.Child(TEXT("Extension")).SetString(TEXT("Text"), TEXT("lrc"));
    ASSERT_TRUE(archive.SaveFile(settings));
    const std::string before = ReadBytes(settings);
    hwnd = Open({dir / TEXT("missing.mp3")});
    ASSERT_NE(hwnd, nullptr);
    EXPECT_EQ(Utf8(ItemText(hwnd, IDC_EXTENSION)), "lrc");
    dialog.reset();
    EXPECT_EQ(ReadBytes(settings), before);
}

TEST_F(TagscribeDialogTest, CheckBoxesGovernTheirTargetsAtOnce)
{
    HWND hwnd = Open();
    ASSERT_NE(hwnd, nullptr);
    const struct {
        int source, edit, button;
    } links[] = {
        {IDC_SAME_DIRECTORY, IDC_DIRECTORY, IDC_BROWSE_DIRECTORY},
        {IDC_SAME_FILE_NAME, IDC_FILE_NAME, IDC_BROWSE_FILE_NAME},
    };
    for (const auto& link : links) {
        Click(hwnd, link.source);
        EXPECT_EQ(CheckState(hwnd, link.source), BST_UNCHECKED);
        EXPECT_TRUE(ItemEnabled(hwnd, link.edit)) << link.source;
        EXPECT_TRUE(ItemEnabled(hwnd, link.button)) << link.source;
        Click(hwnd, link.source);
        EXPECT_FALSE(ItemEnabled(hwnd, link.edit)) << link.source;
        EXPECT_FALSE(ItemEnabled(hwnd, link.button)) << link.source;
    }
    // The visible dialog owns its tooltip here, as every interactive run does.
    ASSERT_TRUE(dialog->toolTip);
    Click(hwnd, IDC_TOPMOST);
    EXPECT_EQ(CheckState(hwnd, IDC_TOPMOST), BST_CHECKED);
    EXPECT_TRUE(Topmost(hwnd)) << std::hex << GetWindowLongW(hwnd, GWL_EXSTYLE);
    Click(hwnd, IDC_TOPMOST);
    EXPECT_FALSE(Topmost(hwnd));
}

TEST_F(TagscribeDialogTest, LoadedStatesApplyTheirLinks)
{
    // 2 is what an indeterminate box saves; a two-state box may not take it,
    // and the links must follow whatever state the box really has.
    for (INT32 state : {0, 1, 2}) {
        vela::Archive archive(1);
        archive.Child(TEXT("SameDirectory")).Value(TEXT("Check")) = CheckValue(state);
        archive.Child(TEXT("TopMost")).Value(TEXT("Check")) = CheckValue(state);
        ASSERT_TRUE(archive.SaveFile(settings));
        HWND hwnd = Open();
        ASSERT_NE(hwnd, nullptr);
        const int shown = CheckState(hwnd, IDC_SAME_DIRECTORY);
        if (state != 2) {
            EXPECT_EQ(shown, state);
        }
        EXPECT_EQ(ItemEnabled(hwnd, IDC_DIRECTORY), shown != BST_CHECKED) << state;
        EXPECT_EQ(ItemEnabled(hwnd, IDC_BROWSE_DIRECTORY), shown != BST_CHECKED) << state;
        EXPECT_EQ(Topmost(hwnd), CheckState(hwnd, IDC_TOPMOST) == BST_CHECKED) << state;
        dialog.reset();
    }
}

// Each control reaches its own field, whatever the others hold.
TEST_F(TagscribeDialogTest, ControlsGiveTheExportOptions)
{
    HWND hwnd = Open();
    ASSERT_NE(hwnd, nullptr);
    const int boxes[] = {IDC_SUB_DIRECTORY, IDC_EMPTY_FILE, IDC_SAME_DIRECTORY,
                         IDC_SAME_FILE_NAME};
    const int states[][4] = {{0, 0, 0, 0}, {1, 0, 0, 0}, {0, 1, 0, 0},
                             {0, 0, 1, 0}, {0, 0, 0, 1}, {1, 1, 1, 1}};
    int n = 0;
    for (const auto& row : states) {
        for (int i = 0; i < 4; ++i)
            SetCheck(hwnd, boxes[i], row[i]);
        const std::string tag = std::to_string(n++);
        SetItemText(hwnd, IDC_DIRECTORY, Wide("C:\\folder " + tag));
        SetItemText(hwnd, IDC_FILE_NAME, Wide("name " + tag));
        SetItemText(hwnd, IDC_EXTENSION, Wide("ext " + tag));
        const ExportOptions options = dialog->ReadExportOptions();
        SCOPED_TRACE("row " + tag);
        EXPECT_EQ(options.subFolders, row[0] == 1);
        EXPECT_EQ(options.emptyFile, row[1] == 1);
        EXPECT_EQ(options.output.sameFolder, row[2] == 1);
        EXPECT_EQ(options.output.sameName, row[3] == 1);
        EXPECT_EQ(Utf8(options.output.folder), "C:\\folder " + tag);
        EXPECT_EQ(Utf8(options.output.name), "name " + tag);
        EXPECT_EQ(Utf8(options.output.extension), "ext " + tag);
    }
}

// A drop exports with what the controls hold at that moment, and the next
// drop exports only its own paths.
TEST_F(TagscribeDialogTest, EachDropExportsItsOwnPathsWithTheControlsOptions)
{
    HWND hwnd = Open();
    ASSERT_NE(hwnd, nullptr);
    const WString first = dir / TEXT("first.mp3");
    const WString second = dir / TEXT("second.mp3");
    ASSERT_TRUE(WriteBytes(first, mp3::FileWithLyrics("1")));
    ASSERT_TRUE(WriteBytes(second, mp3::FileWithLyrics("2")));
    SetItemText(hwnd, IDC_EXTENSION, TEXT("lrc"));
    DropOnto(hwnd, {first});
    ASSERT_EQ(ReadBytes(dir / TEXT("first.lrc")), "1");
    ASSERT_TRUE(DeleteFileW((dir / TEXT("first.lrc")).c_str()));
    SetItemText(hwnd, IDC_EXTENSION, TEXT("txt"));
    DropOnto(hwnd, {second});
    EXPECT_EQ(ReadBytes(dir / TEXT("second.txt")), "2");
    EXPECT_FALSE(FileExists(dir / TEXT("first.lrc")));
    EXPECT_FALSE(FileExists(dir / TEXT("first.txt")));
}

// A batch's reply window that refuses the first report; "status text" each.
class RefusingReplyWindow : public vela::Window {
public:
    LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        if (msg != WM_COPYDATA)
            return Window::OnMessage(msg, wParam, lParam);
        const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        const auto* bytes = static_cast<const char*>(data->lpData);
        replies.push_back(std::to_string(bytes[0]) + " " +
                          Utf8(WString(reinterpret_cast<const WCHAR*>(bytes + 4),
                                       (data->cbData - 4) / sizeof(WCHAR))));
        return replies.size() > 1;
    }
    std::vector<std::string> replies;
};

TEST_F(TagscribeDialogTest, HandedOverExportWhoseReportIsRefusedStillSendsItsCounts)
{
    HWND hwnd = Open();
    ASSERT_NE(hwnd, nullptr);
    ASSERT_TRUE(WriteBytes(dir / TEXT("song.mp3"), mp3::FileWithLyrics("words")));
    RefusingReplyWindow reply;
    ASSERT_TRUE(reply.CreateMessageOnly());
    WString paths = dir / TEXT("song.mp3") + WCHAR(0);
    COPYDATASTRUCT request = {HandOverRequest, DWORD(paths.size() * sizeof(WCHAR)), &paths[0]};
    SendMessageW(hwnd, WM_COPYDATA, WPARAM(reply.hwnd), LPARAM(&request));
    MSG msg;  // the export runs from a posted message
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageW(&msg);
    const std::string counts = "tagscribe: 1 exported, 0 without lyrics, 0 failed\n";
    EXPECT_EQ(reply.replies, (std::vector<std::string>{
                                 "0 " + counts,
                                 "1 tagscribe: the export ran in the open dialog, but its report "
                                 "could not be sent here and was not kept; its counts:\n" + counts}));
}

// The three ways a user closes the dialog.
enum class CloseBy { Escape, CloseBox, ExitButton };

// True when closing posted the quit message with code 0.
bool CloseDialog(HWND hwnd, CloseBy how)
{
    switch (how) {
    case CloseBy::Escape:
        SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        break;
    case CloseBy::CloseBox:
        // The dialog manager turns it into a posted IDCANCEL command.
        SendMessageW(hwnd, WM_CLOSE, 0, 0);
        break;
    case CloseBy::ExitButton:
        Click(hwnd, IDC_EXIT);
        break;
    }
    bool quit = false;
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT)
            quit = msg.wParam == 0;
        else
            DispatchMessageW(&msg);
    }
    return quit;
}

TEST_F(TagscribeDialogTest, EveryWayOfClosingSavesOptionsAndPosition)
{
    const RECT first = FirstStartRect();
    const struct {
        CloseBy how;
        const char* name;
    } rows[] = {{CloseBy::Escape, "Escape"}, {CloseBy::CloseBox, "close box"},
                {CloseBy::ExitButton, "exit button"}};
    int n = 0;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        DeleteFileW(settings.c_str());
        HWND hwnd = Open();
        ASSERT_NE(hwnd, nullptr);
        Click(hwnd, IDC_SAME_DIRECTORY);
        Click(hwnd, IDC_SUB_DIRECTORY);
        Click(hwnd, IDC_EMPTY_FILE);
        const WString folder = Wide("C:\\lyrics\\" + std::to_string(n));
        SetItemText(hwnd, IDC_DIRECTORY, folder);
        SetItemText(hwnd, IDC_FILE_NAME, TEXT("name"));
        SetItemText(hwnd, IDC_EXTENSION, TEXT("lrc"));
        const int x = 30 + 10 * n, y = 40 + 5 * n;
        ++n;
        SetWindowPos(hwnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        EXPECT_TRUE(CloseDialog(hwnd, row.how));
        EXPECT_FALSE(IsWindow(hwnd));
        dialog.reset();
        ASSERT_TRUE(FileExists(settings));

        hwnd = Open();
        ASSERT_NE(hwnd, nullptr);
        const int expected[] = {0, 1, 1, 0, 1};
        for (size_t i = 0; i < CheckSettingCount; ++i)
            EXPECT_EQ(CheckState(hwnd, CheckSetting[i].id), expected[i]) << CheckSetting[i].id;
        EXPECT_EQ(Utf8(ItemText(hwnd, IDC_DIRECTORY)), Utf8(folder));
        EXPECT_EQ(Utf8(ItemText(hwnd, IDC_FILE_NAME)), "name");
        EXPECT_EQ(Utf8(ItemText(hwnd, IDC_EXTENSION)), "lrc");
        EXPECT_TRUE(ItemEnabled(hwnd, IDC_DIRECTORY));
        ExpectPlacedAt(hwnd, x, y, first);
        dialog.reset();
    }
}

TEST_F(TagscribeDialogTest, SavedSizeIsIgnored)
{
    const RECT first = FirstStartRect();
    WINDOWPLACEMENT placement = {sizeof placement};
    placement.showCmd = SW_SHOWNORMAL;
    placement.rcNormalPosition = {50, 60, 50 + 700, 60 + 500};
    vela::Archive archive(1);
    archive.Value(TEXT("WindowPlacement")) = PlacementBytes(placement);
    ASSERT_TRUE(archive.SaveFile(settings));
    HWND hwnd = Open();
    ASSERT_NE(hwnd, nullptr);
    ExpectPlacedAt(hwnd, 50, 60, first);
}

TEST_F(TagscribeDialogTest, ClosedMinimisedReopensMinimised)
{
    HWND hwnd = Open();
    ASSERT_NE(hwnd, nullptr);
    ShowWindow(hwnd, SW_MINIMIZE);
    ASSERT_TRUE(IsIconic(hwnd));
    CloseDialog(hwnd, CloseBy::ExitButton);
    dialog.reset();
    hwnd = Open();
    ASSERT_NE(hwnd, nullptr);
    EXPECT_TRUE(IsIconic(hwnd));
    EXPECT_TRUE(IsWindowVisible(hwnd));
}

TEST_F(TagscribeDialogTest, WrongLengthsAndOtherVersionsGiveDefaults)
{
    const RECT first = FirstStartRect();
    WINDOWPLACEMENT placement = {sizeof placement};
    placement.showCmd = SW_SHOWNORMAL;
    placement.rcNormalPosition = {10, 10, 200, 200};
    vela::Bytes shortPlacement = PlacementBytes(placement);
    shortPlacement.pop_back();
    vela::Bytes longPlacement = PlacementBytes(placement);
    longPlacement.push_back(0);
    const struct {
        const char* name;
        INT32 version;
        vela::Bytes check;
        vela::Bytes placement;
    } rows[] = {
        {"short values", 1, vela::Bytes(3, 0), shortPlacement},
        {"long values", 1, vela::Bytes(5, 0), longPlacement},
        {"another version", 2, CheckValue(0), PlacementBytes(placement)},
    };
    for (const auto& row : rows) {
        vela::Archive archive(row.version);
        archive.Child(TEXT("SameDirectory")).Value(TEXT("Check")) = row.check;
        archive.Child(TEXT("TopMost")).Value(TEXT("Check")) = row.check;
        archive.Value(TEXT("WindowPlacement")) = row.placement;
        ASSERT_TRUE(archive.SaveFile(settings));
        HWND hwnd = Open();
        ASSERT_NE(hwnd, nullptr);
        EXPECT_EQ(CheckState(hwnd, IDC_SAME_DIRECTORY), BST_CHECKED) << row.name;
        EXPECT_EQ(CheckState(hwnd, IDC_TOPMOST), BST_UNCHECKED) << row.name;
        EXPECT_EQ(Describe(WindowRect(hwnd)), Describe(first)) << row.name;
        dialog.reset();
    }
}

class BrowseButtonTest : public TagscribeDialogTest {
protected:
    // Wine 8's chooser cannot select a folder inside the user profile, where
    // TempDir lives, so these folders go to the root of drive C.
    void SetUp() override
    {
        CoInitialize(nullptr);
        root = Wide("C:\\tagscribe-app-" + std::to_string(GetCurrentProcessId()));
        ASSERT_TRUE(MakeFolder(root));
        ASSERT_TRUE(MakeFolder(root + TEXT("\\Album.2010")));
        ASSERT_TRUE(MakeFolder(root + TEXT("\\Album")));
        hwnd = Open();
        ASSERT_NE(hwnd, nullptr);
        Click(hwnd, IDC_SAME_DIRECTORY);
        Click(hwnd, IDC_SAME_FILE_NAME);
        SetItemText(hwnd, IDC_FILE_NAME, TEXT("before"));
        SetItemText(hwnd, IDC_EXTENSION, TEXT("txt"));
    }
    void TearDown() override
    {
        TagscribeDialogTest::TearDown();
        RemoveTree(root);
        CoUninitialize();
    }

    // Clicks a browse button and answers the chooser, which starts at the
    // folder edit's text.
    void Browse(int button, const WString& start, WPARAM reply,
                const WCHAR* scribble = nullptr)
    {
        const ChooserAnswer answer = AnswerChooser(
            hwnd, start, reply,
            [&] {
                SetItemText(hwnd, IDC_DIRECTORY, start);
                Click(hwnd, button);
            },
            [&] {
                // Typed while the chooser is open: a confirmed choice must
                // replace it.
                if (scribble)
                    SetItemText(hwnd, IDC_DIRECTORY, scribble);
            });
        EXPECT_TRUE(answer.answered);
    }

    WString root;
    HWND hwnd = nullptr;
};

TEST_F(BrowseButtonTest, NameButtonSplitsTheFolderName)
{
    const struct {
        const char* folder;
        const char* name;
        const char* extension;
    } rows[] = {{"Album.2010", "Album", "2010"}, {"Album", "Album", ""}};
    for (const auto& row : rows) {
        Browse(IDC_BROWSE_FILE_NAME, root + TEXT("\\") + Wide(row.folder), IDOK);
        EXPECT_EQ(Utf8(ItemText(hwnd, IDC_FILE_NAME)), row.name) << row.folder;
        EXPECT_EQ(Utf8(ItemText(hwnd, IDC_EXTENSION)), row.extension) << row.folder;
    }
}

TEST_F(BrowseButtonTest, FolderButtonTakesTheChosenPath)
{
    Browse(IDC_BROWSE_DIRECTORY, root + TEXT("\\Album"), IDOK, TEXT("typed meanwhile"));
    EXPECT_EQ(Utf8(ItemText(hwnd, IDC_DIRECTORY)), Utf8(root + TEXT("\\Album")));
}

TEST_F(BrowseButtonTest, CancelChangesNothing)
{
    const WString start = root + TEXT("\\Album.2010");
    for (int button : {IDC_BROWSE_DIRECTORY, IDC_BROWSE_FILE_NAME}) {
        Browse(button, start, IDCANCEL);
        EXPECT_EQ(Utf8(ItemText(hwnd, IDC_DIRECTORY)), Utf8(start)) << button;
        EXPECT_EQ(Utf8(ItemText(hwnd, IDC_FILE_NAME)), "before") << button;
        EXPECT_EQ(Utf8(ItemText(hwnd, IDC_EXTENSION)), "txt") << button;
    }
}

} // namespace
