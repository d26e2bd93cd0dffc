#include "tests/support/gtest.h"
#include "tests/support/each_disk.h"
#include "tests/support/small_disk.h"
#include "tests/support/temp_dir.h"
#include "tests/support/unix_path.h"
#include "vela/media/directory_list.h"
#include "vela/storage/file.h"
#include "vela/storage/output_file.h"
#include "vela/storage/win32_output.h"

#ifdef __WINE__
#include "vela/storage/wine/ownership.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <functional>
#include <string>
#include <vector>

namespace {

using vela::DirectoryList;
using vela::File;

std::vector<WString> Names(const WString& folder)
{
    std::vector<WString> names;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((folder + TEXT("\\*")).c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return names;
    do {
        WString name = data.cFileName;
        if (name != TEXT(".") && name != TEXT(".."))
            names.push_back(name);
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return names;
}

// Everything a search reports, for comparing one disk with another.
std::string Describe(const DirectoryList& list)
{
    std::string text;
    for (const auto* entries : {&list.files, &list.folders}) {
        for (const vela::DirectoryEntry& entry : *entries)
            text += Utf8(entry.path) + " " + std::to_string(entry.lastWriteTime) + " " +
                    std::to_string(entry.size) + "\n";
        text += "--\n";
    }
    return text;
}

// Puts a disk in use while it lives.
class DiskInUse {
public:
    explicit DiskInUse(vela::Disk& disk) : previous_(vela::CurrentDisk()) { vela::UseDisk(disk); }
    ~DiskInUse() { vela::UseDisk(previous_); }

private:
    vela::Disk& previous_;
};

DirectoryList SearchOn(vela::Disk& disk, const WString& folder)
{
    DiskInUse use(disk);
    DirectoryList list;
    list.Search(folder, TEXT("*.*"), true);
    return list;
}

// Whether Win32's own route opens path for writing: what the others must do.
bool Win32Writes(const WString& path)
{
    DiskInUse use(vela::Win32Disk());
    File file;
    return file.Open(path, File::WriteMode);
}

class DiskWrite : public EachDisk {
protected:
    TempDir dir;
};

// The general way of writing a file and the export's outputs must meet names
// alike: File::WriteMode, and WriteOutput with nothing to protect.
enum Route { ByFile, AsOutput };
const Route kRoutes[] = {ByFile, AsOutput};

bool WriteVia(Route route, const WString& path, const std::string& bytes)
{
    if (route == AsOutput)
        return vela::WriteOutput(path, nullptr, vela::Existing::Replace, bytes) ==
               vela::OutputResult::Written;
    File file;
    return file.Open(path, File::WriteMode) &&
           file.Write(bytes.data(), static_cast<DWORD>(bytes.size())) == bytes.size();
}

// Wine matches names regardless of letter case: writing song.txt where
// song.TXT exists must empty that file, not add a second one.
TEST_P(DiskWrite, WritingTruncatesAFileWhoseNameDiffersInCaseOnly)
{
    struct Case {
        const char* existing;
        const char* written;
    } cases[] = {{"song.TXT", "song.txt"}, {"SONG.txt", "song.txt"}, {"曲Ä.txt", "曲ä.TXT"},
                 {"same.txt", "same.txt"}};
    for (Route mode : kRoutes) {
        for (const Case& c : cases) {
            TempDir folder;
            ASSERT_TRUE(WriteBytes(folder / Wide(c.existing), "old contents"));
            ASSERT_TRUE(WriteVia(mode, folder / Wide(c.written), "new")) << c.written << " " << mode;
            EXPECT_EQ(Names(folder.Path()), std::vector<WString>{Wide(c.existing)})
                << c.written << " " << mode;
            EXPECT_EQ(ReadBytes(folder / Wide(c.existing)), "new") << c.written << " " << mode;
        }
    }
}

// Many new files in one folder, each then written again under another case,
// the second time in the other write mode.
TEST_P(DiskWrite, ManyNewFilesThenRewrittenInOtherCase)
{
    for (Route created : kRoutes) {
        const Route rewritten = created == ByFile ? AsOutput : ByFile;
        TempDir folder;
        for (int i = 0; i < 50; ++i)
            ASSERT_TRUE(WriteVia(created, folder / Wide("t" + std::to_string(i) + ".txt"), "x"));
        for (int i = 0; i < 50; i += 7)
            ASSERT_TRUE(WriteVia(rewritten, folder / Wide("T" + std::to_string(i) + ".TXT"), "yy"));
        EXPECT_EQ(Names(folder.Path()).size(), 50u) << created;
        EXPECT_EQ(ReadBytes(folder / TEXT("t49.txt")), "yy") << created;
        EXPECT_EQ(ReadBytes(folder / TEXT("t48.txt")), "x") << created;
    }
}

TEST_P(DiskWrite, FailuresLeaveTheFileClosed)
{
    ASSERT_TRUE(MakeFolder(dir / TEXT("folder")));
    ASSERT_TRUE(WriteBytes(dir / TEXT("locked.txt"), "keep"));
    ASSERT_TRUE(SetFileAttributesW((dir / TEXT("locked.txt")).c_str(), FILE_ATTRIBUTE_READONLY));
    struct Case {
        const char* name;
        WString path;
        int mode;
    } cases[] = {
        {"a folder", dir / TEXT("folder"), File::WriteMode},
        {"a folder, reading", dir / TEXT("folder"), File::ReadMode},
        {"missing folder", dir / TEXT("none\\x.txt"), File::WriteMode},
        {"missing file", dir / TEXT("none.txt"), File::ReadMode},
        {"wildcard", dir / TEXT("a*.txt"), File::WriteMode},
        {"relative and missing", TEXT("no-such-folder\\x.txt"), File::WriteMode},
    };
    for (const Case& c : cases) {
        File file;
        SetLastError(0);
        EXPECT_FALSE(file.Open(c.path, c.mode)) << c.name;
        EXPECT_NE(GetLastError(), 0u) << c.name;
        EXPECT_FALSE(file.IsOpen()) << c.name;
    }
    EXPECT_EQ(Names(dir.Path()).size(), 2u) << "nothing created by the failures";

    // Wine lets root write a read-only file, whatever it does both agree; an
    // output never replaces one.
    const bool expected = Win32Writes(dir / TEXT("locked.txt"));
    for (Route mode : kRoutes) {
        const WString locked = dir / Wide("locked-" + std::to_string(mode) + ".txt");
        ASSERT_TRUE(WriteBytes(locked, "keep"));
        ASSERT_TRUE(SetFileAttributesW(locked.c_str(), FILE_ATTRIBUTE_READONLY));
        const bool written = mode == ByFile && expected;
        EXPECT_EQ(WriteVia(mode, locked, ""), written) << mode;
        EXPECT_EQ(ReadBytes(locked), written ? "" : "keep") << mode;
        SetFileAttributesW(locked.c_str(), FILE_ATTRIBUTE_NORMAL);
    }
    SetFileAttributesW((dir / TEXT("locked.txt")).c_str(), FILE_ATTRIBUTE_NORMAL);
}

// An output that cannot be written fails with the error Win32 gives for it,
// and leaves nothing behind.
TEST_P(DiskWrite, OutputFailuresGiveWin32sErrors)
{
    ASSERT_TRUE(MakeFolder(dir / TEXT("folder")));
    ASSERT_TRUE(MakeFolder(dir / TEXT("Upper.TXT")));
    ASSERT_TRUE(WriteBytes(dir / TEXT("file.txt"), "keep"));
    const struct {
        const char* name;
        WString path;
    } cases[] = {
        {"a folder", dir / TEXT("folder")},
        {"a folder in other letter case", dir / TEXT("upper.txt")},
        {"missing folder", dir / TEXT("none\\x.txt")},
        {"a file as the folder", dir / TEXT("file.txt\\x.txt")},
        {"wildcard", dir / TEXT("a*.txt")},
        {"trailing backslash", dir / TEXT("new.txt\\")},
        {"empty", WString()},
    };
    for (const auto& c : cases) {
        SetLastError(0);
        ASSERT_FALSE(vela::Win32Disk().OpenFile(c.path, true)) << c.name;
        const DWORD expected = GetLastError();
        SetLastError(0);
        EXPECT_EQ(vela::CurrentDisk().WriteOutput(c.path, nullptr, vela::Existing::Replace, "x"),
                  vela::OutputResult::Failed)
            << c.name;
        EXPECT_EQ(GetLastError(), expected) << c.name;
    }
    EXPECT_EQ(Names(dir.Path()),
              (std::vector<WString>{TEXT("file.txt"), TEXT("folder"), TEXT("Upper.TXT")}));
    EXPECT_EQ(ReadBytes(dir / TEXT("file.txt")), "keep");
}

// Around the 260-character limit both disks must agree, whatever Wine does.
TEST_P(DiskWrite, PathsAroundTheLengthLimitBehaveAsWin32)
{
    WString folder = dir.Path();
    while (folder.size() < 230)
        folder += TEXT("\\") + WString(20, WCHAR('d'));
    ASSERT_TRUE(CreateDirectoryW(folder.substr(0, dir.Path().size() + 21).c_str(), nullptr));
    for (size_t at = dir.Path().size() + 22; at < folder.size(); at += 21)
        CreateDirectoryW(folder.substr(0, at + 20).c_str(), nullptr);
    for (size_t length = 255; length <= 265; ++length) {
        const WString path = folder + TEXT("\\") + WString(length - folder.size() - 1, WCHAR('f'));
        const bool expected = Win32Writes(path);
        DeleteFileW(path.c_str());
        for (Route mode : kRoutes) {
            EXPECT_EQ(WriteVia(mode, path, ""), expected) << length << " " << mode;
            DeleteFileW(path.c_str());
        }
    }
}

// An output is refused, with nothing touched, when it is its source file
// however it is spelt; any other file of that name is emptied.
TEST_P(DiskWrite, AnOutputThatIsItsSourceIsRefused)
{
    ASSERT_TRUE(MakeFolder(dir / TEXT("sub")));
    const WString song = dir / TEXT("Song.mp3");
    const WString other = dir / TEXT("Other.mp3");
    const struct {
        const char* name;
        WString source, output;
        bool refused;
    } rows[] = {
        {"itself", song, song, true},
        {"letter case", song, AsciiUpper(song), true},
        {"dot segments", song, dir / TEXT("sub\\..\\.\\Song.mp3"), true},
        {"equal bytes in another file", song, other, false},
        {"missing output", song, dir / TEXT("Song.txt"), false},
        {"missing source", dir / TEXT("gone.mp3"), dir / TEXT("gone.txt"), false},
        {"no source", WString(), AsciiUpper(other), false},
    };
    for (const auto& row : rows) {
        ASSERT_TRUE(WriteBytes(song, "track"));
        ASSERT_TRUE(WriteBytes(other, "track"));  // same bytes, another file
        SetLastError(0);
        const auto source = vela::CurrentDisk().OpenTrack(row.source);
        const bool written = vela::WriteOutput(row.output, source.get(), vela::Existing::Replace,
                                               "") == vela::OutputResult::Written;
        EXPECT_EQ(written, !row.refused) << row.name;
        if (row.refused) {
            EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION)) << row.name;
        }
        EXPECT_EQ(ReadBytes(song), "track") << row.name;
        if (!row.refused) {
            EXPECT_TRUE(FileExists(row.output) && ReadBytes(row.output).empty()) << row.name;
        }
    }
}

// The same file reached by a hard link. (A file held by someone who lets
// others write but not read cannot be opened as a track on Win32 at all.)
TEST_P(DiskWrite, AnOutputReachedAnotherWayIsStillItsSource)
{
    const WString song = dir / TEXT("Song.mp3");
    ASSERT_TRUE(WriteBytes(song, "track"));
    const WString link = dir / TEXT("link.mp3");
    const auto source = vela::CurrentDisk().OpenTrack(song);
    ASSERT_TRUE(source);
    const auto write = [&](const WString& output) {
        return vela::WriteOutput(output, source.get(), vela::Existing::Replace, "");
    };
    if (CreateHardLinkW(link.c_str(), song.c_str(), nullptr)) {
        EXPECT_EQ(write(AsciiUpper(link)), vela::OutputResult::Failed);
    }
    EXPECT_EQ(write(AsciiUpper(song)), vela::OutputResult::Failed);
    EXPECT_EQ(ReadBytes(song), "track");
}

// Keeping existing files: an output is made only under a name that no file
// or folder holds in any letter case.
TEST_P(DiskWrite, KeepingExistingFilesMakesOnlyNewNames)
{
    ASSERT_TRUE(WriteBytes(dir / TEXT("Song.TXT"), "old"));
    ASSERT_TRUE(MakeFolder(dir / TEXT("Folder.txt")));
    const struct {
        const char* name;
        const char* output;
        bool made;
    } rows[] = {
        {"the same name", "Song.TXT", false},
        {"another letter case", "sONG.txt", false},
        {"a folder", "FOLDER.TXT", false},
        {"a new name", "new.txt", true},
        {"the new name again", "NEW.TXT", false},
    };
    for (const auto& row : rows) {
        SetLastError(0);
        EXPECT_EQ(vela::WriteOutput(dir / Wide(row.output), nullptr, vela::Existing::Keep, "x"),
                  row.made ? vela::OutputResult::Written : vela::OutputResult::Failed)
            << row.name;
        if (!row.made) {
            EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_EXISTS)) << row.name;
        }
    }
    EXPECT_EQ(Names(dir.Path()),
              (std::vector<WString>{TEXT("Folder.txt"), TEXT("new.txt"), TEXT("Song.TXT")}));
    EXPECT_EQ(ReadBytes(dir / TEXT("Song.TXT")), "old");
    EXPECT_EQ(ReadBytes(dir / TEXT("new.txt")), "x");
}

