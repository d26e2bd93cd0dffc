#include "tests/support/gtest.h"

#include "app/export_tracks.h"
#include "tests/support/mp3_writer.h"
#include "tests/support/temp_dir.h"

#include <map>
#include <string>

namespace {

bool HasMp3Name(const WString& path)
{
    return path.size() >= 4 && AsciiUpper(path.substr(path.size() - 4)) == TEXT(".MP3");
}

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

// Options as a first start sets them: beside the input, named after it, with
// the extension "txt", no sub-folders, no empty files.
class ExportTracksTest : public testing::Test {
protected:
    WString Mp3(const WString& name, const std::string& lyrics)
    {
        const WString path = dir / name;
        EXPECT_TRUE(WriteBytes(path, mp3::FileWithLyrics(lyrics, 3, mp3::Encoding::Utf16)));
        return path;
    }
    ExportReport Export(const WStringList& paths) { return ExportTracks(paths, options); }

    TempDir dir;
    ExportOptions options = {false, false, {true, WString(), true, WString(), TEXT("txt")}};
};

// The options reach the files written; how they compose the path is
// ComposeOutputPath's table above.
TEST_F(ExportTracksTest, OutputPathFollowsTheOptions)
{
    ASSERT_TRUE(MakeFolder(dir / TEXT("Music")));
    ASSERT_TRUE(MakeFolder(dir / TEXT("Lyrics")));
    ASSERT_TRUE(MakeFolder(dir / TEXT("Current")));
    CurrentFolder current(dir / TEXT("Current"));
    const WString song = Mp3(TEXT("Music\\Song.mp3"), "sung");
    const WString lyrics = dir / TEXT("Lyrics");
    const struct {
        bool sameFolder;
        WString folder;
        bool sameName;
        const char* name;
        const char* extension;
        const char* output;  // below the test folder
    } rows[] = {
        {true, TEXT("unused"), true, "unused", "txt", "Music\\Song.txt"},
        {false, lyrics, true, "", "lrc", "Lyrics\\Song.lrc"},
        {false, TEXT(""), true, "", "txt", "Current\\Song.txt"},
        {true, TEXT(""), false, "out", "txt", "Music\\out.txt"},
        {true, TEXT(""), true, "", "", "Music\\Song."},
    };
    for (const auto& row : rows) {
        options.output = {row.sameFolder, row.folder, row.sameName, Wide(row.name),
                          Wide(row.extension)};
        const WString output = dir / Wide(row.output);
        DeleteFileW(output.c_str());
        Export({song});
        EXPECT_EQ(ReadBytes(output), "sung") << row.output;
        DeleteFileW(output.c_str());
    }
}

TEST_F(ExportTracksTest, RootFolderKeepsItsBackslash)
{
    const WString name = Wide("tagscribe-root-" + std::to_string(GetCurrentProcessId()));
    const WString song = TEXT("C:\\") + name + TEXT(".mp3");
    const WString output = TEXT("C:\\") + name + TEXT(".txt");
    ASSERT_TRUE(WriteBytes(song, mp3::FileWithLyrics("at the root")));
    Export({song});
    EXPECT_EQ(ReadBytes(output), "at the root");
    DeleteFileW(song.c_str());
    DeleteFileW(output.c_str());
}

TEST_F(ExportTracksTest, OnlyMp3NamesWithoutTheEmptyFileOption)
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
    Export(inputs);
    for (const auto& row : rows) {
        EXPECT_EQ(FileExists(dir / Wide(row.output)), row.written) << row.input;
        if (row.written) {
            EXPECT_EQ(ReadBytes(dir / Wide(row.output)), row.input);
        }
    }
}

