#pragma once
// The platform services that File, DirectoryList and the export job need
// from the disk: open a file by path, tell whether two paths name one file,
// and list a folder. Win32Disk goes through the Win32
// calls alone; under Winelib WineDisk finds names with Unix calls and so
// avoids the folder scans that make Wine slow on large folders (see
// wine_disk.cpp). Both give the same results, and both are tested.
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
};

// A file opened through the Win32 calls alone; closes the handle.
class Win32File : public DiskFile {
public:
    explicit Win32File(HANDLE handle) : handle_(handle) {}
    ~Win32File() override;
    Win32File(const Win32File&) = delete;
    Win32File& operator=(const Win32File&) = delete;

    bool Read(void* destination, DWORD count, DWORD& done) override;
    bool Write(const void* source, DWORD count, DWORD& done) override;
    void MoveTo(uint64_t position) override;
    uint64_t Size() override;

private:
    HANDLE handle_;
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
    // Creates or truncates the file for writing, as OpenFile does, for a file
    // that is written at once and closed: whether others opening it meanwhile
    // are kept out is the platform's affair. Win32Disk shares it for writing
    // only, as OpenFile does; WineDisk keeps no Wine handle on it, so other
    // Wine programs are not kept out. That saves the two Wine server round
    // trips (open and close) that dominate the cost of a small file.
    virtual std::unique_ptr<DiskFile> CreateOutput(const WString& path) = 0;
    // True when both paths exist and lead to one file or folder, however
    // they are spelt; false when either cannot be examined.
    virtual bool SameFile(const WString& first, const WString& second) = 0;
    // FindFirstFileW on base + pattern, base ending in a backslash.
    virtual std::unique_ptr<FoundEntries> Find(const WString& base, const WString& pattern,
                                               Want want) = 0;
};

Disk& Win32Disk();
#ifdef __WINE__
Disk& WineDisk();
#endif

// The disk that File and DirectoryList use: WineDisk under Winelib, else
// Win32Disk. Tests and benchmarks swap it with UseDisk.
Disk& CurrentDisk();
void UseDisk(Disk& disk);

} // namespace vela