// An output's Check says what its Write then does, and touches nothing.
TEST_P(DiskWrite, CheckingAnOutputForetellsItsWrite)
{
    using vela::OutputResult;
    const WString song = dir / TEXT("Song.mp3");
    const struct {
        const char* name;
        WString output;
        const char* before;  // the output's bytes, if any
        vela::Existing existing;
        OutputResult result;
        DWORD error;
    } rows[] = {
        {"new", dir / TEXT("new.txt"), nullptr, vela::Existing::Keep, OutputResult::Written, 0},
        {"replaced", dir / TEXT("OLD.txt"), "old", vela::Existing::Replace, OutputResult::Written, 0},
        {"unchanged", dir / TEXT("same.txt"), "new", vela::Existing::Replace,
         OutputResult::Unchanged, 0},
        {"kept", dir / TEXT("KEPT.txt"), "old", vela::Existing::Keep, OutputResult::Failed,
         ERROR_FILE_EXISTS},
        {"the source", AsciiUpper(song), "track", vela::Existing::Replace, OutputResult::Failed,
         ERROR_SHARING_VIOLATION},
        {"no folder", dir / TEXT("none\\x.txt"), nullptr, vela::Existing::Replace,
         OutputResult::Failed, ERROR_PATH_NOT_FOUND},
    };
    for (const auto& row : rows) {
        if (row.before) {
            ASSERT_TRUE(WriteBytes(row.output, row.before));
        }
    }
    const auto source = vela::CurrentDisk().OpenTrack(song);
    for (const auto& row : rows) {
        const WStringList names = NamesIn(dir.Path());
        const auto output = vela::CurrentDisk().FindOutput(row.output);
        EXPECT_EQ(output->Exists(), row.before != nullptr) << row.name;
        SetLastError(0);
        EXPECT_EQ(output->Check(source.get(), row.existing, "new"), row.result) << row.name;
        EXPECT_EQ(GetLastError(), row.error ? row.error : GetLastError()) << row.name;
        EXPECT_EQ(NamesIn(dir.Path()), names) << row.name;
        EXPECT_EQ(ReadBytes(row.output), row.before ? row.before : "") << row.name;
        SetLastError(0);
        EXPECT_EQ(output->Write(source.get(), row.existing, "new"), row.result) << row.name;
        EXPECT_EQ(GetLastError(), row.error ? row.error : GetLastError()) << row.name;
    }
}

