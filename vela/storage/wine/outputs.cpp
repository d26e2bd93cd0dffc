// WineDisk's outputs: found once with Unix calls on the Unix names that
// names.cpp finds, and written with them; what is not plainly so, and every
// failure whose error is Wine's to give, handed to Win32Disk.
#include "vela/storage/wine/outputs.h"

#include "vela/storage/output_rules.h"
#include "vela/storage/wine/links.h"
#include "vela/storage/wine/handles.h"
#include "vela/storage/wine/names.h"
#include "vela/storage/wine/ownership.h"
#include "vela/storage/win32_output.h"

#include <fcntl.h>

#include <cerrno>
#include <cstdio>

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
// now, whose rename then fails instead of moving half a file into place. A
// link there is removed, never followed (O_EXCL).
int CreatePartial(const std::string& path, mode_t mode)
{
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd < 0 && errno == EEXIST && unlink(path.c_str()) == 0)
        fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    return fd;
}

// A name found missing is never replaced: whatever has taken it since the
// lookup must first pass the rules.
bool MoveIntoPlace(const std::string& partial, const std::string& path, bool found)
{
    if (found)
        return rename(partial.c_str(), path.c_str()) == 0;
    return renameat2(AT_FDCWD, partial.c_str(), AT_FDCWD, path.c_str(), RENAME_NOREPLACE) == 0;
}

// A pipe would stall the open until someone reads it, and a device is no
// place for a text file; Wine calls a file that nobody may write read-only.
FoundOutput FoundOf(const struct stat& info)
{
    return {S_ISREG(info.st_mode) && (info.st_mode & 0222) != 0, IdentityOf(info),
            static_cast<uint64_t>(info.st_size), static_cast<uint64_t>(info.st_nlink)};
}

// Wine's DOS name for a Unix path; `fallback` when it has none.
WString DosName(const std::string& unixPath, const WString& fallback)
{
    WCHAR* dos = wine_get_dos_file_name(unixPath.c_str());
    const WString name = dos ? WString(dos) : fallback;
    HeapFree(GetProcessHeap(), 0, dos);
    return name;
}

// An output left to Win32, with what Win32 cannot judge found as Wine finds
// the name: Win32 follows any link, and cannot tell the source track's file
// from a Unix track.
class ByWin32 : public Output {
public:
    explicit ByWin32(const WString& path) : Output(path), win32_(FindWin32Output(path, KeepOwnership))
    {
        unixPath_ = UnixPathOf(path);
        struct stat info;
        if (unixPath_.empty() || lstat(unixPath_.c_str(), &info) != 0)
            return;
        DWORD error = 0;
        if (S_ISLNK(info.st_mode) && !FollowTrustedLinks(unixPath_, info, error)) {
            refusal_ = error == kErrorForeignLink ? error : 0;  // other faults are Win32's
            return;
        }
        identified_ = true;
        identity_ = IdentityOf(info);
    }

    bool Exists() const override { return win32_->Exists(); }

    OutputResult Check(const Track* source, Existing existing, const std::string& bytes) override
    {
        if (refusal_ != 0)
            return Fail(refusal_);
        if (source && identified_ && identity_ == source->Identity())
            return Fail(ERROR_SHARING_VIOLATION);
        return win32_->Check(nullptr, existing, bytes);
    }

    // Wine 8's DeleteFileW on a symbolic link removes the file it names, so
    // a link at the partial file's name is removed here first.
    OutputResult Write(const Track* source, Existing existing, const std::string& bytes) override
    {
        if (refusal_ != 0 || (source && identified_ && identity_ == source->Identity()))
            return Check(source, existing, bytes);
        struct stat info;
        const std::string partial = PartialName(unixPath_);
        if (!unixPath_.empty() && lstat(partial.c_str(), &info) == 0 && S_ISLNK(info.st_mode))
            unlink(partial.c_str());
        return win32_->Write(nullptr, existing, bytes);
    }

private:
    std::unique_ptr<Output> win32_;
    std::string unixPath_;  // through a link that may be followed, the file at its end
    DWORD refusal_ = 0;
    bool identified_ = false;
    FileIdentity identity_;
};

// An output whose Unix name was found: nothing there (Missing), a file, or a
// symbolic link and, when it may be followed, the file at its end. The name
// as found in any letter case is replaced, a new one made under the name
// given.
class WineOutput : public Output {
public:
    WineOutput(const WString& final, WineName name, DWORD refusal, bool fresh)
        : Output(final), name_(std::move(name)), refusal_(refusal), fresh_(fresh)
    {
    }

    bool Exists() const override { return name_.state == WineName::Found; }

    OutputResult Check(const Track* source, Existing existing, const std::string& bytes) override
    {
        if (!Exists())
            return OutputResult::Written;
        if (existing == Existing::Keep)
            return Fail(ERROR_FILE_EXISTS);
        if (refusal_ != 0)
            return Fail(refusal_);
        const std::string& path = name_.path;
        return CheckFoundOutput(
            FoundOf(name_.info), source, existing, bytes,
            [&path](char* to, size_t count) { return ReadHead(path, to, count); });
    }

    OutputResult Write(const Track* source, Existing existing, const std::string& bytes) override
    {
        const OutputResult checked = Check(source, existing, bytes);
        if (checked != OutputResult::Written)
            return checked;
        const bool found = Exists();
        const std::string partial = PartialName(name_.path);
        // Private until it has the old file's permissions: its text is the
        // old file's successor.
        Descriptor fd(CreatePartial(partial, found ? 0600 : 0666));
        if (!fd)
            return ByWin32(FinalPath()).Write(nullptr, existing, bytes);
        if (found)
            CarryOwnership(fd.get(), name_.info);
        if (WriteAll(fd.get(), bytes) && fd.Close() && MoveIntoPlace(partial, name_.path, found)) {
            NoteWritten(name_);
            return OutputResult::Written;
        }
        const int unixError = errno;
        unlink(partial.c_str());
        // Made by someone else since the folder was last checked: looked up
        // again, on the disk this time.
        if (unixError == EEXIST && !found && existing == Existing::Replace && !fresh_)
            return FindWineOutput(FinalPath(), true)->Write(source, existing, bytes);
        return Fail(ErrorOf(unixError));
    }

private:
    const WineName name_;
    const DWORD refusal_;  // why a link found here is not followed; 0 when it is
    const bool fresh_;     // looked up on the disk, no snapshot trusted
};

} // namespace

std::unique_ptr<Output> FindWineOutput(const WString& path, bool fresh)
{
    // Outputs are mostly new: their folder's snapshot answers at once.
    WineName name = FindWineName(path, fresh, false);
    if (name.state == WineName::Unknown)
        return std::make_unique<ByWin32>(path);
    WString final = path;
    DWORD refusal = 0;
    if (name.state == WineName::Found && S_ISLNK(name.info.st_mode) &&
        FollowTrustedLinks(name.path, name.info, refusal)) {
        name.folder = nullptr;  // the link's folder keeps its names
        final = DosName(name.path, path);
    }
    if (refusal == 0 && ((name.state == WineName::Found && S_ISDIR(name.info.st_mode)) ||
                         IsProgramName(name.path)))
        return std::make_unique<ByWin32>(final);
    return std::make_unique<WineOutput>(final, std::move(name), refusal, fresh);
}

} // namespace vela
