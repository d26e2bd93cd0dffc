// WineDisk, the default disk under Winelib: tracks read and outputs written
// with Unix calls on the Unix names that names.cpp finds, the rest handed to
// Win32Disk.
#include "vela/storage/output_rules.h"
#include "vela/storage/wine/links.h"
#include "vela/storage/wine/names.h"

#include <fcntl.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace vela {
namespace {

// The Win32 error a failed Unix write or rename stands for.
DWORD ErrorOf(int error)
{
    switch (error) {
    case ENOSPC: case EDQUOT: return ERROR_DISK_FULL;
    case EEXIST: return ERROR_FILE_EXISTS;
    case EACCES: case EPERM: case EROFS: return ERROR_ACCESS_DENIED;
    default: return ERROR_WRITE_FAULT;
    }
}

// Like WriteFile on a disk file: everything, or a failure.
bool WriteAll(int fd, const std::string& bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t put = write(fd, bytes.data() + done, bytes.size() - done);
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0) {
            errno = put == 0 ? ENOSPC : errno;
            return false;
        }
        done += static_cast<size_t>(put);
    }
    return true;
}

// The first bytes of the file at `path`, in one read.
int64_t ReadHead(const std::string& path, char* destination, size_t count)
{
    const Descriptor fd(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    ssize_t got;
    do
        got = fd ? read(fd.get(), destination, count) : -1;
    while (got < 0 && errno == EINTR);
    return got;
}

std::string PartialName(const std::string& path)
{
    std::string name = path;
    for (const WCHAR* c = kPartialSuffix; *c != 0; ++c)
        name.push_back(static_cast<char>(*c));  // ASCII
    return name;
}

// A new partial file, none other of that name in the way: one left by a
// process that died is removed, and so is one that another run is writing
// now, whose rename then fails instead of moving half a file into place.
int CreatePartial(const std::string& path, mode_t mode)
{
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd < 0 && errno == EEXIST && unlink(path.c_str()) == 0)
        fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    return fd;
}

// The file a symbolic link names, through every link, with its stat; the
// partial file then goes in that file's folder.
bool FollowLink(UnixName& name, DWORD& error)
{
    if (!FollowTrustedLinks(name.path, name.info, error))
        return false;
    name.folder = nullptr;  // the link's folder keeps its names
    return true;
}

// Keep never replaces a name the folder has gained since it was looked up.
bool MoveIntoPlace(const std::string& partial, const std::string& path, Existing existing)
{
    if (existing == Existing::Replace)
        return rename(partial.c_str(), path.c_str()) == 0;
    return renameat2(AT_FDCWD, partial.c_str(), AT_FDCWD, path.c_str(), RENAME_NOREPLACE) == 0;
}

// A track read with Unix calls; its identity is what fstat says.
class UnixTrack : public Track {
public:
    UnixTrack(Descriptor fd, const struct stat& info)
        : Track(static_cast<uint64_t>(info.st_size), IdentityOf(info)), fd_(std::move(fd))
    {
    }