// A track opens in any letter case, but never a folder.
TEST_P(DiskWrite, TracksOpenRegularFilesOnly)
{
    ASSERT_TRUE(WriteBytes(dir / TEXT("Track.mp3"), "ID3"));
    ASSERT_TRUE(MakeFolder(dir / TEXT("folder.mp3")));
    const struct {
        const char* name;
        WString path;
        bool opens;
    } rows[] = {
        {"as spelt", dir / TEXT("Track.mp3"), true},
        {"another letter case", dir / TEXT("tRACK.MP3"), true},
        {"dot segments", dir / TEXT("folder.mp3\\..\\Track.mp3"), true},
        {"a folder", dir / TEXT("folder.mp3"), false},
        {"missing", dir / TEXT("none.mp3"), false},
        {"a NUL inside", dir / TEXT("Track.mp3") + WString(1, 0) + TEXT("x"), false},
        {"empty", WString(), false},
    };
    for (const auto& row : rows) {
        const auto track = vela::CurrentDisk().OpenTrack(row.path);
        EXPECT_EQ(track != nullptr, row.opens) << row.name;
        if (!track)
            continue;
        char bytes[4] = {};
        EXPECT_EQ(track->ReadAt(1, bytes, 3), 2) << row.name << ": to the end, no further";
        EXPECT_STREQ(bytes, "D3") << row.name;
        EXPECT_EQ(track->Size(), 3u) << row.name;
    }
}

