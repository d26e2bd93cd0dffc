#pragma once
// The platform services that File, Mp3Tag, DirectoryList and the export job
// need from the disk: open a file by path, create an output, hand the tag
// library a descriptor, and list a folder. Win32Disk goes through the Win32
// calls alone; under Winelib WineDisk (vela/storage/wine/) finds names with
// Unix calls and so avoids the folder scans that make Wine slow on large
// folders. Both give the same results, and both are tested.
#include "vela/text.h"

#include <cstdint>
#include <memory>

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
    // Closes the file and removes the name it was opened by, for a file whose
    // writing failed: nothing half written stays behind. False when the name
    // could not be removed. Nothing else may be called afterwards.
    virtual bool Discard() = 0;
};

// What creating an output does to a file that already holds its name, in
// any letter case.
enum class Existing {
    Replace,  // truncate it and write it again
    Keep      // leave it alone and fail with ERROR_FILE_EXISTS
};

class Disk {
public:
    // What the caller keeps of a listing: a listing may leave out the other
    // kind's details (folders still come with a folder flag).
    enum class Want { Files, Folders };

    virtual ~Disk() = default;
    // CreateFileW's contract: writing creates or truncates the file, shared
    // for writing only; reading opens an existing file, shared for reading
    // only. Null with the last error set on failure.
    virtual std::unique_ptr<DiskFile> OpenFile(const WString& path, bool writing) = 0;
    // Creates or truncates the file for writing, for a file that is written
    // at once and closed, with one lookup of its name. It refuses, with
    // ERROR_SHARING_VIOLATION and nothing touched, when the existing file is
    // the one `source` names however it is spelt (the same volume and file
    // index; under Wine the same device and inode); an empty `source`
    // protects nothing. Whether others opening the output meanwhile are kept
    // out is the platform's affair: Win32Disk shares it for writing only, as
    // OpenFile does; WineDisk keeps no Wine handle on it, which saves the two
    // Wine server round trips (open and close) that dominate a small file.
    virtual std::unique_ptr<DiskFile> CreateOutput(const WString& path, const WString& source,
                                                   Existing existing) = 0;
    // A C runtime descriptor on an existing regular file, for the tag
    // library: read-only, or read-write with `writing`. -1 when it cannot be
    // opened or is no regular file. Close it with CloseDescriptor.
    virtual int OpenDescriptor(const WString& path, bool writing) = 0;
    // FindFirstFileW on base + pattern, base ending in a backslash.
    virtual std::unique_ptr<FoundEntries> Find(const WString& base, const WString& pattern,
                                               Want want) = 0;
};

Disk& Win32Disk();
// Winelib only (vela/storage/wine/).
Disk& WineDisk();
// The platform's own disk: WineDisk under Winelib, else Win32Disk.
Disk& DefaultDisk();

// Win32Disk's way to a descriptor (see Disk::OpenDescriptor): _wopen on
// Windows; under Winelib, where the tag library is a Unix one, a Unix
// descriptor on the name that Wine converts the path to.
int OpenRuntimeDescriptor(const WString& path, bool writing);
void CloseDescriptor(int fd);
// Reads up to `count` bytes from the descriptor's position: the count read,
// 0 at the end, -1 on failure.
int ReadDescriptor(int fd, void* destination, unsigned count);

// The disk that File, Mp3Tag and DirectoryList use, DefaultDisk at first.
// Tests and benchmarks swap it with UseDisk.
Disk& CurrentDisk();
void UseDisk(Disk& disk);

} // namespace vela
