// The real program never loses work silently: an output never takes the
// place of a track or of another file it reads, and a disk that fills up
// leaves every output either complete or absent.
#include "tests/support/gtest.h"

#include "tests/support/mp3_writer.h"
#include "tests/support/program.h"
#include "tests/support/temp_dir.h"
#include "vela/storage/archive.h"

#include <windows.h>

#include <sys/mount.h>
#include <unistd.h>

#include <map>

namespace {

using Snapshot = std::map<WString, std::string>;

Snapshot Contents(const WString& folder)
{
    Snapshot files;
    for (const WString& name : NamesIn(folder))
        files[name] = ReadBytes(folder + TEXT("\\") + name);
    return files;
}

bool SaveOptions(const WString& settings, bool emptyFile, const WString& extension)
{
    vela::Archive archive(1);
    const INT32 state = emptyFile ? 1 : 0;
    archive.Child(TEXT("EmptyFile")).Value(TEXT("Check")) =
        vela::Bytes{BYTE(state), 0, 0, 0};
    archive.Child(TEXT("Extension")).SetString(TEXT("Text"), extension);
    return archive.SaveFile(settings);
}

// A tmpfs of `size` mounted over a folder for one test; unmounted however
// the test ends.
class SmallDisk {
public:
    SmallDisk(const WString& folder, const char* size)
    {
        char* unixPath = wine_get_unix_file_name(folder.c_str());
        if (unixPath == nullptr)
            return;
        path_ = unixPath;
        HeapFree(GetProcessHeap(), 0, unixPath);
        const std::string options = std::string("size=") + size;
        mounted_ = mount("tagscribe-full", path_.c_str(), "tmpfs", 0, options.c_str()) == 0;
    }
    ~SmallDisk()
    {
        if (mounted_)
            umount2(path_.c_str(), MNT_DETACH);
    }
    bool Mounted() const { return mounted_; }

private:
    std::string path_;
    bool mounted_ = false;
};

} // namespace

// A folder holding a cover and a track of one name, exported with the
// extension "mp3" and empty files on: the cover's empty output used to
// replace the track.
TEST(LostWork, AnOutputNeverReplacesATrackOrAnotherInput)
{
    ProgramCopy program;
    ASSERT_FALSE(program.Path().empty());
    const struct {
        const char* extension;
    } rows[] = {{"mp3"}, {"MP3"}, {"jpg"}};
    for (const auto& row : rows) {
        ASSERT_TRUE(SaveOptions(program.SettingsPath(), true, Wide(row.extension)));
        TempDir dir;
        ASSERT_TRUE(WriteBytes(dir / TEXT("song.jpg"), std::string("\xFF\xD8\xFF\xE0 cover", 10)));
        ASSERT_TRUE(WriteBytes(dir / TEXT("song.mp3"), mp3::FileWithLyrics("song lyrics")));
        ASSERT_TRUE(WriteBytes(dir / TEXT("quiet.MP3"), mp3::FileWithoutTag()));
        const Snapshot before = Contents(dir.Path());

        const RunResult run = RunProgram(program.Path(), Quoted(dir.Path()));

        EXPECT_EQ(run.exitCode, 1u) << row.extension;  // each refusal is a failure
        for (const auto& file : before)
            EXPECT_TRUE(ReadBytes(dir / file.first) == file.second) << Utf8(file.first) << ", ." << row.extension;
    }
}

// Root only: a 1 MiB tmpfs holds the tracks (20 KB each on it) and room for
// a dozen of their 16 KB lyrics files.
TEST(LostWork, AFullDiskLeavesEveryOutputCompleteOrAbsent)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "mounting a small file system needs root";
    ProgramCopy program;
    ASSERT_FALSE(program.Path().empty());
    TempDir dir;
    SmallDisk disk(dir.Path(), "1m");
    ASSERT_TRUE(disk.Mounted());
    const std::string lyrics(16 * 1024, 'l');
    const std::string track = mp3::FileWithLyrics(lyrics, 3, mp3::Encoding::Latin1);
    const int tracks = 40;
    for (int i = 0; i < tracks; ++i)
        ASSERT_TRUE(WriteBytes(dir / Wide("t" + std::to_string(i) + ".mp3"), track)) << i;

    const RunResult run = RunProgram(program.Path(), Quoted(dir.Path()));

    EXPECT_EQ(run.exitCode, 1u);  // the outputs that did not fit failed
    int complete = 0;
    int absent = 0;
    for (int i = 0; i < tracks; ++i) {
        const WString name = Wide("t" + std::to_string(i));
        EXPECT_EQ(ReadBytes(dir / (name + TEXT(".mp3"))), track) << i;
        if (!FileExists(dir / (name + TEXT(".txt")))) {
            ++absent;
            continue;
        }
        EXPECT_EQ(ReadBytes(dir / (name + TEXT(".txt"))), lyrics) << i;
        ++complete;
    }
    // Both kinds, or the disk never filled up and nothing was shown.
    EXPECT_GT(complete, 0);
    EXPECT_GT(absent, 0);
}
