// WineDisk, the default disk under Winelib: tracks read with Unix calls on
// the Unix names that names.cpp finds, outputs found and written by
// outputs.cpp, the rest handed to Win32Disk.
#include "vela/storage/wine/handles.h"
#include "vela/storage/wine/listing.h"
#include "vela/storage/wine/names.h"
#include "vela/storage/wine/outputs.h"

#include <fcntl.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace vela {
namespace {

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

// A descriptor for reading a regular file, or none. A folder is no file to
// read, and a pipe would stall the open, so it is opened without waiting and
// checked before use (for a regular file the flag changes nothing).
// `missing` tells that nothing has the name as spelt; `found`, when given,
// receives its stat.
Descriptor OpenRegular(const std::string& unixPath, bool& missing, struct stat* found = nullptr)
{
    Descriptor fd(open(unixPath.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    missing = !fd && errno == ENOENT;
    if (!fd)
        SetLastError(OpenError(errno));
    struct stat ignored;
    struct stat& info = found ? *found : ignored;
    if (fd && (fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode))) {
        fd.reset();
        SetLastError(ERROR_ACCESS_DENIED);  // as CreateFileW on a folder
    }
    return fd;
}


// A track read with Unix calls; its identity is what fstat says.
class WineTrack : public Track {
public:
    WineTrack(Descriptor fd, const struct stat& info)
        : Track(static_cast<uint64_t>(info.st_size), IdentityOf(info)), fd_(std::move(fd))
    {
    }

    int64_t ReadAt(uint64_t offset, void* destination, size_t count) override
    {
        auto* at = static_cast<char*>(destination);
        size_t done = 0;
        while (done < count) {
            const ssize_t got = pread(fd_.get(), at + done, count - done, static_cast<off_t>(offset + done));
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0)
                return -1;
            if (got == 0)
                break;
            done += static_cast<size_t>(got);
        }
        return static_cast<int64_t>(done);
    }

    // The reader takes the head in one read and the last bytes in another
    // (see TrackBytes); asking for a little more than it reads of the head
    // costs nothing and covers a tag with a small picture. The launcher's
    // read-ahead (scripts/prefetch.c) asks for the same parts.
    void WillRead() override
    {
        constexpr off_t kHead = 256 * 1024, kTail = 4096;
        const off_t size = static_cast<off_t>(Size());
        posix_fadvise(fd_.get(), 0, std::min(size, kHead), POSIX_FADV_WILLNEED);
        if (size > kHead)
            posix_fadvise(fd_.get(), std::max(kHead, size - kTail), 0, POSIX_FADV_WILLNEED);
    }

private:
    Descriptor fd_;
};

// Wine's own conversion of the name, for paths whose Unix names this disk
// does not compose itself.
std::unique_ptr<Track> OpenByWineName(const WString& path)
{
    const std::string unixPath = UnixPathOf(path);
    if (unixPath.empty()) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return nullptr;
    }
    bool missing = false;
    struct stat info;
    Descriptor fd = OpenRegular(unixPath, missing, &info);
    return fd ? std::make_unique<WineTrack>(std::move(fd), info) : nullptr;
}

// Names are found with Unix calls (see names.h), and outputs written
// with them (outputs.cpp). What is not plainly so, and every failure whose
// error is Wine's to give, is handed to Win32 unchanged. Other files are opened through Wine,
// which keeps their share modes.
class Wine : public Disk {
public:
    std::unique_ptr<DiskFile> OpenFile(const WString& path, bool writing) override
    {
        return Win32Disk().OpenFile(path, writing);
    }

    // The name as spelt is tried first, which spares a lookup; the folder's
    // Unix name is known after the first file.
    std::unique_ptr<Track> OpenTrack(const WString& path) override
    {
        if (!IsNameable(path)) {
            SetLastError(path.empty() ? ERROR_PATH_NOT_FOUND : ERROR_INVALID_NAME);
            return nullptr;
        }
        struct stat info;
        const std::string exact = ExactWineName(path);
        bool missing = true;
        Descriptor fd = exact.empty() ? Descriptor() : OpenRegular(exact, missing, &info);
        if (!fd && missing) {
            const WineName name = FindWineName(path);
            if (name.state == WineName::Unknown)
                return OpenByWineName(path);
            if (name.state == WineName::Found)
                fd = OpenRegular(name.path, missing, &info);
            else
                SetLastError(ERROR_FILE_NOT_FOUND);
        }
        return fd ? std::make_unique<WineTrack>(std::move(fd), info) : nullptr;
    }

    std::unique_ptr<Output> FindOutput(const WString& path) override
    {
        return FindWineOutput(path);
    }

    std::unique_ptr<FoundEntries> Find(const WString& base, const WString& pattern,
                                       Details details) override
    {
        const bool everything = pattern == TEXT("*") || pattern == TEXT("*.*");
        if (everything && base.size() + pattern.size() < MAX_PATH) {
            if (auto listed = ListWineFolder(base, details))
                return listed;
        }
        return WithWineIdentities(Win32Disk().Find(base, pattern, details), base);
    }

};

} // namespace

Disk& WineDisk()
{
    static Wine disk;
    return disk;
}

Disk& DefaultDisk()
{
    return WineDisk();
}

} // namespace vela
