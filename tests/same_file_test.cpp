#include "tests/support/gtest.h"
#include "tests/support/each_disk.h"

#include "app/same_file.h"
#include "tests/support/temp_dir.h"

#ifdef __WINE__
#include <unistd.h>
#endif


namespace {

class SameFileTest : public EachDisk {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(MakeFolder(dir / TEXT("sub")));
        ASSERT_TRUE(WriteBytes(song, "track"));
        ASSERT_TRUE(WriteBytes(other, "track"));  // same bytes, another file
    }
    TempDir dir;
    WString song = dir / TEXT("Song.mp3");
    WString other = dir / TEXT("Other.mp3");
};

TEST_P(SameFileTest, IdentityNotSpelling)
{
    const struct {
        const char* name;
        WString first, second;
        bool same;
    } rows[] = {
        {"itself", song, song, true},
        {"letter case", song, AsciiUpper(song), true},
        {"dot segments", song, dir / TEXT("sub\\..\\.\\Song.mp3"), true},
        {"a folder and itself", dir.Path(), dir.Path() + TEXT("\\"), true},
        {"equal bytes in another file", song, other, false},
        {"file and its folder", song, dir.Path(), false},
        {"missing output", song, dir / TEXT("Song.txt"), false},
        {"missing input", dir / TEXT("gone.mp3"), dir / TEXT("gone.mp3"), false},
        {"empty paths", WString(), WString(), false},
        {"empty and a file", WString(), song, false},
        {"a NUL inside", song + WString(1, 0) + TEXT("x"), song, false},
    };
    for (const auto& row : rows)
        EXPECT_EQ(IsSameFile(row.first, row.second), row.same) << row.name;
}

TEST_P(SameFileTest, HardLinkIsTheSameFile)
{
    const WString link = dir / TEXT("sub\\link.mp3");
    if (!CreateHardLinkW(link.c_str(), song.c_str(), nullptr))
        GTEST_SKIP() << "no hard links here, error " << GetLastError();
    EXPECT_TRUE(IsSameFile(song, link));
    EXPECT_FALSE(IsSameFile(other, link));
}

TEST_P(SameFileTest, RecognisesAFileHeldOpenWithoutSharing)
{
    // The export job's output stays open, shared for writing only, until the
    // next output is opened; the check must still see through it.
    HANDLE held = CreateFileW(song.c_str(), GENERIC_WRITE, FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(IsSameFile(song, AsciiUpper(song)));
    CloseHandle(held);
    EXPECT_EQ(ReadBytes(song), "track");
}

// Links that only Unix can make: a symbolic link leads to its target, and a
// dangling one names nothing.
#ifdef __WINE__
TEST_P(SameFileTest, UnixLinks)
{
    char* folder = wine_get_unix_file_name(dir.Path().c_str());
    ASSERT_NE(folder, nullptr);
    const std::string unixFolder = folder;
    HeapFree(GetProcessHeap(), 0, folder);
    ASSERT_EQ(symlink("Song.mp3", (unixFolder + "/soft.mp3").c_str()), 0);
    ASSERT_EQ(symlink("nowhere", (unixFolder + "/dangling.mp3").c_str()), 0);
    EXPECT_TRUE(IsSameFile(song, dir / TEXT("SOFT.mp3")));
    EXPECT_FALSE(IsSameFile(other, dir / TEXT("soft.mp3")));
    EXPECT_FALSE(IsSameFile(dir / TEXT("dangling.mp3"), dir / TEXT("dangling.mp3")));
}
#endif

INSTANTIATE_ON_EACH_DISK(SameFileTest);

} // namespace
