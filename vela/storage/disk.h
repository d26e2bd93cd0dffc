#pragma once
// What File, Mp3Tag, DirectoryList and the export job need from the disk:
// open a file by path, write an output whole, hand the tag library a
// descriptor, and list a folder. Every disk keeps Win32's rules: names match
// in any letter case, and the results and errors are those the Win32 calls
// give. Win32Disk is those calls; WineDisk (vela/storage/wine/) keeps the
// same rules at a lower cost under Winelib.
#include "vela/text.h"

#include <cstdint>
#include <memory>
#include <string>

namespace vela {

// One name that a folder listing delivers, with what the find calls report.
struct FoundEntry {
    WString name;
    bool folder = false;
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

// WriteOutput's refusal of an existing output that other hard links share: a
// new file in its place would leave them the old text, and writing into it
// in place would lose the guarantee that it is complete or absent. An
// application-defined code (bit 29), so no system error is taken for it.
constexpr DWORD kErrorHardLinked = 0x20000000 | 0x28;

class Disk {
public:
    virtual ~Disk() = default;
    // CreateFileW's contract: writing creates or truncates the file, shared
    // for writing only; reading opens an existing file, shared for reading
    // only. Null with the last error set on failure.
    virtual std::unique_ptr<DiskFile> OpenFile(const WString& path, bool writing) = 0;
    // Makes `bytes` the whole content of `path` in one step: whenever the
    // process stops, the name holds the old file, the new one, or nothing.
    // A file that holds those bytes already is not touched (Unchanged).
    // Refused with nothing touched: the file `source` names, however spelt
    // (ERROR_SHARING_VIOLATION; an empty source protects nothing), any
    // existing file with Existing::Keep (ERROR_FILE_EXISTS), a read-only
    // file or one that is no regular file (ERROR_ACCESS_DENIED), one that
    // other hard links share (kErrorHardLinked). A failure leaves neither an
    // output nor a partial file.
    // What the user set on a file that is replaced stays: the new file gets
    // its permissions (on Windows its attributes and security), its group
    // where the process may set it and, as root, its owner, all before it
    // takes the name; a new file gets what the platform gives new files. A
    // symbolic link stays as it is and the file it names is replaced (see
    // FinalPath); one that names nothing is refused (ERROR_FILE_NOT_FOUND).
    virtual OutputResult WriteOutput(const WString& path, const WString& source,
                                     Existing existing, const std::string& bytes) = 0;
    // The file that writing an output at `path` replaces: `path` itself, or
    // for a symbolic link the file it names, through every link. `path`
    // when it names nothing or cannot be followed.
    virtual WString FinalPath(const WString& path) = 0;
    // A C runtime descriptor on an existing regular file, for the tag
    // library: read-only, or read-write with `writing`. -1 when it cannot be
    // opened or is no regular file. Close it with CloseDescriptor.
    virtual int OpenDescriptor(const WString& path, bool writing) = 0;
    // FindFirstFileW on base + pattern, base ending in a backslash.
    virtual std::unique_ptr<FoundEntries> Find(const WString& base, const WString& pattern) = 0;
};

Disk& Win32Disk();
// Winelib only.
Disk& WineDisk();
// WineDisk under Winelib, else Win32Disk.
Disk& DefaultDisk();

// Win32Disk's way to a descriptor (see Disk::OpenDescriptor): _wopen on
// Windows; under Winelib, where the tag library is a Unix one, a Unix
// descriptor on the name that Wine converts the path to.
int OpenRuntimeDescriptor(const WString& path, bool writing);
void CloseDescriptor(int fd);
// What the Win32 calls cannot carry under Winelib: the Unix permission bits,
// group and owner of `old`, put on `partial` before it replaces it (see
// Disk::WriteOutput). Nothing on Windows, where ReplaceFileW carries them.
void KeepOwnership(const WString& old, const WString& partial);
// Reads up to `count` bytes from the descriptor's position: the count read,
// 0 at the end, -1 on failure.
int ReadDescriptor(int fd, void* destination, unsigned count);

// The disk that File, Mp3Tag, DirectoryList and WriteOutput use,
// DefaultDisk at first. Tests and benchmarks swap it with UseDisk.
Disk& CurrentDisk();
void UseDisk(Disk& disk);

} // namespace vela
