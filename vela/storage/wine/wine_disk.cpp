#include "vela/storage/wine/unix_names.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace vela {
namespace {

// Every Wine call is a round trip to the Wine server, and those dominate the
// cost of a small file; read and write calls on a Unix descriptor are not.
// A file opened by OpenFile also stays held by Wine (`held`), so that others
// meet its share mode; an output holds nothing else.
class UnixFile : public DiskFile {
public:
    UnixFile(std::unique_ptr<DiskFile> held, int fd, std::string path)
        : held_(std::move(held)), fd_(fd), path_(std::move(path))
    {
    }
    ~UnixFile() override
    {
        if (fd_ >= 0)
            close(fd_);
    }
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
    bool Write(const void* source, DWORD count, DWORD& done) override;

    void MoveTo(uint64_t position) override { lseek(fd_, static_cast<off_t>(position), SEEK_SET); }

    uint64_t Size() override
    {
        struct stat info;
        return fstat(fd_, &info) == 0 ? static_cast<uint64_t>(info.st_size) : 0;
    }

    bool Discard() override
    {
        close(fd_);
        fd_ = -1;
        held_.reset();
        return unlink(path_.c_str()) == 0;
    }

private:
    std::unique_ptr<DiskFile> held_;
    int fd_;
    std::string path_;
};

bool UnixFile::Write(const void* source, DWORD count, DWORD& done)
{
    const char* bytes = static_cast<const char*>(source);
    done = 0;
    while (done < count) {
        const ssize_t put = write(fd_, bytes + done, count - done);
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0) {
            SetLastError(put == 0 || errno == ENOSPC || errno == EDQUOT ? ERROR_DISK_FULL
                                                                         : ERROR_WRITE_FAULT);
            return false;
        }
        done += static_cast<DWORD>(put);
    }
    return true;
}

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

// Creates a file that no name in any letter case holds yet (a Missing
// name), as Wine would. -1 when it is left to Wine, or fails.
int CreateNew(const std::string& path)
{
    if (IsProgramName(path))
        return -1;
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0)
        NoteCreated(path);
    return fd;
}

// Whether the file found for an output is the one `source` names.
enum class Identity { Same, Other, Unknown };

Identity Compare(const struct stat& output, const WString& source)
{
    if (source.empty())
        return Identity::Other;
    const UnixName input = FindUnixName(source);
    if (input.state == UnixName::Unknown)
        return Identity::Unknown;
    return input.state == UnixName::Found && input.info.st_dev == output.st_dev &&
                   input.info.st_ino == output.st_ino
               ? Identity::Same
               : Identity::Other;
}

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
        if (!found && !(writing && name.state == UnixName::Missing))
            return Win32Disk().OpenFile(path, writing);
        if (!found) {
            const int made = CreateNew(name.path);
            if (made < 0)
                return Win32Disk().OpenFile(path, writing);
            close(made);
        }
        // Wine truncates, checks sharing and access, and sets the error.
        auto held = Win32Disk().OpenFile(WinePathOf(name.path), writing);
        if (!held)
            return nullptr;
        const int fd = open(name.path.c_str(), (writing ? O_WRONLY : O_RDONLY) | O_CLOEXEC);
        if (fd < 0)
            return held;
        return std::make_unique<UnixFile>(std::move(held), fd, name.path);
    }

    // A name found in any letter case is truncated in place, a new one is
    // created under the name given; what this route cannot settle goes to
    // Win32, which sets the error.
    std::unique_ptr<DiskFile> CreateOutput(const WString& path, const WString& source,
                                           Existing existing) override
    {
        const UnixName name = FindUnixName(path);
        if (name.state == UnixName::Unknown)
            return Win32Disk().CreateOutput(path, source, existing);
        int fd = -1;
        if (name.state == UnixName::Missing) {
            fd = CreateNew(name.path);
        } else if (S_ISDIR(name.info.st_mode)) {
            return Win32Disk().CreateOutput(path, source, existing);  // fails with Wine's error
        } else if (existing == Existing::Keep) {
            SetLastError(ERROR_FILE_EXISTS);
            return nullptr;
        } else if (!S_ISREG(name.info.st_mode)) {
            // A pipe would stall the open until someone reads it, and a
            // device is no place for a text file.
            SetLastError(ERROR_ACCESS_DENIED);
            return nullptr;
        } else {
            const Identity identity = Compare(name.info, source);
            if (identity == Identity::Unknown)
                return Win32Disk().CreateOutput(path, source, existing);
            if (identity == Identity::Same) {
                SetLastError(ERROR_SHARING_VIOLATION);
                return nullptr;
            }
            fd = open(name.path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
        }
        if (fd < 0)
            return Win32Disk().CreateOutput(path, source, existing);
        return std::make_unique<UnixFile>(nullptr, fd, name.path);
    }

    // The name as spelt is tried first, which spares a lookup; the folder's
    // Unix name is known after the first file.
    int OpenDescriptor(const WString& path, bool writing) override
    {
        if (path.empty() || path.find(WCHAR(0)) != WString::npos)
            return -1;
        const std::string exact = ExactUnixPath(path);
        bool missing = true;
        int fd = exact.empty() ? -1 : OpenRegular(exact, writing, missing);
        if (fd >= 0 || !missing)
            return fd;
        const UnixName name = FindUnixName(path);
        if (name.state == UnixName::Found)
            return OpenRegular(name.path, writing, missing);
        if (name.state == UnixName::Unknown)
            return OpenRuntimeDescriptor(path, writing);
        SetLastError(ERROR_FILE_NOT_FOUND);
        return -1;
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

// The Win32 error that Wine gives for a failed Unix open.
DWORD OpenError(int unixError)
{
    switch (unixError) {
    case ENOENT:
        return ERROR_FILE_NOT_FOUND;
    case ENOTDIR:
        return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EROFS:
        return ERROR_ACCESS_DENIED;
    case ENAMETOOLONG:
        return ERROR_FILENAME_EXCED_RANGE;
    case EMFILE:
    case ENFILE:
        return ERROR_TOO_MANY_OPEN_FILES;
    default:
        return ERROR_READ_FAULT;
    }
}

int OpenRegular(const std::string& unixPath, bool writing, bool& missing)
{
    const int fd = open(unixPath.c_str(), (writing ? O_RDWR : O_RDONLY) | O_NONBLOCK | O_CLOEXEC);
    missing = fd < 0 && errno == ENOENT;
    if (fd < 0)
        SetLastError(OpenError(errno));
    struct stat info;
    if (fd >= 0 && (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))) {
        close(fd);
        SetLastError(ERROR_ACCESS_DENIED);  // as CreateFileW on a folder
        return -1;
    }
    return fd;
}

Disk& WineDisk()
{
    static Wine disk;
    return disk;
}

} // namespace vela