#ifdef __WINE__

// An output is complete or absent whenever the process stops. A write that
// fails between create and rename (a full disk) leaves the old file or
// nothing; the partial file a killed run leaves is never listed, and the next
// write replaces it; an output that holds the bytes already keeps its time.
TEST_P(DiskWrite, OutputsAreCompleteOrAbsent)
{
    const SmallDisk full(dir.Path(), "64k");  // mounting one needs root
    const std::string big(128 * 1024, 'b');
    const WString output = dir / TEXT("song.txt");
    const FILETIME old = {0, 30000000};  // long ago
    using vela::OutputResult;
    const struct {
        const char *name, *before, *partial;  // the output's bytes and a leftover, if any
        std::string bytes;
        OutputResult result;
        const char* after;
    } rows[] = {
        {"new, the disk fills up", nullptr, nullptr, big, OutputResult::Failed, nullptr},
        {"old, the disk fills up", "old", nullptr, big, OutputResult::Failed, "old"},
        {"left by a killed run", "old", "ol", "new", OutputResult::Written, "new"},
        {"unchanged", "same", nullptr, "same", OutputResult::Unchanged, "same"},
        {"another text of that size", "same", nullptr, "SAME", OutputResult::Written, "SAME"},
    };
    for (const auto& row : rows) {
        if (row.bytes == big && !full.Mounted())
            continue;
        HANDLE file = row.before && WriteBytes(output, row.before)
                          ? CreateFileW(output.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr,
                                        OPEN_EXISTING, 0, nullptr)
                          : INVALID_HANDLE_VALUE;
        SetFileTime(file, nullptr, nullptr, &old);
        CloseHandle(file);
        if (row.partial && WriteBytes(output + vela::kPartialSuffix, row.partial)) {
            EXPECT_EQ(DirectoryList().Search(dir.Path(), TEXT("*.*"), false), 1u) << row.name;
        }
        EXPECT_EQ(vela::WriteOutput(output, nullptr, vela::Existing::Replace, row.bytes),
                  row.result) << row.name;
        EXPECT_EQ(NamesIn(dir.Path()).size(), row.after ? 1u : 0u) << row.name;
        EXPECT_EQ(ReadBytes(output), row.after ? row.after : "") << row.name;
        WIN32_FILE_ATTRIBUTE_DATA data = {};
        GetFileAttributesExW(output.c_str(), GetFileExInfoStandard, &data);
        EXPECT_EQ(CompareFileTime(&data.ftLastWriteTime, &old) == 0,
                  row.before && row.result != OutputResult::Written) << row.name;
        DeleteFileW(output.c_str());
    }
}

