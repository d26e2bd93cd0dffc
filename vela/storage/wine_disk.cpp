#ifdef __WINE__
#include "vela/storage/disk.h"

#include "vela/storage/unix_listing.h"
#include "vela/storage/unix_names.h"
#include "vela/storage/unix_text.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace vela {
namespace {

// Wine's name for a Unix path: its NT prefix \??\unix followed by the path.
// Opening by it skips Wine's lookup of every folder on the way.
WString WinePathOf(const std::string& unixPath)
{
    WString path = TEXT("\\\\?\\unix");
    WString rest;
    FromUtf8(unixPath.c_str(), rest);
    for (WCHAR& c : rest) {
        if (c == '/')
            c = '\\';
    }
    return path + rest;
}

// Wine gives new files of these kinds execute permission; leave them to it.
bool IsProgramName(const std::string& path)
{
    if (path.size() < 4 || path[path.size() - 4] != '.')
        return false;
    std::string extension = path.substr(path.size() - 3);
    for (char& c : extension)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    return extension == "exe" || extension == "com" || extension == "bat" || extension == "cmd";
}

// Creates a file that no name in any letter case holds yet. False leaves
// nothing behind.
bool CreateNew(const std::string& path)
{
    if (IsProgramName(path))
        return false;
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0)
        return false;
    close(fd);
    NoteCreated(path);
    return true;
}

// Opens an output for writing as Wine would create or truncate it: a name
// found in any letter case is truncated in place, a new one is created under
// the name given. -1 when this route does not apply or fails; Wine then
// decides, and sets the error.
int OpenOutput(const UnixName& name)
{
    if (name.state == UnixName::Found)
        return open(name.path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (name.state != UnixName::Missing || IsProgramName(name.path))
        return -1;
    const int fd = open(name.path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0)
        NoteCreated(name.path);
    return fd;
}

// The bytes of a file move through a Unix descriptor: every Wine call is a
// round trip to the Wine server, and those dominate the cost of a small file.
// A file opened by OpenFile also stays held by Wine, so that others meet its
// share mode; an output holds nothing else.
class UnixFile : public DiskFile {
public:
    UnixFile(std::unique_ptr<DiskFile> held, int fd) : held_(std::move(held)), fd_(fd) {}
    ~UnixFile() override { close(fd_); }
    UnixFile(const UnixFile&) = delete;
    UnixFile& operator=(const UnixFile&) = delete;

    bool Read(void* destination, DWORD count, DWORD& done) override
    {
        ssize_t got;
        do
            got = read(fd_, destination, count);
        while (got < 0 && errno == EINTR);
        done = got < 0 ? 0 : static_cast<DWORD>(got);
        return got >= 0;
    }

    // Like WriteFile on a disk file: everything, or a failure.
    bool Write(const void* source, DWORD count, DWORD& done) override
    {
        const char* bytes = static_cast<const char*>(source);
        done = 0;
        while (done < count) {
            const ssize_t put = write(fd_, bytes + done, count - done);
            if (put < 0 && errno == EINTR)
                continue;
            if (put <= 0)
                return false;
            done += static_cast<DWORD>(put);
        }
        return true;
    }

    void MoveTo(uint64_t position) override { lseek(fd_, static_cast<off_t>(position), SEEK_SET); }

    uint64_t Size() override
    {
        struct stat info;
        return fstat(fd_, &info) == 0 ? static_cast<uint64_t>(info.st_size) : 0;
    }

private:
    std::unique_ptr<DiskFile> held_;
    int fd_;
};

// Names are found with Unix calls (see unix_names.h). OpenFile still opens
// every file through Wine with the exact name found, so that share modes,
// access checks and error codes stay Wine's; CreateOutput opens by Unix
// calls alone and leaves only its failures to Wine, for their error codes.
// Whatever is not plainly so is handed to Win32 unchanged.
class Wine : public Disk {
public:
    std::unique_ptr<DiskFile> OpenFile(const WString& path, bool writing) override
    {
        UnixName name = FindUnixName(path);
        const bool found = name.state == UnixName::Found && !S_ISDIR(name.info.st_mode);
        const bool created = !found && writing && name.state == UnixName::Missing &&
                             CreateNew(name.path);
        if (!found && !created)
            return Win32Disk().OpenFile(path, writing);
        // Wine truncates, checks sharing and access, and sets the error.
        auto held = Win32Disk().OpenFile(WinePathOf(name.path), writing);
        if (!held)
            return nullptr;
        const int fd = open(name.path.c_str(), (writing ? O_WRONLY : O_RDONLY) | O_CLOEXEC);
        if (fd < 0)
            return held;
        return std::make_unique<UnixFile>(std::move(held), fd);
    }

    std::unique_ptr<DiskFile> CreateOutput(const WString& path) override
    {
        const UnixName name = FindUnixName(path);
        if (name.state == UnixName::Found && !S_ISREG(name.info.st_mode)) {
            if (S_ISDIR(name.info.st_mode))
                return Win32Disk().OpenFile(path, true);  // fails with Wine's error
            // A pipe would stall the open until someone reads it, and a
            // device is no place for a text file.
            SetLastError(ERROR_ACCESS_DENIED);
            return nullptr;
        }
        const int fd = OpenOutput(name);
        if (fd < 0)
            return Win32Disk().OpenFile(path, true);
        return std::make_unique<UnixFile>(nullptr, fd);
    }

    // Wine's file index is the inode number, but its volume serial number
    // is the drive's, shared by every Unix file system mounted beneath that
    // drive; the device number tells those apart as well.
    bool SameFile(const WString& first, const WString& second) override
    {
        // The second is looked up first: an output that does not exist yet,
        // the export's usual case, then settles it with one lookup.
        const UnixName b = FindUnixName(second);
        if (b.state == UnixName::Missing)
            return false;
        const UnixName a = FindUnixName(first);
        if (a.state == UnixName::Found && b.state == UnixName::Found)
            return a.info.st_dev == b.info.st_dev && a.info.st_ino == b.info.st_ino;
        if (a.state == UnixName::Unknown || b.state == UnixName::Unknown)
            return Win32Disk().SameFile(first, second);
        return false;  // one of them does not exist
    }

    std::unique_ptr<FoundEntries> Find(const WString& base, const WString& pattern,
                                       Want want) override
    {
        const bool everything = pattern == TEXT("*") || pattern == TEXT("*.*");
        if (everything && base.size() + pattern.size() < MAX_PATH) {
            if (auto listed = ListUnixFolder(base, want))
                return listed;
        }
        return Win32Disk().Find(base, pattern, want);
    }
};

} // namespace

Disk& WineDisk()
{
    static Wine disk;
    return disk;
}

} // namespace vela
#endif