TEST_F(ExportTracksTest, EmptyFileOptionWritesForEveryFile)
{
    const WString cover = dir / TEXT("cover.jpg");
    const WString bare = dir / TEXT("bare.mp3");
    const WString empty = dir / TEXT("empty.mp3");
    ASSERT_TRUE(WriteBytes(cover, "\xFF\xD8\xFF\xE0 not really a picture"));
    ASSERT_TRUE(WriteBytes(bare, mp3::FileWithoutTag()));
    ASSERT_TRUE(WriteBytes(empty, mp3::FileWithLyrics("")));
    Export({cover, bare, empty});
    for (const char* name : {"cover.txt", "bare.txt", "empty.txt"})
        EXPECT_FALSE(FileExists(dir / Wide(name))) << name << " without the option";

    ASSERT_TRUE(WriteBytes(dir / TEXT("bare.txt"), "old text is truncated"));
    options.emptyFile = true;
    Export({cover, bare, empty});
    for (const char* name : {"cover.txt", "bare.txt", "empty.txt"}) {
        EXPECT_TRUE(FileExists(dir / Wide(name))) << name;
        EXPECT_EQ(ReadBytes(dir / Wide(name)), "") << name;
    }
}

// A command line of two adjacent double quotes gives an empty path.
TEST_F(ExportTracksTest, EmptyPathWithTheEmptyFileOptionWritesDotExtensionHere)
{
    ASSERT_TRUE(MakeFolder(dir / TEXT("Current")));
    CurrentFolder current(dir / TEXT("Current"));
    Export({WString()});
    EXPECT_FALSE(FileExists(dir / TEXT("Current\\.txt")));
    options.emptyFile = true;
    Export({WString()});
    EXPECT_TRUE(FileExists(dir / TEXT("Current\\.txt")));
    EXPECT_EQ(ReadBytes(dir / TEXT("Current\\.txt")), "");
}

TEST_F(ExportTracksTest, FoldersWithAndWithoutSubFolders)
{
    ASSERT_TRUE(MakeFolder(dir / TEXT("Album")));
    ASSERT_TRUE(MakeFolder(dir / TEXT("Album\\Disc2")));
    Mp3(TEXT("Album\\a.mp3"), "a");
    ASSERT_TRUE(WriteBytes(dir / TEXT("Album\\b.txt"), "notes"));
    Mp3(TEXT("Album\\Disc2\\c.mp3"), "c");
    Export({dir / TEXT("Album")});
    EXPECT_EQ(ReadBytes(dir / TEXT("Album\\a.txt")), "a");
    EXPECT_EQ(ReadBytes(dir / TEXT("Album\\b.txt")), "notes");
    EXPECT_FALSE(FileExists(dir / TEXT("Album\\Disc2\\c.txt")));

    options.subFolders = true;
    Export({dir / TEXT("Album\\")});
    EXPECT_EQ(ReadBytes(dir / TEXT("Album\\Disc2\\c.txt")), "c");
    EXPECT_EQ(ReadBytes(dir / TEXT("Album\\b.txt")), "notes");
}

TEST_F(ExportTracksTest, FixedNameKeepsTheLastLyrics)
{
    options.output.sameName = false;
    options.output.name = TEXT("out");
    Export({Mp3(TEXT("one.mp3"), "first and longer"), Mp3(TEXT("two.mp3"), "second")});
    EXPECT_EQ(ReadBytes(dir / TEXT("out.txt")), "second");
}

TEST_F(ExportTracksTest, TextInTheAnsiCodePageWithoutBomOrNul)
{
    CPINFO info = {};
    ASSERT_TRUE(GetCPInfo(CP_ACP, &info));
    const std::string unmappable(1, static_cast<char>(info.DefaultChar[0]));
    // A snowman exists in neither code page 1252 nor 932.
    Export({Mp3(TEXT("snow.mp3"), "A\xE2\x98\x83" "B"),
          Mp3(TEXT("lines.mp3"), "line one\r\nline two\n")});
    EXPECT_EQ(ReadBytes(dir / TEXT("snow.txt")), "A" + unmappable + "B") << "code page " << GetACP();
    EXPECT_EQ(ReadBytes(dir / TEXT("lines.txt")), "line one\r\nline two\n");
}

