#include "tests/support/gtest.h"

#include "app/output_path.h"
#include "res/resource.h"
#include "tests/support/drop_handle.h"
#include "tests/support/main_dialog.h"
#include "tests/support/mp3_writer.h"
#include "tests/support/temp_dir.h"
#include "vela/storage/archive.h"

#include <string>

namespace {

// Moves the process into a folder for one test and back out again.
class CurrentFolder {
public:
    explicit CurrentFolder(const WString& folder)
    {
        WCHAR buffer[MAX_PATH] = {};
        GetCurrentDirectoryW(MAX_PATH, buffer);
        previous_ = buffer;
        SetCurrentDirectoryW(folder.c_str());
    }
    ~CurrentFolder() { SetCurrentDirectoryW(previous_.c_str()); }

private:
    WString previous_;
};

TEST(ComposeOutputPath, FollowsTheOptions)
{
    const WString song = TEXT("D:\\Music\\Song.mp3");
    const struct {
        bool sameFolder;
        const char* folder;
        bool sameName;
        const char* name;
        const char* extension;
        WString input;
        const char* output;
    } rows[] = {
        {true, "E:\\x", true, "n", "txt", song, "D:\\Music\\Song.txt"},
        {false, "E:\\Lyrics", true, "", "txt", song, "E:\\Lyrics\\Song.txt"},
        {false, "E:\\Lyrics\\", true, "", "txt", song, "E:\\Lyrics\\Song.txt"},
        {false, "", true, "", "txt", song, "Song.txt"},
        {true, "", false, "out", "txt", song, "D:\\Music\\out.txt"},
        {true, "", false, "a.b", "txt", song, "D:\\Music\\a.txt"},
        {true, "", true, "", "txt", TEXT("D:\\a.mp3"), "D:\\a.txt"},
        {true, "", true, "", ".txt", song, "D:\\Music\\Song..txt"},
        {true, "", true, "", "", song, "D:\\Music\\Song."},
        {true, "", true, "", "txt", WString(), ".txt"},
    };
    for (const auto& row : rows) {
        const OutputOptions options = {row.sameFolder, Wide(row.folder), row.sameName,
                                       Wide(row.name), Wide(row.extension)};
        EXPECT_EQ(Utf8(ComposeOutputPath(row.input, options)), row.output) << row.output;
    }
}

// One dialog serves every test of the suite, with its options put back to
// the defaults before each: closing a shown window costs seconds under Xvfb.
class ExportLyricsTest : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        settingsFolder = new TempDir;
        shared = OpenMainDialog(*settingsFolder / TEXT("settings.dat")).release();
    }
    static void TearDownTestSuite()
    {
        delete shared;  // the window goes with the object; nothing is saved
        shared = nullptr;
        delete settingsFolder;
        settingsFolder = nullptr;
    }

    void SetUp() override
    {
        ASSERT_NE(shared, nullptr);
        hwnd = shared->hwnd;
        const int checks[][2] = {{IDC_SAME_DIRECTORY, 1}, {IDC_SAME_FILE_NAME, 1},
                                 {IDC_SUB_DIRECTORY, 0}, {IDC_TOPMOST, 0}, {IDC_EMPTY_FILE, 0}};
        for (const auto& check : checks)
            SetCheck(hwnd, check[0], check[1]);
        SetItemText(hwnd, IDC_DIRECTORY, WString());
        SetItemText(hwnd, IDC_FILE_NAME, WString());
        SetItemText(hwnd, IDC_EXTENSION, TEXT("txt"));
    }

    WString Mp3(const WString& name, const std::string& lyrics)
    {
        const WString path = dir / name;
        EXPECT_TRUE(WriteBytes(path, mp3::FileWithLyrics(lyrics, 3, mp3::Encoding::Utf16)));
        return path;
    }
    void Drop(const WStringList& names) { DropOnto(hwnd, names); }

    static TempDir* settingsFolder;
    static Tagscribe* shared;
    TempDir dir;
    HWND hwnd = nullptr;
};