// Links that only Unix can make: a symbolic link leads to its source.
TEST_P(DiskWrite, AnOutputLinkedToItsSourceIsRefused)
{
    const WString song = dir / TEXT("Song.mp3");
    ASSERT_TRUE(WriteBytes(song, "track"));
    ASSERT_EQ(symlink("Song.mp3", (UnixPath(dir.Path()) + "/soft.mp3").c_str()), 0);
    const auto source = vela::CurrentDisk().OpenTrack(song);
    EXPECT_EQ(vela::WriteOutput(dir / TEXT("SOFT.mp3"), source.get(), vela::Existing::Replace, ""),
              vela::OutputResult::Failed);
    EXPECT_EQ(ReadBytes(song), "track");
}

// What the user set on an output stays when it is replaced: its permissions,
// its group and owner (these as root only), a symbolic link to it; an output
// that other hard links share is refused, and so is a link that names
// nothing or names a folder.
TEST_P(DiskWrite, AReplacedOutputKeepsWhatTheUserSet)
{
    const std::string output = UnixPath(dir.Path()) + "/out.txt";
    const std::string stored = UnixPath(dir.Path()) + "/store/out.txt";
    ASSERT_TRUE(MakeFolder(dir / TEXT("store")));
    const struct {
        const char* name;
        const char* link;  // what out.txt links to; null: a file of its own
        bool hard, otherOwner;  // another owner and group: root only
        mode_t mode;
        DWORD error;  // 0: written
    } rows[] = {
        {"private", nullptr, false, false, 0600, 0},
        {"shared with a group", nullptr, false, true, 0664, 0},
        {"symbolic link", "store/out.txt", false, false, 0640, 0},
        {"hard link", nullptr, true, false, 0644, vela::kErrorHardLinked},
        {"dangling link", "store/none.txt", false, false, 0644, ERROR_FILE_NOT_FOUND},
        {"link to a folder", "store", false, false, 0644, ERROR_ACCESS_DENIED},
    };
    // Wine 8's MoveFileExW, even without MOVEFILE_REPLACE_EXISTING, renames
    // over a link that names nothing, which on Windows holds the name.
    const bool win32 = GetParam().disk == &vela::Win32Disk();
    for (const auto& row : rows) {
        if ((row.otherOwner && geteuid() != 0) || (row.error == ERROR_FILE_NOT_FOUND && win32))
            continue;
        ASSERT_TRUE(WriteBytes(dir / TEXT("store\\out.txt"), "old"));
        ASSERT_TRUE(row.link ? symlink(row.link, output.c_str()) == 0
                    : row.hard ? link(stored.c_str(), output.c_str()) == 0
                               : WriteBytes(dir / TEXT("out.txt"), "old")) << row.name;
        const std::string& file = row.link ? stored : output;
        ASSERT_EQ(chmod(file.c_str(), row.mode), 0) << row.name;
        if (row.otherOwner) {
            ASSERT_EQ(chown(file.c_str(), 65534, 65534), 0) << row.name;
        }
        struct stat before = {}, after = {}, shown = {};
        stat(file.c_str(), &before);
        SetLastError(0);
        // The Win32 route as the Wine disk takes it: with the Unix ownership
        // that the Win32 calls cannot carry.
        const auto found = win32 ? vela::FindWin32Output(dir / TEXT("OUT.txt"), vela::KeepOwnership)
                                 : vela::FindOutput(dir / TEXT("OUT.txt"));
        EXPECT_EQ(vela::WriteOutput(*found, nullptr, vela::Existing::Replace, "new"),
                  row.error ? vela::OutputResult::Failed : vela::OutputResult::Written) << row.name;
        EXPECT_EQ(GetLastError(), row.error ? row.error : GetLastError()) << row.name;
        lstat(output.c_str(), &shown);
        EXPECT_EQ(S_ISLNK(shown.st_mode), row.link != nullptr) << row.name;
        EXPECT_EQ(ReadBytes(dir / TEXT("store\\out.txt")), row.link && !row.error ? "new" : "old")
            << row.name;
        EXPECT_TRUE(stat(file.c_str(), &after) == 0 && after.st_mode == before.st_mode &&
                    after.st_uid == before.st_uid && after.st_gid == before.st_gid) << row.name;
        unlink(output.c_str());
        EXPECT_EQ(NamesIn(dir / TEXT("store")), WStringList{TEXT("out.txt")}) << row.name;
    }
}