TEST_F(ExportTracksTest, OutputsThatCannotBeCreatedAreSkipped)
{
    options.emptyFile = true;
    ASSERT_TRUE(MakeFolder(dir / TEXT("blocked.txt")));
    Export({dir / TEXT("nowhere\\lost.mp3"), Mp3(TEXT("blocked.mp3"), "b"),
          Mp3(TEXT("fine.mp3"), "f")});
    EXPECT_FALSE(FileExists(dir / TEXT("nowhere")));
    EXPECT_EQ(GetFileAttributesW((dir / TEXT("blocked.txt")).c_str()) & FILE_ATTRIBUTE_DIRECTORY,
              static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
    EXPECT_EQ(ReadBytes(dir / TEXT("fine.txt")), "f");

    options.output.sameFolder = false;
    options.output.folder = dir / TEXT("missing");
    Export({dir / TEXT("fine.mp3")});
    EXPECT_FALSE(FileExists(dir / TEXT("missing")));
}

TEST_F(ExportTracksTest, NeverWritesOverItsInput)
{
    // Every way of naming the input as its own output: the extension "mp3"
    // with the input's folder and name, and the same file spelt in other
    // letter case through the typed folder or name.
    options.emptyFile = true;
    options.output.extension = TEXT("mp3");
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
        bool sameFolder, sameName;
        bool upperFolder, upperName;
    } spellings[] = {
        {"as given", true, true, false, false},
        {"folder in capitals", false, true, true, false},
        {"name in capitals", true, false, false, true},
    };
    for (const auto& spelling : spellings) {
        options.output.sameFolder = spelling.sameFolder;
        options.output.sameName = spelling.sameName;
        options.output.folder = spelling.upperFolder ? AsciiUpper(dir.Path()) : dir.Path();
        for (const auto& input : inputs) {
            const WString path = dir / Wide(input.name);
            ASSERT_TRUE(WriteBytes(path, input.bytes));
            options.output.name = AsciiUpper(Wide(input.name));
            Export({path});
            EXPECT_EQ(ReadBytes(path), input.bytes) << input.name << ", " << spelling.how;
        }
    }
}

// Hashes of every file are compared whole: an output may add files or
// rewrite an earlier output, never change an input or another MP3 file.
TEST_F(ExportTracksTest, OutputsNeverReplaceTracksOrOtherInputs)
{
    const WString in = dir / TEXT("in");
    const WString out = dir / TEXT("out");
    const struct {
        const char* extension;
        const char* fixedName;  // empty: named after the input
        bool emptyFile;
    } rows[] = {
        {"mp3", "", true},   {"mP3", "", false}, {"jpg", "", true},
        {"txt", "notes", true}, {"mp3", "other", true}, {"mp3", "other", false},
    };
    for (const auto& row : rows) {
        for (bool besideInput : {true, false}) {
            RemoveTree(in);
            RemoveTree(out);
            ASSERT_TRUE(MakeFolder(in) && MakeFolder(out));
            ASSERT_TRUE(WriteBytes(in + TEXT("\\song.mp3"), mp3::FileWithLyrics("sung")));
            ASSERT_TRUE(WriteBytes(in + TEXT("\\song.jpg"), "cover"));
            ASSERT_TRUE(WriteBytes(in + TEXT("\\notes.txt"), "notes"));
            ASSERT_TRUE(WriteBytes(in + TEXT("\\other.mp3"), mp3::FileWithoutTag()));
            ASSERT_TRUE(WriteBytes(out + TEXT("\\song.mp3"), "another track"));
            ASSERT_TRUE(WriteBytes(out + TEXT("\\other.MP3"), "yet another"));
            std::map<WString, std::string> before;
            for (const WString& folder : {in, out}) {
                for (const WString& name : NamesIn(folder))
                    before[folder + TEXT("\\") + name] = ReadBytes(folder + TEXT("\\") + name);
            }
            options.emptyFile = row.emptyFile;
            options.output = {besideInput, out, *row.fixedName == 0, Wide(row.fixedName),
                              Wide(row.extension)};

            Export({in});

            for (const auto& file : before) {
                const bool input = file.first.compare(0, in.size(), in) == 0;
                if (input || HasMp3Name(file.first)) {
                    EXPECT_EQ(ReadBytes(file.first), file.second)
                        << Utf8(file.first) << " ." << row.extension << " " << row.fixedName
                        << (besideInput ? " beside" : " elsewhere");
                }
            }
        }
    }
}