TempDir* ExportLyricsTest::settingsFolder = nullptr;
Tagscribe* ExportLyricsTest::shared = nullptr;

// The dialog's options reach the export; how they compose the path is
// ComposeOutputPath's table above.
TEST_F(ExportLyricsTest, OutputPathFollowsTheOptions)
{
    ASSERT_TRUE(MakeFolder(dir / TEXT("Music")));
    ASSERT_TRUE(MakeFolder(dir / TEXT("Lyrics")));
    ASSERT_TRUE(MakeFolder(dir / TEXT("Current")));
    CurrentFolder current(dir / TEXT("Current"));
    const WString song = Mp3(TEXT("Music\\Song.mp3"), "sung");
    const WString lyrics = dir / TEXT("Lyrics");
    const struct {
        int sameFolder;
        WString folder;
        int sameName;
        const char* name;
        const char* extension;
        const char* output;  // below the test folder
    } rows[] = {
        {1, TEXT("unused"), 1, "unused", "txt", "Music\\Song.txt"},
        {0, lyrics, 1, "", "lrc", "Lyrics\\Song.lrc"},
        {0, TEXT(""), 1, "", "txt", "Current\\Song.txt"},
        {1, TEXT(""), 0, "out", "txt", "Music\\out.txt"},
        {1, TEXT(""), 1, "", "", "Music\\Song."},
    };
    for (const auto& row : rows) {
        SetCheck(hwnd, IDC_SAME_DIRECTORY, row.sameFolder);
        SetCheck(hwnd, IDC_SAME_FILE_NAME, row.sameName);
        SetItemText(hwnd, IDC_DIRECTORY, row.folder);
        SetItemText(hwnd, IDC_FILE_NAME, Wide(row.name));
        SetItemText(hwnd, IDC_EXTENSION, Wide(row.extension));
        const WString output = dir / Wide(row.output);
        DeleteFileW(output.c_str());
        Drop({song});
        EXPECT_EQ(ReadBytes(output), "sung") << row.output;
        DeleteFileW(output.c_str());
    }
}

TEST_F(ExportLyricsTest, RootFolderKeepsItsBackslash)
{
    const WString name = Wide("tagscribe-root-" + std::to_string(GetCurrentProcessId()));
    const WString song = TEXT("C:\\") + name + TEXT(".mp3");
    const WString output = TEXT("C:\\") + name + TEXT(".txt");
    ASSERT_TRUE(WriteBytes(song, mp3::FileWithLyrics("at the root")));
    Drop({song});
    EXPECT_EQ(ReadBytes(output), "at the root");
    DeleteFileW(song.c_str());
    DeleteFileW(output.c_str());
}

TEST_F(ExportLyricsTest, OnlyMp3NamesWithoutTheEmptyFileOption)
{
    const struct {
        const char* input;
        const char* output;
        bool written;
    } rows[] = {
        {"SONG.MP3", "SONG.txt", true},
        {"Mixed.Mp3", "Mixed.txt", true},
        {"song.mp3.bak", "song.mp3.txt", false},
        {"other.mp3x", "other.txt", false},
        {"noextension", "noextension.txt", false},
    };
    WStringList inputs;
    for (const auto& row : rows)
        inputs.push_back(Mp3(Wide(row.input), row.input));
    Drop(inputs);
    for (const auto& row : rows) {
        EXPECT_EQ(FileExists(dir / Wide(row.output)), row.written) << row.input;
        if (row.written) {
            EXPECT_EQ(ReadBytes(dir / Wide(row.output)), row.input);
        }
    }
}

