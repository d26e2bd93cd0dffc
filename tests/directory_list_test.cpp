#include "tests/support/gtest.h"
#include "tests/support/each_disk.h"

#include "tests/support/temp_dir.h"
#include "vela/media/directory_list.h"

#ifdef __WINE__
#include <unistd.h>
#endif

#include <algorithm>
#include <string>
#include <vector>

namespace {

using vela::DirectoryEntry;
using vela::DirectoryList;

std::vector<WString> Paths(const std::vector<DirectoryEntry>& entries)
{
    std::vector<WString> paths;
    for (const DirectoryEntry& entry : entries)
        paths.push_back(entry.path);
    return paths;
}

std::vector<WString> Sorted(std::vector<WString> paths)
{
    std::sort(paths.begin(), paths.end());
    return paths;
}

// A folder of each test's own making.
class DirectoryListTest : public EachDisk {
protected:
    TempDir dir;
};

// root: a.mp3, b.txt, s\c.mp3
class DirectorySearch : public DirectoryListTest {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(WriteBytes(dir / TEXT("a.mp3"), "a"));
        ASSERT_TRUE(WriteBytes(dir / TEXT("b.txt"), "b"));
        ASSERT_TRUE(MakeFolder(dir / TEXT("s")));
        ASSERT_TRUE(WriteBytes(dir / TEXT("s\\c.mp3"), "c"));
    }
};

TEST_P(DirectoryListTest, EmptyFolderAddsNothing)
{
    DirectoryList list;
    EXPECT_EQ(list.Search(dir.Path(), TEXT("*.*"), true), 0u);
    EXPECT_TRUE(list.files.empty());
    EXPECT_TRUE(list.folders.empty());
}

// Nothing is added, and nothing earlier lost, by a missing folder or a file.
TEST_P(DirectorySearch, MissingFolderAddsNothing)
{
    DirectoryList list;
    EXPECT_EQ(list.Search(dir / TEXT("missing"), TEXT("*.*"), true), 0u);
    ASSERT_EQ(list.Search(dir.Path(), TEXT("*.*"), true), 3u);
    EXPECT_EQ(list.Search(dir / TEXT("missing"), TEXT("*.*"), true), 3u);
    EXPECT_EQ(list.Search(dir / TEXT("a.mp3"), TEXT("*.*"), true), 3u) << "a file, not a folder";
    EXPECT_EQ(list.folders.size(), 1u);
}

TEST_P(DirectorySearch, TrailingBackslashGivesTheSamePaths)
{
    DirectoryList plain, slashed;
    plain.Search(dir.Path(), TEXT("*.*"), true);
    slashed.Search(dir.Path() + TEXT("\\"), TEXT("*.*"), true);

    EXPECT_EQ(Paths(plain.files), Paths(slashed.files));
    EXPECT_EQ(Paths(plain.folders), Paths(slashed.folders));
    EXPECT_EQ(Sorted(Paths(slashed.files)),
              (std::vector<WString>{dir / TEXT("a.mp3"), dir / TEXT("b.txt"),
                                    dir / TEXT("s\\c.mp3")}));
}

TEST_P(DirectorySearch, WithoutRecursionSubFolderIsRecordedNotEntered)
{
    DirectoryList list;
    EXPECT_EQ(list.Search(dir.Path(), TEXT("*.*"), false), 2u);
    EXPECT_EQ(Sorted(Paths(list.files)),
              (std::vector<WString>{dir / TEXT("a.mp3"), dir / TEXT("b.txt")}));
    EXPECT_EQ(Paths(list.folders), std::vector<WString>{dir / TEXT("s")});
}

TEST_P(DirectorySearch, PatternMatchingNothingHereStillRecurses)
{
    DirectoryList list;
    EXPECT_EQ(list.Search(dir.Path(), TEXT("*.wav"), true), 0u);
    EXPECT_EQ(Paths(list.folders), std::vector<WString>{dir / TEXT("s")});

    ASSERT_TRUE(WriteBytes(dir / TEXT("s\\d.wav"), "d"));
    EXPECT_EQ(list.Search(dir.Path(), TEXT("*.wav"), true), 1u);
    EXPECT_EQ(Paths(list.files), std::vector<WString>{dir / TEXT("s\\d.wav")});
}

TEST_P(DirectorySearch, TwoSearchesAccumulate)
{
    DirectoryList list;
    EXPECT_EQ(list.Search(dir / TEXT("s"), TEXT("*.*"), true), 1u);
    EXPECT_EQ(list.Search(dir.Path(), TEXT("*.*"), false), 3u);
    EXPECT_EQ(list.files.size(), 3u);
    EXPECT_EQ(list.files[0].path, dir / TEXT("s\\c.mp3"));
    EXPECT_EQ(list.folders.size(), 1u);
}

