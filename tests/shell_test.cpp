#include "tests/support/gtest.h"

#include <cstring>
#include <string>
#include <vector>

#include "tests/support/drop_handle.h"
#include "tests/support/folder_chooser.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_windows.h"
#include "vela/ui/browse_folder.h"
#include "vela/ui/drop_file.h"

#include <commctrl.h>
#include <shlobj.h>

namespace {

TEST(DropFile, GivesNamesInOrderThenEmptyAndReleasesOnce)
{
    const WStringList names = {TEXT("C:\\a\\first.mp3"), TEXT("C:\\日本\\二.mp3"),
                               TEXT("D:\\folder")};
    HDROP drop = MakeDropHandle(names);
    {
        vela::DropFile file(drop);
        for (const WString& name : names)
            EXPECT_EQ(file.Next(), name);
        EXPECT_EQ(file.Next(), WString());
        EXPECT_EQ(file.Next(), WString());
        EXPECT_FALSE(DropReleased(drop));
    }
    EXPECT_TRUE(DropReleased(drop));
}

TEST(DropFile, ReleasesUnreadAndEmptyDrops)
{
    for (const WStringList& names : {WStringList{}, WStringList{TEXT("a"), TEXT("b")}}) {
        HDROP drop = MakeDropHandle(names);
        {
            vela::DropFile file(drop);
            if (names.empty()) {
                EXPECT_EQ(file.Next(), WString());
            }
        }
        EXPECT_TRUE(DropReleased(drop)) << names.size() << " names";
    }
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
    }
    void TearDown() override
    {
        RemoveTree(root);
        CoUninitialize();
    }

    bool Browse(WPARAM button, WString& result)
    {
        bool chosen = false;
        answer = AnswerChooser(owner.hwnd, deep, button,
                               [&] { chosen = vela::BrowseForFolder(&owner, result, deep); });
        return chosen;
    }

    ChooserAnswer answer;
    WString root;
    WString deep;
    vela::Window owner;
};

TEST_F(BrowseForFolderTest, ConfirmReturnsTheInitialFolderSelectedAndVisible)
{
    WString result = TEXT("unchanged");
    EXPECT_TRUE(Browse(IDOK, result));
    EXPECT_TRUE(answer.answered);
    EXPECT_EQ(Utf8(result), Utf8(deep));
    EXPECT_EQ(Utf8(answer.selected), "inner");
    // Wine 8 ignores BFFM_SETEXPANDED (seen 2024-12), so expansion is not
    // checked here.
    EXPECT_TRUE(answer.selectedVisible);
}

TEST_F(BrowseForFolderTest, CancelLeavesTheResultAlone)
{
    WString result = TEXT("unchanged");
    EXPECT_FALSE(Browse(IDCANCEL, result));
    EXPECT_TRUE(answer.answered);
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