TEST_F(ExportLyricsTest, EmptyFileOptionWritesForEveryFile)
{
    const WString cover = dir / TEXT("cover.jpg");
    const WString bare = dir / TEXT("bare.mp3");
    const WString empty = dir / TEXT("empty.mp3");
    ASSERT_TRUE(WriteBytes(cover, "\xFF\xD8\xFF\xE0 not really a picture"));
    ASSERT_TRUE(WriteBytes(bare, mp3::FileWithoutTag()));
    ASSERT_TRUE(WriteBytes(empty, mp3::FileWithLyrics("")));
    Drop({cover, bare, empty});
    for (const char* name : {"cover.txt", "bare.txt", "empty.txt"})
        EXPECT_FALSE(FileExists(dir / Wide(name))) << name << " without the option";

    ASSERT_TRUE(WriteBytes(dir / TEXT("bare.txt"), "old text is truncated"));
    SetCheck(hwnd, IDC_EMPTY_FILE, BST_CHECKED);
    Drop({cover, bare, empty});
    for (const char* name : {"cover.txt", "bare.txt", "empty.txt"}) {
        EXPECT_TRUE(FileExists(dir / Wide(name))) << name;
        EXPECT_EQ(ReadBytes(dir / Wide(name)), "") << name;
    }
}

TEST_F(ExportLyricsTest, EmptyPathInABatchRunWritesDotExtensionHere)
{
    vela::Archive settings(1);
    INT32 on = 1;
    settings.Child(TEXT("EmptyFile")).Value(TEXT("Check")).assign(
        reinterpret_cast<BYTE*>(&on), reinterpret_cast<BYTE*>(&on) + 4);
    const WString settingsPath = dir / TEXT("batch.dat");
    ASSERT_TRUE(settings.SaveFile(settingsPath));
    ASSERT_TRUE(MakeFolder(dir / TEXT("Current")));
    CurrentFolder current(dir / TEXT("Current"));
    auto batch = OpenMainDialog(settingsPath, {WString()});
    ASSERT_NE(batch, nullptr);
    EXPECT_FALSE(IsWindowVisible(batch->hwnd));
    EXPECT_TRUE(FileExists(dir / TEXT("Current\\.txt")));
    EXPECT_EQ(ReadBytes(dir / TEXT("Current\\.txt")), "");
}

TEST_F(ExportLyricsTest, FoldersWithAndWithoutSubFolders)
{
    ASSERT_TRUE(MakeFolder(dir / TEXT("Album")));
    ASSERT_TRUE(MakeFolder(dir / TEXT("Album\\Disc2")));
    Mp3(TEXT("Album\\a.mp3"), "a");
    ASSERT_TRUE(WriteBytes(dir / TEXT("Album\\b.txt"), "notes"));
    Mp3(TEXT("Album\\Disc2\\c.mp3"), "c");
    Drop({dir / TEXT("Album")});
    EXPECT_EQ(ReadBytes(dir / TEXT("Album\\a.txt")), "a");
    EXPECT_EQ(ReadBytes(dir / TEXT("Album\\b.txt")), "notes");
    EXPECT_FALSE(FileExists(dir / TEXT("Album\\Disc2\\c.txt")));

    SetCheck(hwnd, IDC_SUB_DIRECTORY, BST_CHECKED);
    Drop({dir / TEXT("Album\\")});
    EXPECT_EQ(ReadBytes(dir / TEXT("Album\\Disc2\\c.txt")), "c");
    EXPECT_EQ(ReadBytes(dir / TEXT("Album\\b.txt")), "notes");
}

TEST_F(ExportLyricsTest, FixedNameKeepsTheLastLyrics)
{
    SetCheck(hwnd, IDC_SAME_FILE_NAME, BST_UNCHECKED);
    SetItemText(hwnd, IDC_FILE_NAME, TEXT("out"));
    Drop({Mp3(TEXT("one.mp3"), "first and longer"), Mp3(TEXT("two.mp3"), "second")});
    EXPECT_EQ(ReadBytes(dir / TEXT("out.txt")), "second");
}

TEST_F(ExportLyricsTest, TextInTheAnsiCodePageWithoutBomOrNul)
{
    CPINFO info = {};
    ASSERT_TRUE(GetCPInfo(CP_ACP, &info));
    const std::string unmappable(1, static_cast<char>(info.DefaultChar[0]));
    // A snowman exists in neither code page 1252 nor 932.
    Drop({Mp3(TEXT("snow.mp3"), "A\xE2\x98\x83" "B"),
          Mp3(TEXT("lines.mp3"), "line one\r\nline two\n")});
    EXPECT_EQ(ReadBytes(dir / TEXT("snow.txt")), "A" + unmappable + "B") << "code page " << GetACP();
    EXPECT_EQ(ReadBytes(dir / TEXT("lines.txt")), "line one\r\nline two\n");
}