// What a run tells its user: each track counted once, in the right column,
// and each failure by kind and path. A snowman is in no code page covered.
TEST_F(ExportTracksTest, ReportsWhatBecameOfEachTrack)
{
    ASSERT_TRUE(MakeFolder(dir / TEXT("blocked.txt")));
    ASSERT_TRUE(WriteBytes(dir / TEXT("cover.jpg"), "cover"));
    const WString sung = Mp3(TEXT("sung.mp3"), "sung");
    const WString snow = Mp3(TEXT("snow.mp3"), "snow \xE2\x98\x83");
    Mp3(TEXT("silent.mp3"), "");
    Mp3(TEXT("blocked.mp3"), "blocked");
    const WString missing = dir / TEXT("missing.mp3");
    using F = ExportFailure;
    const struct {
        const char* what;
        bool emptyFile;
        const char* extension;
        WStringList paths;
        size_t exported, withoutLyrics;
        std::vector<std::pair<F::Kind, WString>> failures;
    } rows[] = {
        {"folder", false, "txt", {dir.Path()}, 2, 1, {{F::WriteOutput, dir / TEXT("blocked.txt")}}},
        {"named", false, "txt", {missing, sung}, 1, 0, {{F::OpenInput, missing}}},
        {"over a track", false, "mp3", {sung}, 0, 0, {{F::ReplacesTrack, sung}}},
        {"over an input", true, "jpg", {dir / TEXT("cover.mp3"), dir / TEXT("cover.jpg")}, 0, 1,
         {{F::OpenInput, dir / TEXT("cover.mp3")}, {F::ReplacesInput, dir / TEXT("cover.jpg")},
          {F::ReplacesInput, dir / TEXT("cover.jpg")}}},
    };
    for (const auto& row : rows) {
        options.emptyFile = row.emptyFile;
        options.output.extension = Wide(row.extension);
        const ExportReport report = Export(row.paths);
        EXPECT_EQ(report.exported, row.exported) << row.what;
        EXPECT_EQ(report.withoutLyrics, row.withoutLyrics) << row.what;
        EXPECT_EQ(report.ExitStatus(), row.failures.empty() ? 0 : 1) << row.what;
        ASSERT_EQ(report.failures.size(), row.failures.size()) << row.what;
        for (size_t i = 0; i < row.failures.size(); ++i) {
            EXPECT_EQ(report.failures[i].kind, row.failures[i].first) << row.what << " " << i;
            EXPECT_EQ(Utf8(report.failures[i].path), Utf8(row.failures[i].second)) << row.what;
            EXPECT_EQ(report.failures[i].error != 0, row.failures[i].first <= F::WriteOutput);
        }
    }
    EXPECT_EQ(ReadBytes(sung), mp3::FileWithLyrics("sung", 3, mp3::Encoding::Utf16));
    options.emptyFile = false;
    options.output.extension = TEXT("txt");
    const ExportReport lossy = Export({snow});
    ASSERT_EQ(lossy.lossy.size(), 1u);
    EXPECT_EQ(Utf8(lossy.lossy[0].path), Utf8(dir / TEXT("snow.txt")));
    EXPECT_EQ(lossy.lossy[0].loss.lost, 1u);
    const std::string told = Utf8(FormatReport(lossy));
    EXPECT_NE(told.find("snow.txt: 1 character not in code page "), std::string::npos) << told;
    EXPECT_EQ(told.substr(told.find('\n') + 1),
              "tagscribe: 1 exported, 0 without lyrics, 0 failed, 1 unchanged\n");
}

} // namespace
