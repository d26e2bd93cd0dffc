#include "tests/support/gtest.h"

#include "app/input_paths.h"
#include "tests/support/temp_dir.h"

#include <algorithm>
#include <vector>

namespace {

// music: a.mp3, b.txt, s\c.mp3
class InputPaths : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(MakeFolder(music));
        ASSERT_TRUE(WriteBytes(music + TEXT("\\a.mp3"), "a"));
        ASSERT_TRUE(WriteBytes(music + TEXT("\\b.txt"), "b"));
        ASSERT_TRUE(MakeFolder(music + TEXT("\\s")));
        ASSERT_TRUE(WriteBytes(music + TEXT("\\s\\c.mp3"), "c"));
        ASSERT_TRUE(WriteBytes(loose, "l"));
    }

    // The folder's own two files in either order, as the platform lists them.
    void ExpectOwnFiles(const WStringList& result, size_t at)
    {
        ASSERT_GE(result.size(), at + 2);
        WStringList own(result.begin() + at, result.begin() + at + 2);
        std::sort(own.begin(), own.end());
        EXPECT_EQ(own, (WStringList{music + TEXT("\\a.mp3"), music + TEXT("\\b.txt")}));
    }

    TempDir dir;
    WString music = dir / TEXT("music");
    WString loose = dir / TEXT("loose.mp3");
    WString missing = dir / TEXT("missing.mp3");
};

TEST_F(InputPaths, FolderWithoutRecursionGivesItsOwnFilesEachTimeGiven)
{
    WStringList result = ExpandInputPaths({music, music}, false);
    ASSERT_EQ(result.size(), 4u);
    ExpectOwnFiles(result, 0);
    ExpectOwnFiles(result, 2);
}

TEST_F(InputPaths, FolderWithRecursionAddsSubFolderFilesAfterward)
{
    for (const WString& folder : {music, music + TEXT("\\")}) {
        WStringList result = ExpandInputPaths({folder}, true);
        ASSERT_EQ(result.size(), 3u) << Utf8(folder);
        ExpectOwnFiles(result, 0);
        EXPECT_EQ(result[2], music + TEXT("\\s\\c.mp3"));
    }
}

TEST_F(InputPaths, OtherPathsPassThroughInOrderWithDuplicates)
{
    WString empty = dir / TEXT("empty");
    ASSERT_TRUE(MakeFolder(empty));
    WStringList pending{missing, loose, empty, TEXT(""), music, loose, music + TEXT("\\s")};

    WStringList result = ExpandInputPaths(pending, true);
    ASSERT_EQ(result.size(), 8u);
    EXPECT_EQ(result[0], missing);
    EXPECT_EQ(result[1], loose);
    EXPECT_EQ(result[2], WString()) << "empty path kept, empty folder adds nothing";
    ExpectOwnFiles(result, 3);
    EXPECT_EQ(result[5], music + TEXT("\\s\\c.mp3"));
    EXPECT_EQ(result[6], loose);
    EXPECT_EQ(result[7], music + TEXT("\\s\\c.mp3")) << "found again through its own folder";
    EXPECT_EQ(pending.size(), 7u);
}

TEST_F(InputPaths, EveryFileIsListedWhateverItsName)
{
    WString odd = dir / TEXT("odd");
    ASSERT_TRUE(MakeFolder(odd));
    for (const char* name : {"noext", ".dotted", "曲.MP3"})
        ASSERT_TRUE(WriteBytes(odd + TEXT("\\") + Wide(name), "x"));
    SetFileAttributesW((odd + TEXT("\\noext")).c_str(),
                       FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);

    WStringList result = ExpandInputPaths({odd}, false);
    std::sort(result.begin(), result.end());
    WStringList expected{odd + TEXT("\\.dotted"), odd + TEXT("\\noext"), odd + Wide("\\曲.MP3")};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(result, expected);
}

TEST_F(InputPaths, EmptyListGivesEmptyResult)
{
    EXPECT_TRUE(ExpandInputPaths({}, true).empty());
}

} // namespace
