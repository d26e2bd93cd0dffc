#include "tests/support/gtest.h"

#include "app/same_file.h"
#include "tests/support/temp_dir.h"


namespace {

WString Upper(WString text)
{
    for (WCHAR& c : text) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<WCHAR>(c - 'a' + 'A');
    }
    return text;
}

class SameFileTest : public testing::Test {
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

TEST_F(SameFileTest, IdentityNotSpelling)
{
    const struct {
        const char* name;
        WString first, second;
        bool same;
    } rows[] = {
        {"itself", song, song, true},
        {"letter case", song, Upper(song), true},
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

TEST_F(SameFileTest, HardLinkIsTheSameFile)
{
    const WString link = dir / TEXT("sub\\link.mp3");
    if (!CreateHardLinkW(link.c_str(), song.c_str(), nullptr))
        GTEST_SKIP() << "no hard links here, error " << GetLastError();
    EXPECT_TRUE(IsSameFile(song, link));
    EXPECT_FALSE(IsSameFile(other, link));
}

TEST_F(SameFileTest, RecognisesAFileHeldOpenWithoutSharing)
{
    // The export job's output stays open, shared for writing only, until the
    // next output is opened; the check must still see through it.
    HANDLE held = CreateFileW(song.c_str(), GENERIC_WRITE, FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(IsSameFile(song, Upper(song)));
    CloseHandle(held);
    EXPECT_EQ(ReadBytes(song), "track");
}

} // namespace