// A symbolic link at an output's name is followed only when this user owns
// it or its owner owns what it names, at every link on the way; a link at
// the partial file's name is never followed. Another user's links are made
// as root (lchown). Win32 follows links as Windows does, and Wine 8's
// DeleteFileW on a link removes the file it names, which the Wine disk
// spares it.
TEST_P(DiskWrite, OnlyTrustedLinksAreFollowed)
{
    const std::string folder = UnixPath(dir.Path());
    const std::string victim = folder + "/victim", out = folder + "/out.txt";
    const uid_t other = 65534;
    const struct {
        const char* name;
        std::vector<std::pair<const char*, const char*>> links;  // made in this order
        std::vector<const char*> others;  // owned by `other`; "victim" the file
        DWORD error;  // 0: written, through the links
    } rows[] = {
        {"own link", {{"out.txt", "victim"}}, {}, 0},
        {"own link through own", {{"mid", "victim"}, {"out.txt", "mid"}}, {}, 0},
        {"another's link", {{"out.txt", "victim"}}, {"out.txt"}, vela::kErrorForeignLink},
        {"another's link to their file", {{"out.txt", "victim"}}, {"out.txt", "victim"}, 0},
        {"own link through another's", {{"mid", "victim"}, {"out.txt", "mid"}}, {"mid"},
         vela::kErrorForeignLink},
        {"another's folder link on the way", {{"dir", "."}, {"out.txt", "dir/victim"}}, {"dir"},
         vela::kErrorForeignLink},
        {"a link at the partial file's name", {{"out.txt.tagscribe-partial", "victim"}}, {}, 0},
    };
    const bool win32 = GetParam().disk == &vela::Win32Disk();
    for (const auto& row : rows) {
        const bool partial = row.links.back().first != std::string("out.txt");
        if ((!row.others.empty() && geteuid() != 0) || (win32 && (row.error || partial)))
            continue;
        ASSERT_TRUE(WriteBytes(dir / TEXT("victim"), "victim's"));
        for (const auto& link : row.links)
            ASSERT_EQ(symlink(link.second, (folder + "/" + link.first).c_str()), 0) << row.name;
        for (const char* name : row.others)
            ASSERT_EQ(lchown((folder + "/" + name).c_str(), other, other), 0) << row.name;
        SetLastError(0);
        EXPECT_EQ(vela::WriteOutput(dir / TEXT("out.txt"), nullptr, vela::Existing::Replace, "new"),
                  row.error ? vela::OutputResult::Failed : vela::OutputResult::Written) << row.name;
        EXPECT_EQ(GetLastError(), row.error ? row.error : GetLastError()) << row.name;
        EXPECT_EQ(ReadBytes(dir / TEXT("victim")), partial || row.error ? "victim's" : "new")
            << row.name;
        struct stat shown = {};
        EXPECT_TRUE(lstat(out.c_str(), &shown) == 0 && S_ISLNK(shown.st_mode) == !partial)
            << row.name;
        for (const WString& name : NamesIn(dir.Path()))
            DeleteFileW((dir / name).c_str());
        for (const auto& link : row.links)
            unlink((folder + "/" + link.first).c_str());
    }
}
#endif

