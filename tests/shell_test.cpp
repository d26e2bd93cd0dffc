#include "tests/support/gtest.h"

#include <cstring>
#include <string>
#include <vector>

#include "tests/support/temp_dir.h"
#include "tests/support/test_windows.h"
#include "vela/ui/browse_folder.h"
#include "vela/ui/drop_file.h"

#include <commctrl.h>
#include <shlobj.h>

namespace {

// A drop handle as the shell builds it: DROPFILES, then the wide names, each
// zero-terminated, and one more zero.
HDROP MakeDrop(const WStringList& names)
{
    size_t units = 1;
    for (const WString& name : names)
        units += name.size() + 1;
    HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + units * sizeof(WCHAR));
    auto* header = static_cast<DROPFILES*>(GlobalLock(memory));
    header->pFiles = sizeof(DROPFILES);
    header->fWide = TRUE;
    WCHAR* out = reinterpret_cast<WCHAR*>(header + 1);
    for (const WString& name : names) {
        std::memcpy(out, name.c_str(), (name.size() + 1) * sizeof(WCHAR));
        out += name.size() + 1;
    }
    GlobalUnlock(memory);
    return static_cast<HDROP>(memory);
}

// DragFinish frees the handle; a freed handle has no size any more.
bool Released(HDROP drop)
{
    return GlobalSize(drop) == 0;
}

TEST(DropFile, GivesNamesInOrderThenEmptyAndReleasesOnce)
{
    const WStringList names = {TEXT("C:\\a\\first.mp3"), TEXT("C:\\日本\\二.mp3"),
                               TEXT("D:\\folder")};
    HDROP drop = MakeDrop(names);
    {
        vela::DropFile file(drop);
        for (const WString& name : names)
            EXPECT_EQ(file.Next(), name);
        EXPECT_EQ(file.Next(), WString());
        EXPECT_EQ(file.Next(), WString());
        EXPECT_FALSE(Released(drop));
    }
    EXPECT_TRUE(Released(drop));
}

TEST(DropFile, ReleasesUnreadAndEmptyDrops)
{
    for (const WStringList& names : {WStringList{}, WStringList{TEXT("a"), TEXT("b")}}) {
        HDROP drop = MakeDrop(names);
        {
            vela::DropFile file(drop);
            if (names.empty()) {
                EXPECT_EQ(file.Next(), WString());
            }
        }
        EXPECT_TRUE(Released(drop)) << names.size() << " names";
    }
}

// Drives the chooser from a thread timer, which its modal loop dispatches.
struct ChooserDriver {
    WPARAM button = IDOK;
    int ticks = 0;
    bool found = false;
    WString selectedText;
    bool selectedVisible = false;
};
ChooserDriver driver;

// The chooser is the dialog that the test's owner window owns.
HWND chooserOwner = nullptr;

BOOL CALLBACK FindChooser(HWND hwnd, LPARAM out)
{
    if (GetWindow(hwnd, GW_OWNER) == chooserOwner && IsWindowVisible(hwnd)) {
        *reinterpret_cast<HWND*>(out) = hwnd;
        return FALSE;
    }
    return TRUE;
}

// The tree sits in a name-space control on Windows, directly in the chooser
// under Wine.
HWND FindTree(HWND chooser)
{
    HWND view = FindWindowExW(chooser, nullptr, TEXT("SHBrowseForFolder ShellNameSpace Control"),
                              nullptr);
    return FindWindowExW(view ? view : chooser, nullptr, TEXT("SysTreeView32"), nullptr);
}

void CALLBACK DriveChooser(HWND, UINT, UINT_PTR timer, DWORD)
{
    HWND chooser = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindChooser, reinterpret_cast<LPARAM>(&chooser));
    // Give the tree time to fill and to take the initial selection.
    if (!chooser || ++driver.ticks < 5) {
        if (driver.ticks > 100)
            KillTimer(nullptr, timer);
        return;
    }
    KillTimer(nullptr, timer);
    driver.found = true;
    HWND tree = FindTree(chooser);
    const LRESULT item = SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0);
    WCHAR text[MAX_PATH] = {};
    TVITEMW info = {};
    info.mask = TVIF_TEXT;
    info.hItem = reinterpret_cast<HTREEITEM>(item);
    info.pszText = text;
    info.cchTextMax = MAX_PATH;
    if (item && SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&info))) {
        driver.selectedText = text;
        RECT rect = {};
        std::memcpy(&rect, &info.hItem, sizeof info.hItem);  // TVM_GETITEMRECT reads the item here
        driver.selectedVisible =
            SendMessageW(tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&rect)) != 0;
    }
    PostMessageW(chooser, WM_COMMAND, driver.button, 0);
}

class BrowseForFolderTest : public testing::Test {
protected:
    // Wine 8's chooser cannot select a folder inside the user profile, where
    // TempDir lives, so these folders go to the root of drive C.
    void SetUp() override
    {
        CoInitialize(nullptr);
        root = Wide("C:\\tagscribe-browse-" + std::to_string(GetCurrentProcessId()));
        ASSERT_TRUE(MakeFolder(root));
        deep = root + TEXT("\\outer");
        ASSERT_TRUE(MakeFolder(deep));
        deep += TEXT("\\inner");
        ASSERT_TRUE(MakeFolder(deep));
        ASSERT_TRUE(MakeFolder(deep + TEXT("\\leaf")));
        ASSERT_NE(CreateWrappedWindow(owner), nullptr);
        driver = ChooserDriver();
        chooserOwner = owner.hwnd;
    }
    void TearDown() override
    {
        RemoveTree(root);
        CoUninitialize();
    }

    bool Browse(WPARAM button, WString& result)
    {
        driver.button = button;
        SetTimer(nullptr, 0, 100, DriveChooser);
        return vela::BrowseForFolder(&owner, result, deep);
    }

    WString root;
    WString deep;
    vela::Window owner;
};

TEST_F(BrowseForFolderTest, ConfirmReturnsTheInitialFolderSelectedAndVisible)
{
    WString result = TEXT("unchanged");
    EXPECT_TRUE(Browse(IDOK, result));
    EXPECT_TRUE(driver.found);
    EXPECT_EQ(Utf8(result), Utf8(deep));
    EXPECT_EQ(Utf8(driver.selectedText), "inner");
    // Wine 8 ignores BFFM_SETEXPANDED (seen 2024-12), so expansion is not
    // checked here.
    EXPECT_TRUE(driver.selectedVisible);
}

TEST_F(BrowseForFolderTest, CancelLeavesTheResultAlone)
{
    WString result = TEXT("unchanged");
    EXPECT_FALSE(Browse(IDCANCEL, result));
    EXPECT_TRUE(driver.found);
    EXPECT_EQ(Utf8(result), "unchanged");
}

TEST(ShellExecute, MissingFileFails)
{
    TempDir dir;
    vela::Window w;
    ASSERT_NE(CreateWrappedWindow(w), nullptr);
    EXPECT_FALSE(w.ShellExecute(dir / TEXT("missing.html"), WString(), WString(), SW_SHOWNORMAL));
}

} // namespace