TEST_P(DirectoryListTest, DotFoldersAreSkippedDotFilesListed)
{
    ASSERT_TRUE(WriteBytes(dir / TEXT(".hidden"), "h"));
    ASSERT_TRUE(MakeFolder(dir / TEXT(".cache")));
    ASSERT_TRUE(WriteBytes(dir / TEXT(".cache\\x.mp3"), "x"));
    ASSERT_TRUE(MakeFolder(dir / TEXT(".cache\\inner")));
    ASSERT_TRUE(WriteBytes(dir / TEXT(".cache\\inner\\y.mp3"), "y"));

    DirectoryList list;
    EXPECT_EQ(list.Search(dir.Path(), TEXT("*.*"), true), 1u);
    EXPECT_EQ(Paths(list.files), std::vector<WString>{dir / TEXT(".hidden")});
    EXPECT_TRUE(list.folders.empty());
}

TEST_P(DirectoryListTest, HiddenReadOnlySystemEntriesAreListedAndEntered)
{
    WString folder = dir / TEXT("h");
    ASSERT_TRUE(MakeFolder(folder));
    ASSERT_TRUE(WriteBytes(folder + TEXT("\\f.mp3"), "f"));
    ASSERT_TRUE(WriteBytes(dir / TEXT("noext"), "n"));
    const DWORD marks = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_SYSTEM;
    SetFileAttributesW((folder + TEXT("\\f.mp3")).c_str(), marks);
    ASSERT_TRUE(SetFileAttributesW(folder.c_str(), marks));

    DirectoryList list;
    EXPECT_EQ(list.Search(dir.Path(), TEXT("*.*"), true), 2u);
    EXPECT_EQ(Paths(list.files),
              (std::vector<WString>{dir / TEXT("noext"), folder + TEXT("\\f.mp3")}));
    EXPECT_EQ(Paths(list.folders), std::vector<WString>{folder});
}

// A file f in the root and in each of A, A\B and C. Whatever order the
// platform gives A and C, a folder's files come before its sub-folders' and
// each sub-tree stays together.
TEST_P(DirectoryListTest, DepthFirstPreOrder)
{
    for (const WString& folder : {dir / TEXT("A"), dir / TEXT("A\\B"), dir / TEXT("C")})
        ASSERT_TRUE(MakeFolder(folder));
    for (const WString& folder : {dir.Path(), dir / TEXT("A"), dir / TEXT("A\\B"), dir / TEXT("C")})
        ASSERT_TRUE(WriteBytes(folder + TEXT("\\f"), "f"));

    DirectoryList list;
    ASSERT_EQ(list.Search(dir.Path(), TEXT("*.*"), true), 4u);
    std::vector<WString> aFirst{dir / TEXT("A"), dir / TEXT("A\\B"), dir / TEXT("C")};
    std::vector<WString> cFirst{dir / TEXT("C"), dir / TEXT("A"), dir / TEXT("A\\B")};
    std::vector<WString> folders = Paths(list.folders);
    ASSERT_TRUE(folders == aFirst || folders == cFirst);

    std::vector<WString> expected{dir / TEXT("f")};
    for (const WString& folder : folders)
        expected.push_back(folder + TEXT("\\f"));
    EXPECT_EQ(Paths(list.files), expected);
}