INSTANTIATE_ON_EACH_DISK(DiskWrite);

// The same tree searched through each disk gives the same paths, times and
// sizes in the same order: Wine sorts names case-insensitively, then by code.
TEST(DiskSearch, EveryDiskListsAsWin32Does)
{
    TempDir dir;
    const char* files[] = {"b.mp3", "A.mp3", "_x", "Zeta", "10", "2", "ä.mp3", "Äb", "歌.mp3",
                           "Ω", ".dot", "a b.mp3", "a.b.c", "[1].mp3", "x."};
    for (const char* name : files)
        ASSERT_TRUE(WriteBytes(dir / Wide(name), name));
    for (const char* name : {"sub", "Sub2", ".hidden", "空", "odd"}) {
        ASSERT_TRUE(MakeFolder(dir / Wide(name)));
        ASSERT_TRUE(WriteBytes(dir / Wide(name) + TEXT("\\in.mp3"), "in"));
    }
    // A name that Wine may match as a short name sends its folder to Win32.
    ASSERT_TRUE(WriteBytes(dir / TEXT("odd\\z~1.mp3"), "short"));
    const std::string reference = Describe(SearchOn(vela::Win32Disk(), dir.Path()));
    for (const DiskChoice& choice : AllDisks()) {
        EXPECT_EQ(Describe(SearchOn(*choice.disk, dir.Path())), reference) << choice.name;
        EXPECT_EQ(Describe(SearchOn(*choice.disk, dir.Path() + TEXT("\\"))), reference)
            << choice.name;
    }
}

#ifdef __WINE__

// Entries that only Unix can make: a dangling link, which Wine leaves out,
// a link to a folder, names differing in case only, and names whose bytes
// are not UTF-8 or are UTF-8 only for a loose decoder.
TEST(DiskSearch, UnixOnlyEntriesListAsWin32Does)
{
    TempDir dir;
    const std::string folder = UnixPath(dir.Path());
    ASSERT_FALSE(folder.empty());
    ASSERT_TRUE(MakeFolder(dir / TEXT("real")));
    ASSERT_TRUE(WriteBytes(dir / TEXT("real\\r.mp3"), "r"));
    ASSERT_EQ(symlink("real", (folder + "/linked").c_str()), 0);
    ASSERT_EQ(symlink("nowhere", (folder + "/dangling").c_str()), 0);
    for (const char* name : {"/Case", "/case", "/CASE"})
        close(open((folder + name).c_str(), O_WRONLY | O_CREAT, 0666));
    const std::string reference = Describe(SearchOn(vela::Win32Disk(), dir.Path()));
    EXPECT_EQ(Describe(SearchOn(vela::WineDisk(), dir.Path())), reference);

    // One at a time, each beside the rest: the last three are not UTF-8
    // though a loose decoder would take them.
    const struct {
        const char* what;
        const char* name;
    } odd[] = {
        {"a byte that is never UTF-8", "/bad\xFF.mp3"},
        {"a character beyond the 16-bit range", "/note\xF0\x9F\x8E\xB5.mp3"},
        {"a sequence cut short", "/cut\xE3\x81.mp3"},
        {"an overlong slash", "/long\xC0\xAF.mp3"},
        {"an encoded surrogate", "/half\xED\xA0\x80.mp3"},
        {"a code point past U+10FFFF", "/far\xF4\x90\x80\x80.mp3"},
    };
    for (const auto& c : odd) {
        close(open((folder + c.name).c_str(), O_WRONLY | O_CREAT, 0666));
        EXPECT_EQ(Describe(SearchOn(vela::WineDisk(), dir.Path())),
                  Describe(SearchOn(vela::Win32Disk(), dir.Path())))
            << c.what;
        unlink((folder + c.name).c_str());
    }
}