TEST_F(ExportLyricsTest, EachDropExportsOnlyItsOwnPaths)
{
    const WString first = Mp3(TEXT("first.mp3"), "1");
    const WString second = Mp3(TEXT("second.mp3"), "2");
    Drop({first});
    ASSERT_TRUE(FileExists(dir / TEXT("first.txt")));
    ASSERT_TRUE(DeleteFileW((dir / TEXT("first.txt")).c_str()));
    Drop({second});
    EXPECT_EQ(ReadBytes(dir / TEXT("second.txt")), "2");
    EXPECT_FALSE(FileExists(dir / TEXT("first.txt")));
}

TEST_F(ExportLyricsTest, OutputsThatCannotBeCreatedAreSkipped)
{
    SetCheck(hwnd, IDC_EMPTY_FILE, BST_CHECKED);
    ASSERT_TRUE(MakeFolder(dir / TEXT("blocked.txt")));
    Drop({dir / TEXT("nowhere\\lost.mp3"), Mp3(TEXT("blocked.mp3"), "b"),
          Mp3(TEXT("fine.mp3"), "f")});
    EXPECT_FALSE(FileExists(dir / TEXT("nowhere")));
    EXPECT_EQ(GetFileAttributesW((dir / TEXT("blocked.txt")).c_str()) & FILE_ATTRIBUTE_DIRECTORY,
              static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
    EXPECT_EQ(ReadBytes(dir / TEXT("fine.txt")), "f");

    SetCheck(hwnd, IDC_SAME_DIRECTORY, BST_UNCHECKED);
    SetItemText(hwnd, IDC_DIRECTORY, dir / TEXT("missing"));
    Drop({dir / TEXT("fine.mp3")});
    EXPECT_FALSE(FileExists(dir / TEXT("missing")));
}

TEST_F(ExportLyricsTest, NeverWritesOverItsInput)
{
    // Every way of naming the input as its own output: the extension "mp3"
    // with the input's folder and name, and the same file spelt in other
    // letter case through the typed folder or name.
    SetCheck(hwnd, IDC_EMPTY_FILE, BST_CHECKED);
    SetItemText(hwnd, IDC_EXTENSION, TEXT("mp3"));
    const struct {
        const char* name;
        std::string bytes;
    } inputs[] = {
        {"lyrics.mp3", mp3::FileWithLyrics("keep me")},
        {"notag.mp3", mp3::FileWithoutTag()},
        {"zero.mp3", mp3::EmptyFile()},
        {"text.mp3", mp3::TextFile()},
        {"cut.mp3", mp3::FileWithLyrics("cut short").substr(0, 20)},
    };
    const struct {
        const char* how;
        int sameFolder, sameName;
        bool upperFolder, upperName;
    } spellings[] = {
        {"as given", 1, 1, false, false},
        {"folder in capitals", 0, 1, true, false},
        {"name in capitals", 1, 0, false, true},
    };
    for (const auto& spelling : spellings) {
        SetCheck(hwnd, IDC_SAME_DIRECTORY, spelling.sameFolder);
        SetCheck(hwnd, IDC_SAME_FILE_NAME, spelling.sameName);
        SetItemText(hwnd, IDC_DIRECTORY, spelling.upperFolder ? AsciiUpper(dir.Path()) : dir.Path());
        for (const auto& input : inputs) {
            const WString path = dir / Wide(input.name);
            ASSERT_TRUE(WriteBytes(path, input.bytes));
            SetItemText(hwnd, IDC_FILE_NAME, AsciiUpper(Wide(input.name)));
            Drop({path});
            EXPECT_EQ(ReadBytes(path), input.bytes) << input.name << ", " << spelling.how;
        }
    }
}

} // namespace