TEST_P(DirectoryListTest, SizesAndTimesAsSixtyFourBitNumbers)
{
    WString little = dir / TEXT("small.bin");
    WString big = dir / TEXT("large.bin");
    ASSERT_TRUE(WriteBytes(little, "12345"));

    // 2001-02-03 and a time past 2^32 in both words' sense.
    const uint64_t when = 0x01C08DF6'9A3F2B00ull;
    const uint64_t largeSize = 0x1'0000'0005ull;
    HANDLE h = CreateFileW(big.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    LARGE_INTEGER end;
    end.QuadPart = static_cast<LONGLONG>(largeSize);
    bool sized = SetFilePointerEx(h, end, nullptr, FILE_BEGIN) && SetEndOfFile(h);
    FILETIME time{static_cast<DWORD>(when), static_cast<DWORD>(when >> 32)};
    bool timed = SetFileTime(h, nullptr, nullptr, &time);
    CloseHandle(h);
    ASSERT_TRUE(sized);
    ASSERT_TRUE(timed);

    DirectoryList list;
    ASSERT_EQ(list.Search(dir.Path(), TEXT("*.bin"), false), 2u);
    for (const DirectoryEntry& entry : list.files) {
        if (entry.path == little) {
            EXPECT_EQ(entry.size, 5u);
            EXPECT_GT(entry.lastWriteTime, 0x01D0000000000000ull) << "written after 2014";
        } else {
            EXPECT_EQ(entry.path, big);
            EXPECT_EQ(entry.size, largeSize);
            EXPECT_EQ(entry.lastWriteTime, when);
        }
    }
}

// Folders whose paths reach and pass the 260-character limit are searched
// like others, whether named themselves or met inside another folder: each
// path is the folder, one backslash, the name.
TEST_P(DirectoryListTest, FoldersAtTheLengthLimitAreListedInPlace)
{
    for (size_t length : {250u, 258u, 259u, 260u, 261u, 300u}) {
        TempDir root;
        const WString folder = MakeFolderOfLength(root.Path(), length);
        ASSERT_EQ(folder.size(), length);
        const std::vector<WString> inside{folder + TEXT("\\a.mp3")};
        ASSERT_TRUE(WriteBytes(inside[0], "a")) << length;

        DirectoryList named;
        named.Search(folder, TEXT("*.*"), false);
        EXPECT_EQ(Paths(named.files), inside) << length;

        DirectoryList walked;
        walked.Search(root.Path(), TEXT("*.*"), true);
        ASSERT_FALSE(walked.folders.empty()) << length;
        EXPECT_EQ(walked.folders.back().path, folder) << length;
        EXPECT_EQ(Paths(walked.files), inside) << length;
    }
}

#ifdef __WINE__
// Trees with Unix links to folders; every folder holds a file f. A link back
// to a folder on the way is not entered and is told once ("link>folder"),
// one to a folder elsewhere is searched again, and a chain of links that
// could spell 2^15 paths costs each link once.
TEST_P(DirectoryListTest, LinkedFoldersAreKnownByIdentity)
{
    struct Row {
        const char* name;
        std::vector<std::string> folders;
        std::vector<std::pair<std::string, std::string>> links;  // where, what it holds
        size_t files;
        std::string loops;
    };
    Row chain{"chain", {}, {}, 1 + 16 + 2 * 15, ""};
    for (int i = 1; i <= 16; ++i) {
        chain.folders.push_back(std::to_string(i));
        for (const char* name : {"/a", "/b"})
            if (i < 16)
                chain.links.push_back({std::to_string(i) + name, "../" + std::to_string(i + 1)});
    }
    const Row rows[] = {
        {"parent", {"A"}, {{"A/up", ".."}}, 2, "A/up>"},
        {"itself", {"A"}, {{"A/self", "."}}, 2, "A/self>A"},
        {"every level", {"A", "A/B"}, {{"A/up", ".."}, {"A/B/up", ".."}, {"A/B/top", "../.."}},
         3, "A/B/top> A/B/up>A A/up>"},
        {"sibling", {"A", "B"}, {{"A/sib", "../B"}}, 4, ""},
        chain,
    };
    char* converted = wine_get_unix_file_name(dir.Path().c_str());
    const std::string root = converted + std::string("/");
    HeapFree(GetProcessHeap(), 0, converted);
    for (const Row& row : rows) {
        const std::string top = row.name + std::string("/");
        const WString base = dir / Wide(row.name);
        ASSERT_TRUE(MakeFolder(base) && WriteBytes(base + TEXT("\\f"), "f"));
        for (const std::string& folder : row.folders)
            ASSERT_TRUE(MakeFolder(dir / Wide(top + folder)) &&
                        WriteBytes(dir / Wide(top + folder + "/f"), "f"));
        for (const auto& link : row.links)
            ASSERT_EQ(symlink(link.second.c_str(), (root + top + link.first).c_str()), 0);
        DirectoryList list;
        EXPECT_EQ(list.Search(base, TEXT("*.*"), true), row.files) << row.name;
        std::vector<std::string> loops;
        for (const vela::LoopEntry& loop : list.loops)
            loops.push_back(Utf8(loop.path.substr(base.size() + 1)) + ">" +
                            Utf8(loop.leadsBackTo.substr(std::min(loop.leadsBackTo.size(),
                                                                  base.size() + 1))));
        std::sort(loops.begin(), loops.end());
        std::string told;
        for (const std::string& loop : loops)
            told += (told.empty() ? "" : " ") + loop;
        std::replace(told.begin(), told.end(), '\\', '/');
        EXPECT_EQ(told, row.loops) << row.name;
        for (const auto& link : row.links)  // the tree's removal would follow them
            unlink((root + top + link.first).c_str());
    }
}
#endif

INSTANTIATE_ON_EACH_DISK(DirectorySearch);
INSTANTIATE_ON_EACH_DISK(DirectoryListTest);

} // namespace
