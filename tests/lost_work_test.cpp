// The real program never loses work silently: an output never takes the
// place of a track or of another file it reads, and a disk that fills up or
// a kill leaves every output either complete or absent.
#include "tests/support/gtest.h"

#include "app/paths.h"
#include "tests/support/mp3_writer.h"
#include "tests/support/program.h"
#include "tests/support/small_disk.h"
#include "tests/support/temp_dir.h"
#include "vela/storage/archive.h"
#include "vela/storage/disk.h"

#include <windows.h>

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

// A batch killed while it writes over older outputs: each output is the old
// one or the new one, whole, and at most the one partial file remains.
TEST(LostWork, AKilledBatchLeavesEveryOutputOldOrNew)
{
    ProgramCopy program;
    TempDir dir;
    const std::string lyrics(32 * 1024, 'n');
    const std::string track = mp3::FileWithLyrics(lyrics, 3, mp3::Encoding::Latin1);
    for (int i = 0; i < 400; ++i) {
        ASSERT_TRUE(WriteBytes(dir / Wide("t" + std::to_string(i) + ".mp3"), track));
        ASSERT_TRUE(WriteBytes(dir / Wide("t" + std::to_string(i) + ".txt"), "old"));
    }
    {
        // Each output is renamed into place: woken by every name change in
        // the folder until the first output is new, the batch is killed.
        const HANDLE renames =
            FindFirstChangeNotificationW(dir.Path().c_str(), FALSE, FILE_NOTIFY_CHANGE_FILE_NAME);
        ASSERT_NE(renames, INVALID_HANDLE_VALUE);
        ChildRun run;  // killed when it goes out of scope
        const bool started = run.Start(program.Path(), Quoted(dir.Path()));
        const HANDLE events[] = {renames, run.Process()};
        while (started && ReadBytes(dir / TEXT("t0.txt")) == "old" &&
               WaitForMultipleObjects(2, events, FALSE, INFINITE) == WAIT_OBJECT_0)
            FindNextChangeNotification(renames);
        FindCloseChangeNotification(renames);
        ASSERT_TRUE(started);
        EXPECT_TRUE(run.Running()) << "the batch ended before it could be killed";
    }
    int partial = 0;
    for (const auto& file : Contents(dir.Path())) {
        partial += vela::IsPartialOutput(file.first);
        if (ExtensionOf(file.first) == TEXT(".txt")) {
            EXPECT_TRUE(file.second == "old" || file.second == lyrics) << Utf8(file.first);
        }
    }
    EXPECT_LE(partial, 1);
    EXPECT_EQ(NamesIn(dir.Path()).size(), 800u + partial);
}