// Sets a folder's modification time, as a file system whose clock ticks
// coarsely leaves it when a change falls in the same tick.
void SetFolderTime(const std::string& folder, const timespec& time)
{
    const timespec times[2] = {{0, UTIME_OMIT}, time};
    ASSERT_EQ(utimensat(AT_FDCWD, folder.c_str(), times, 0), 0);
}

// A name that another program adds in other letters right after the folder
// was read, with no wait, is still found: the output empties it rather than
// making a second file. The folder's time is held in one clock tick, ahead
// of the read, as a coarse clock would leave it.
TEST(DiskSearch, UnixIndexSeesNamesAddedRightAfterItWasRead)
{
    DiskInUse use(vela::WineDisk());
    const std::function<void(const WString&)> reads[] = {
        [](const WString& folder) {
            File probe;
            EXPECT_FALSE(probe.Open(folder + TEXT("\\probe.txt"), File::ReadMode));
        },
        [](const WString& folder) { DirectoryList().Search(folder, TEXT("*.*"), false); },
    };
    for (Route mode : kRoutes) {
        for (const auto& read : reads) {
            TempDir dir;
            const std::string folder = UnixPath(dir.Path());
            timespec tick;
            clock_gettime(CLOCK_REALTIME, &tick);
            tick.tv_sec += 5;
            SetFolderTime(folder, tick);
            read(dir.Path());
            const int fd = open((folder + "/SONG.TXT").c_str(), O_WRONLY | O_CREAT, 0666);
            ASSERT_GE(fd, 0);
            close(fd);
            SetFolderTime(folder, tick);
            ASSERT_TRUE(WriteVia(mode, dir / TEXT("song.txt"), "new"));
            EXPECT_EQ(Names(dir.Path()), std::vector<WString>{TEXT("SONG.TXT")}) << mode;
            EXPECT_EQ(ReadBytes(dir / TEXT("SONG.TXT")), "new") << mode;
        }
    }
}

// Outputs made by Unix calls get the permissions Wine gives new files
// (program names are left to Wine, which marks them executable); a pipe is
// refused at once rather than waited on.
TEST(DiskOutput, UnixOutputsAsWineMakesThem)
{
    TempDir dir;
    const std::string folder = UnixPath(dir.Path());
    ASSERT_FALSE(folder.empty());
    // Made before the first output: outputs that follow one another in a
    // folder check it once.
    ASSERT_EQ(mkfifo((folder + "/pipe.txt").c_str(), 0666), 0);
    for (const char* name : {"a.txt", "b.EXE"}) {
        const WString viaWine = dir / Wide(std::string("wine-") + name);
        const WString viaUnix = dir / Wide(std::string("unix-") + name);
        ASSERT_TRUE(vela::Win32Disk().OpenFile(viaWine, true)) << name;
        ASSERT_EQ(vela::WineDisk().WriteOutput(viaUnix, nullptr, vela::Existing::Replace, ""),
                  vela::OutputResult::Written)
            << name;
        struct stat made = {}, expected = {};
        ASSERT_EQ(stat(UnixPath(viaWine).c_str(), &expected), 0) << name;
        ASSERT_EQ(stat(UnixPath(viaUnix).c_str(), &made), 0) << name;
        EXPECT_EQ(made.st_mode, expected.st_mode) << name;
    }

    SetLastError(0);
    EXPECT_EQ(vela::WineDisk().WriteOutput(dir / TEXT("pipe.txt"), nullptr,
                                           vela::Existing::Replace, ""),
              vela::OutputResult::Failed);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    unlink((folder + "/pipe.txt").c_str());
}
#endif

} // namespace