    static FileIdentity IdentityOf(const struct stat& info)
    {
        return {static_cast<uint64_t>(info.st_dev), static_cast<uint64_t>(info.st_ino)};
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

// A pipe would stall the open until someone reads it, and a device is no
// place for a text file; Wine calls a file that nobody may write read-only.
FoundOutput FoundOf(const struct stat& info)
{
    return {S_ISREG(info.st_mode) && (info.st_mode & 0222) != 0, UnixTrack::IdentityOf(info),
            static_cast<uint64_t>(info.st_size), static_cast<uint64_t>(info.st_nlink)};
}

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
    return fd ? std::make_unique<UnixTrack>(std::move(fd), info) : nullptr;
}

// Why an output left to Win32 may not be written, found as Wine finds it:
// Win32 follows any link, and cannot tell the source track's file from a
// Unix track. 0 when it may; a link at the partial file's name is then
// removed, as Wine 8's DeleteFileW on a link removes the file it names.
DWORD ReadyForWin32(const WString& path, const Track* source)
{
    std::string unixPath = UnixPathOf(path);
    struct stat info;
    if (unixPath.empty())
        return 0;
    const bool found = lstat(unixPath.c_str(), &info) == 0;
    DWORD error = 0;
    if (found && S_ISLNK(info.st_mode) && !FollowTrustedLinks(unixPath, info, error))
        return error == kErrorForeignLink ? error : 0;  // other faults are Win32's to tell
    if (found && source && UnixTrack::IdentityOf(info) == source->Identity())
        return ERROR_SHARING_VIOLATION;
    const std::string partial = PartialName(unixPath);
    if (lstat(partial.c_str(), &info) == 0 && S_ISLNK(info.st_mode))
        unlink(partial.c_str());
    return 0;
}

// Names are found with Unix calls (see names.h), and outputs written
// with them. What is not plainly so, and every failure whose error is Wine's
// to give, is handed to Win32 unchanged. Other files are opened through Wine,
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
        const std::string exact = ExactUnixPath(path);
        bool missing = true;
        Descriptor fd = exact.empty() ? Descriptor() : OpenRegular(exact, missing, &info);
        if (!fd && missing) {
            const UnixName name = FindUnixName(path);
            if (name.state == UnixName::Unknown)
                return OpenByWineName(path);
            if (name.state == UnixName::Found)
                fd = OpenRegular(name.path, missing, &info);
            else
                SetLastError(ERROR_FILE_NOT_FOUND);
        }
        return fd ? std::make_unique<UnixTrack>(std::move(fd), info) : nullptr;
    }

    // The output's name as found in any letter case is replaced, a new one
    // made under the name given.
    OutputResult WriteOutput(const WString& path, const Track* source, Existing existing,
                             const std::string& bytes) override
    {
        // Outputs are mostly new: their folder's snapshot answers at once.
        UnixName name = FindUnixName(path, false, false);
        const bool found = name.state == UnixName::Found;
        if (found && S_ISLNK(name.info.st_mode)) {
            if (existing == Existing::Keep)
                return Fail(ERROR_FILE_EXISTS);
            DWORD error = 0;
            if (!FollowLink(name, error))
                return Fail(error);
        }
        if (name.state == UnixName::Unknown || (found && S_ISDIR(name.info.st_mode)) ||
            IsProgramName(name.path))
            return ByWin32(path, source, existing, bytes);
        if (found) {
            const OutputResult checked = CheckFoundOutput(
                FoundOf(name.info), source, existing, bytes,
                [&name](char* to, size_t count) { return ReadHead(name.path, to, count); });
            if (checked != OutputResult::Written)
                return checked;
        }
        const std::string partial = PartialName(name.path);
        // Private until it has the old file's permissions: its text is the
        // old file's successor.
        Descriptor fd(CreatePartial(partial, found ? 0600 : 0666));
        if (!fd)
            return ByWin32(path, source, existing, bytes);
        if (found)
            CarryOwnership(fd.get(), name.info);
        if (WriteAll(fd.get(), bytes) && fd.Close() &&
            MoveIntoPlace(partial, name.path, existing)) {
            NoteWritten(name);
            return OutputResult::Written;
        }
        const DWORD error = ErrorOf(errno);
        unlink(partial.c_str());
        return Fail(error);
    }

    WString FinalPath(const WString& path) override
    {
        UnixName name = FindUnixName(path, false, false);
        DWORD error = 0;
        if (name.state != UnixName::Found || !S_ISLNK(name.info.st_mode) ||
            !FollowLink(name, error))
            return path;
        WCHAR* dos = wine_get_dos_file_name(name.path.c_str());
        const WString final = dos ? WString(dos) : path;
        HeapFree(GetProcessHeap(), 0, dos);
        return final;
    }

    std::unique_ptr<FoundEntries> Find(const WString& base, const WString& pattern,
                                       Details details) override
    {
        const bool everything = pattern == TEXT("*") || pattern == TEXT("*.*");
        if (everything && base.size() + pattern.size() < MAX_PATH) {
            if (auto listed = ListUnixFolder(base, details))
                return listed;
        }
        return WithUnixIdentities(Win32Disk().Find(base, pattern, details), base);
    }

private:
    static OutputResult ByWin32(const WString& path, const Track* source, Existing existing,
                                const std::string& bytes)
    {
        if (const DWORD refused = ReadyForWin32(path, source))
            return Fail(refused);
        return Win32Disk().WriteOutput(path, nullptr, existing, bytes);
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

Descriptor OpenRegular(const std::string& unixPath, bool& missing, struct stat* found)
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

bool IsProgramName(const std::string& path)
{
    if (path.size() < 4 || path[path.size() - 4] != '.')
        return false;
    std::string extension = path.substr(path.size() - 3);
    for (char& c : extension)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    return extension == "exe" || extension == "com" || extension == "bat" || extension == "cmd";
}

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
