#pragma once
// What File, Mp3Tag, DirectoryList and the export job need from the disk:
// open a file by path, open a track to read its tag, find an output and
// write it whole, and list a folder. Every disk keeps Win32's rules: names match
// in any letter case, and the results and errors are those the Win32 calls
// give. Win32Disk is those calls; WineDisk (vela/storage/wine/) keeps the
// same rules at a lower cost under Winelib.
#include "vela/text.h"

#include <cstdint>
#include <memory>
#include <string>

namespace vela {

// What makes two names one file: the volume and the file's number on it, as
// the open file reports them (fstat, GetFileInformationByHandle). Each disk
// gives them in its own terms, so only identities from one disk compare.
struct FileIdentity {
    uint64_t volume = 0;
    uint64_t index = 0;
    bool operator==(const FileIdentity& other) const
    {
        return volume == other.volume && index == other.index;
    }
};

// An identity that no file has: what could not be told.
inline bool IsKnown(const FileIdentity& identity)
{
    return identity.volume != 0 || identity.index != 0;
}

// One name that a folder listing delivers, with what the find calls report.
struct FoundEntry {
    WString name;
    bool folder = false;
    // A folder's only: whether the name is a link to it (a symbolic link, a
    // junction), and the identity of the folder that the name leads to,
    // through every link; unknown when the disk could not tell.
    bool link = false;
    FileIdentity identity;
    // 100-nanosecond units since 1 January 1601 (UTC).
    uint64_t lastWriteTime = 0;
    uint64_t size = 0;
};

// The entries of one listing, in the platform's order. Next is false once
// there are no more, or when the folder could not be listed at all.
class FoundEntries {
public:
    virtual ~FoundEntries() = default;
    virtual bool Next(FoundEntry& entry) = 0;
    // The identity of the folder listed, through every link; unknown when
    // it could not be listed or told.
    virtual FileIdentity Identity() = 0;
};

// One open disk file. Reads and writes report the bytes done and return
// false on failure; the position is the caller's to keep.
class DiskFile {
public:
    virtual ~DiskFile() = default;
    virtual bool Read(void* destination, DWORD count, DWORD& done) = 0;
    virtual bool Write(const void* source, DWORD count, DWORD& done) = 0;
    virtual void MoveTo(uint64_t position) = 0;
    virtual uint64_t Size() = 0;
};


// A regular file opened once for reading, shared for reading and writing
// as the C runtime opens files. It owns its descriptor (its handle on
// Windows) and answers for the file it opened, whatever happens to the name
// meanwhile; it is closed when destroyed.
class Track {
public:
    virtual ~Track() = default;
    // Up to `count` bytes at `offset`: the count read, fewer only at the end
    // of the file, -1 on failure.
    virtual int64_t ReadAt(uint64_t offset, void* destination, size_t count) = 0;
    // Asks the system to start fetching what a tag reader reads of the file
    // (its first and last bytes) while the program works on other files.
    // Under Winelib the kernel is told (posix_fadvise); Windows has no such
    // call for a part of a file, and there it does nothing.
    virtual void WillRead() = 0;
    // The size at opening.
    uint64_t Size() const { return size_; }
    const FileIdentity& Identity() const { return identity_; }

protected:
    Track(uint64_t size, FileIdentity identity) : size_(size), identity_(identity) {}

private:
    uint64_t size_;
    FileIdentity identity_;
};

// How much a folder listing tells of each entry.
enum class Details {
    All,     // names, folder or not, times and sizes
    Names    // names and folder or not; times and sizes may be left 0
};

// What writing an output does to a file that already holds its name, in any
// letter case.
enum class Existing {
    Replace,  // replace it
    Keep      // leave it alone and fail with ERROR_FILE_EXISTS
};

enum class OutputResult {
    Written,    // the file now holds exactly the bytes given
    Unchanged,  // it held exactly those bytes already and was left alone
    Failed      // nothing was written; the last error says why
};

// Each code unit in upper case by the table the platform matches file names
// with (Wine's own under Winelib): two names are one file when these agree.
// Everything that asks whether two names are one file uses it; only the
// export job's ".mp3" test folds ASCII letters alone, by its own rule.
WString FoldNameCase(const WString& name);

// An output is written under its own name followed by this, in its own
// folder, and renamed when complete. Such a name is only ever left behind by
// a process that died while writing; the next write of that output replaces
// it, and no folder search lists it.
extern const WCHAR kPartialSuffix[];
bool IsPartialOutput(const WString& name);

// Output::Write's refusal of an existing output that other hard links share: a
// new file in its place would leave them the old text, and writing into it
// in place would lose the guarantee that it is complete or absent. An
// application-defined code (bit 29), so no system error is taken for it.
constexpr DWORD kErrorHardLinked = 0x20000000 | 0x28;
// Output::Write's refusal of a symbolic link at the output's name that may not
// be followed: one that another user owns and that names something its owner
// does not own (see FollowTrustedLinks in wine/links.h). Also bit 29.
constexpr DWORD kErrorForeignLink = 0x20000000 | 0x29;

// An output found at the name the export composed, once: what holds the
// name (nothing, a file, a symbolic link and where it may be followed) and
// the folder it goes in. Check says what writing it would do and touches
// nothing; Write does it. Both go by what was found, with no second lookup:
// a name that changes in between is met as the system meets it when the
// partial file is made and renamed. Outputs come from Disk::FindOutput.
class Output {
public:
    virtual ~Output() = default;
    // Whether the name was held, in any letter case, when it was found: by
    // a file, a folder or a symbolic link (also one that names nothing).
    virtual bool Exists() const = 0;
    // The file that writing replaces: the name found, or for a symbolic link
    // that may be followed the file at its end, through every link. The name
    // as given when it holds no link or one that may not or cannot be
    // followed. Whatever must never be replaced (an MP3 file, an input) is
    // judged by this name, and the report shows it.
    const WString& FinalPath() const { return final_; }
    // What Write would do with the same arguments, judged without writing
    // anything or changing any time (the file found may be read): Written
    // (a new file when !Exists(), else the file found is replaced),
    // Unchanged, or Failed with the last error that Write would set for a
    // refusal or for a name that cannot be looked up (a missing folder:
    // ERROR_PATH_NOT_FOUND). What only writing meets (no permission to
    // create the file, a full disk, a name taken in the meantime) shows in
    // Write alone.
    virtual OutputResult Check(const Track* source, Existing existing,
                               const std::string& bytes) = 0;
    // Makes `bytes` the whole content of the file in one step: whenever the
    // process stops, the name holds the old file, the new one, or nothing.
    // A file that holds those bytes already is not touched (Unchanged).
    // Refused with nothing touched: the file `source` opened, under any
    // name or link (ERROR_SHARING_VIOLATION; a null source protects
    // nothing), any existing file with Existing::Keep (ERROR_FILE_EXISTS), a
    // read-only file or one that is no regular file (ERROR_ACCESS_DENIED), one
    // that other hard links share (kErrorHardLinked); CheckFoundOutput
    // (output_rules.h) judges a file found at the name for every disk. A
    // failure leaves neither an output nor a partial file. `source`, when
    // given, comes from the same disk's OpenTrack.
    // What the user set on a file that is replaced stays: the new file gets
    // its permissions (on Windows its attributes and security), its group
    // where the process may set it and, as root, its owner, all before it
    // takes the name; a new file gets what the platform gives new files. A
    // symbolic link stays as it is and the file it names is replaced (see
    // FinalPath); one that names nothing is refused (ERROR_FILE_NOT_FOUND),
    // and under Winelib so is one that another user owns, unless its owner
    // also owns what it names (kErrorForeignLink; see wine/links.h). On
    // Windows links are followed as the system follows them. Something found
    // at the partial file's name is removed first, never written through.
    virtual OutputResult Write(const Track* source, Existing existing,
                               const std::string& bytes) = 0;

protected:
    explicit Output(WString finalPath) : final_(std::move(finalPath)) {}

private:
    WString final_;
};

// Paths are Windows paths; one with a NUL inside names no file. Every call
// keeps the last error as the Win32 calls set it. A disk keeps no result of
// one call for the next beyond its caches of folders, which it checks
// against the disk as each call says.
class Disk {
public:
    virtual ~Disk() = default;
    // CreateFileW's contract: writing creates or truncates the file, shared
    // for writing only; reading opens an existing file, shared for reading
    // only. Null with the last error set on failure.
    virtual std::unique_ptr<DiskFile> OpenFile(const WString& path, bool writing) = 0;
    // An existing regular file, for reading. Null with the last error set
    // when it is missing, cannot be opened or is no regular file (a folder,
    // a pipe or a device: ERROR_ACCESS_DENIED).
    virtual std::unique_ptr<Track> OpenTrack(const WString& path) = 0;
    // The output at `path`, looked up once, a symbolic link there followed as
    // far as it may be (see Output); never null, and nothing is written.
    // Under Winelib the outputs made in one folder check the folder once:
    // the name is matched in any letter case against the folder's snapshot,
    // which stands for the folder for outputs until a listing or a track's
    // lookup checks the folder again.
    virtual std::unique_ptr<Output> FindOutput(const WString& path) = 0;
    // FindOutput(path), then its Write.
    OutputResult WriteOutput(const WString& path, const Track* source, Existing existing,
                             const std::string& bytes)
    {
        return FindOutput(path)->Write(source, existing, bytes);
    }
    // FindFirstFileW on base + pattern, base ending in a backslash. Folder
    // entries tell their identity and whether they are links whatever the
    // details asked for.
    virtual std::unique_ptr<FoundEntries> Find(const WString& base, const WString& pattern,
                                               Details details = Details::All) = 0;
};

Disk& Win32Disk();
// Winelib only.
Disk& WineDisk();
// WineDisk under Winelib, else Win32Disk.
Disk& DefaultDisk();

// Whether a path can name a file at all: not empty, and no NUL inside,
// which would name a shorter path.
bool IsNameable(const WString& path);

// The disk that File, Mp3Tag, DirectoryList and the outputs use,
// DefaultDisk at first. Tests and benchmarks swap it with UseDisk.
Disk& CurrentDisk();
void UseDisk(Disk& disk);

} // namespace vela
