// Win32Disk: the disk through the Win32 calls alone.
#include "vela/storage/disk.h"

#include "vela/owned.h"
#include "vela/storage/output_rules.h"
#include "vela/storage/win32_output.h"

#include <algorithm>
#include <string>

namespace vela {
namespace {

// The longest path the wide file calls take.
constexpr DWORD kLongPath = 32768;

uint64_t Combine(DWORD high, DWORD low)
{
    return (static_cast<uint64_t>(high) << 32) | low;
}

// The identity of the folder or file at `path`, through every link;
// unknown when it cannot be opened.
FileIdentity IdentityAt(const WString& path);

// One find handle and the entries it delivers, FindFirstFileW's included.
// A folder's identity costs an open of its own, which files are spared.
class Win32Entries : public FoundEntries {
public:
    Win32Entries(const WString& base, const WString& pattern)
        : base_(base), handle_(FindFirstFileW((base + pattern).c_str(), &first_)), hasFirst_(true)
    {
    }

    bool Next(FoundEntry& entry) override
    {
        if (!handle_)
            return false;
        WIN32_FIND_DATAW data;
        if (hasFirst_) {
            hasFirst_ = false;
            data = first_;
        } else if (!FindNextFileW(handle_.get(), &data)) {
            return false;
        }
        entry.name = data.cFileName;
        entry.folder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        entry.link = entry.folder && (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
        entry.identity = entry.folder && !IsDotName(entry.name) ? IdentityAt(base_ + entry.name)
                                                                 : FileIdentity();
        entry.lastWriteTime =
            Combine(data.ftLastWriteTime.dwHighDateTime, data.ftLastWriteTime.dwLowDateTime);
        entry.size = Combine(data.nFileSizeHigh, data.nFileSizeLow);
        return true;
    }

    FileIdentity Identity() override { return handle_ ? IdentityAt(base_) : FileIdentity(); }

private:
    // "." and "..", which every listing but a drive's holds.
    static bool IsDotName(const WString& name)
    {
        return name == TEXT(".") || name == TEXT("..");
    }

    const WString base_;
    WIN32_FIND_DATAW first_;
    OwnedFindHandle handle_;
    bool hasFirst_;
};

// A file opened through the Win32 calls alone; closes the handle.
class Win32File : public DiskFile {
public:
    explicit Win32File(HANDLE handle) : handle_(handle) {}

    bool IsOpen() const { return static_cast<bool>(handle_); }

    bool Read(void* destination, DWORD count, DWORD& done) override
    {
        return ReadFile(handle_.get(), destination, count, &done, nullptr) != FALSE;
    }

    bool Write(const void* source, DWORD count, DWORD& done) override
    {
        return WriteFile(handle_.get(), source, count, &done, nullptr) != FALSE;
    }

    void MoveTo(uint64_t position) override
    {
        LARGE_INTEGER where;
        where.QuadPart = static_cast<LONGLONG>(position);
        SetFilePointerEx(handle_.get(), where, nullptr, FILE_BEGIN);
    }

    uint64_t Size() override
    {
        DWORD high = 0;
        DWORD low = GetFileSize(handle_.get(), &high);
        return Combine(high, low);
    }

    bool Identify(BY_HANDLE_FILE_INFORMATION& info) const
    {
        return IsOpen() && GetFileInformationByHandle(handle_.get(), &info);
    }

    // The path of the file itself, every link followed (as the handle was
    // opened); `fallback` when the system cannot tell. The long-path prefix
    // is kept only where the path needs it.
    WString FinalPath(const WString& fallback) const
    {
        WString final(kLongPath, 0);
        const DWORD length = IsOpen() ? GetFinalPathNameByHandleW(handle_.get(), &final[0], kLongPath,
                                                                  FILE_NAME_NORMALIZED)
                                      : 0;
        if (length == 0 || length >= kLongPath)
            return fallback;
        final.resize(length);
        const WString local = TEXT("\\\\?\\"), remote = TEXT("\\\\?\\UNC\\");
        if (final.compare(0, remote.size(), remote) == 0 &&
            final.size() - remote.size() + 2 < MAX_PATH)
            return TEXT("\\\\") + final.substr(remote.size());
        if (final.compare(0, local.size(), local) == 0 && final.size() - local.size() < MAX_PATH)
            return final.substr(local.size());
        return final;
    }

    // Closes the file first when asked to, so that the caller can then
    // remove or rename it.
    bool Close() { return handle_.Close(); }

private:
    OwnedFileHandle handle_;
};

// A track read through Win32 calls; identity from the open handle.
class Win32Track : public Track {
public:
    Win32Track(OwnedFileHandle handle, const BY_HANDLE_FILE_INFORMATION& info)
        : Track(Combine(info.nFileSizeHigh, info.nFileSizeLow), IdentityOf(info)),
          handle_(std::move(handle))
    {
    }

    static FileIdentity IdentityOf(const BY_HANDLE_FILE_INFORMATION& info)
    {
        return {info.dwVolumeSerialNumber, Combine(info.nFileIndexHigh, info.nFileIndexLow)};
    }

    int64_t ReadAt(uint64_t offset, void* destination, size_t count) override
    {
        auto* at = static_cast<char*>(destination);
        size_t done = 0;
        while (done < count) {
            OVERLAPPED where = {};
            where.Offset = static_cast<DWORD>(offset + done);
            where.OffsetHigh = static_cast<DWORD>((offset + done) >> 32);
            const DWORD piece = static_cast<DWORD>(std::min<size_t>(count - done, 1u << 30));
            DWORD got = 0;
            if (!ReadFile(handle_.get(), at + done, piece, &got, &where))
                return GetLastError() == ERROR_HANDLE_EOF ? static_cast<int64_t>(done) : -1;
            if (got == 0)
                break;
            done += got;
        }
        return static_cast<int64_t>(done);
    }

    void WillRead() override {}

private:
    OwnedFileHandle handle_;
};

HANDLE OpenHandle(const WString& path, DWORD access, DWORD share, DWORD disposition,
                  DWORD flags = FILE_ATTRIBUTE_NORMAL)
{
    return CreateFileW(path.c_str(), access, share, nullptr, disposition, flags, nullptr);
}

// A handle that only asks for attributes: it needs no read access and, with
// every sharing mode allowed, it neither fails on nor disturbs a file that
// someone else holds open; folders open too.
HANDLE AttributesHandle(const WString& path)
{
    if (!IsNameable(path)) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    return OpenHandle(path, FILE_READ_ATTRIBUTES,
                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_EXISTING,
                      FILE_FLAG_BACKUP_SEMANTICS);
}

// A new partial file, none other of that name in the way. One left by a
// process that died is removed first, and so is a link that someone put at
// that name: it is never followed, lest the write land where it points.
HANDLE CreatePartial(const WString& partial)
{
    HANDLE handle = OpenHandle(partial, GENERIC_WRITE, 0, CREATE_NEW);
    if (handle == INVALID_HANDLE_VALUE && GetLastError() == ERROR_FILE_EXISTS &&
        DeleteFileW(partial.c_str()))
        handle = OpenHandle(partial, GENERIC_WRITE, 0, CREATE_NEW);
    return handle;
}

FileIdentity IdentityAt(const WString& path)
{
    const OwnedFileHandle handle(AttributesHandle(path));
    BY_HANDLE_FILE_INFORMATION info = {};
    if (!handle || !GetFileInformationByHandle(handle.get(), &info))
        return {};
    return Win32Track::IdentityOf(info);
}

// ReplaceFileW's flag, which not every set of headers names.
constexpr DWORD kIgnoreAclErrors = 0x4;

// The partial file takes the output's name: over the old file, whose
// attributes and security it is given (and what `beforeReplace` carries), or
// as a new name.
bool MoveIntoPlace(const WString& partial, const WString& final, bool replacing,
                   ReplaceHook beforeReplace)
{
    if (!replacing)
        return MoveFileExW(partial.c_str(), final.c_str(), 0) != FALSE;
    if (beforeReplace)
        beforeReplace(final, partial);
    return ReplaceFileW(final.c_str(), partial.c_str(), nullptr,
                        REPLACEFILE_IGNORE_MERGE_ERRORS | kIgnoreAclErrors, nullptr,
                        nullptr) != FALSE;
}

FoundOutput FoundOf(const BY_HANDLE_FILE_INFORMATION& output)
{
    return {(output.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) == 0,
            Win32Track::IdentityOf(output), Combine(output.nFileSizeHigh, output.nFileSizeLow),
            output.nNumberOfLinks};
}

// The first bytes of the file at `path`, in one read.
int64_t ReadHead(const WString& path, char* destination, size_t count)
{
    Win32File file(OpenHandle(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              OPEN_EXISTING));
    DWORD done = 0;
    return file.IsOpen() && file.Read(destination, static_cast<DWORD>(count), done) ? done : -1;
}

// An output as the attributes handle found it. The partial file is kept
// from others (no sharing) while it is written. An existing output is
// replaced by ReplaceFileW, which gives the new file the old one's
// attributes and security; a new one is renamed into place, never over a
// name that something has taken since.
class Win32Output : public Output {
public:
    // `found` null: nothing holds the name, or `error` (when not 0) tells why
    // it could not be looked at.
    Win32Output(const WString& path, const WString& final,
                const BY_HANDLE_FILE_INFORMATION* found, DWORD error, ReplaceHook beforeReplace)
        : Output(final), path_(path), found_(found != nullptr), info_(found ? *found : Info()),
          error_(error), beforeReplace_(beforeReplace)
    {
    }

    bool Exists() const override { return found_; }

    OutputResult Check(const Track* source, Existing existing, const std::string& bytes) override
    {
        if (error_ != 0)
            return Fail(error_);
        if (!found_)
            return OutputResult::Written;
        return CheckFoundOutput(
            FoundOf(info_), source, existing, bytes,
            [this](char* to, size_t count) { return ReadHead(path_, to, count); });
    }

    OutputResult Write(const Track* source, Existing existing, const std::string& bytes) override
    {
        const OutputResult checked = Check(source, existing, bytes);
        if (checked != OutputResult::Written)
            return checked;
        const WString partial = FinalPath() + kPartialSuffix;
        Win32File file(CreatePartial(partial));
        if (!file.IsOpen())
            return OutputResult::Failed;
        DWORD done = 0;
        const DWORD size = static_cast<DWORD>(bytes.size());
        SetLastError(ERROR_SUCCESS);  // a short write sets none
        const bool written = (size == 0 || file.Write(bytes.data(), size, done)) && done == size;
        if (!written && GetLastError() == ERROR_SUCCESS)
            SetLastError(ERROR_DISK_FULL);
        if (file.Close() && written && MoveIntoPlace(partial, FinalPath(), found_, beforeReplace_))
            return OutputResult::Written;
        DWORD error = GetLastError();
        DeleteFileW(partial.c_str());
        // A name that nothing could be opened by, yet taken: a symbolic link
        // that names nothing.
        if (error == ERROR_ALREADY_EXISTS && existing == Existing::Replace && !found_)
            error = ERROR_FILE_NOT_FOUND;
        return Fail(error == ERROR_ALREADY_EXISTS ? ERROR_FILE_EXISTS : error);
    }

private:
    static BY_HANDLE_FILE_INFORMATION Info() { return BY_HANDLE_FILE_INFORMATION(); }

    const WString path_;
    const bool found_;
    const BY_HANDLE_FILE_INFORMATION info_;
    const DWORD error_;
    const ReplaceHook beforeReplace_;
};

class Win32 : public Disk {
public:
    std::unique_ptr<DiskFile> OpenFile(const WString& path, bool writing) override
    {
        auto file = std::make_unique<Win32File>(
            OpenHandle(path, writing ? GENERIC_WRITE : GENERIC_READ,
                       writing ? FILE_SHARE_WRITE : FILE_SHARE_READ,
                       writing ? CREATE_ALWAYS : OPEN_EXISTING));
        return file->IsOpen() ? std::move(file) : nullptr;
    }

    // Shared as the C runtime's open shares a file, and read at offsets, so
    // that one handle serves every read.
    std::unique_ptr<Track> OpenTrack(const WString& path) override
    {
        if (!IsNameable(path)) {
            SetLastError(path.empty() ? ERROR_PATH_NOT_FOUND : ERROR_INVALID_NAME);
            return nullptr;
        }
        OwnedFileHandle handle(
            OpenHandle(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING));
        if (!handle)
            return nullptr;
        BY_HANDLE_FILE_INFORMATION info = {};
        if (GetFileType(handle.get()) != FILE_TYPE_DISK ||
            !GetFileInformationByHandle(handle.get(), &info) ||
            (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            handle.reset();
            SetLastError(ERROR_ACCESS_DENIED);
            return nullptr;
        }
        return std::make_unique<Win32Track>(std::move(handle), info);
    }

    std::unique_ptr<Output> FindOutput(const WString& path) override
    {
        return FindWin32Output(path, nullptr);
    }

    std::unique_ptr<FoundEntries> Find(const WString& base, const WString& pattern,
                                       Details) override
    {
        return std::make_unique<Win32Entries>(base, pattern);
    }
};

} // namespace

// The name is looked at through a handle that asks for attributes only;
// what it found is all the output keeps.
std::unique_ptr<Output> FindWin32Output(const WString& path, ReplaceHook beforeReplace)
{
    // No file name: the partial file's name would make one.
    if (!path.empty() && (path.back() == '\\' || path.back() == '/'))
        return std::make_unique<Win32Output>(path, path, nullptr, ERROR_INVALID_NAME,
                                             beforeReplace);
    Win32File old(AttributesHandle(path));
    BY_HANDLE_FILE_INFORMATION info = {};
    if (old.Identify(info))
        return std::make_unique<Win32Output>(path, old.FinalPath(path), &info, 0, beforeReplace);
    const DWORD error = GetLastError();
    return std::make_unique<Win32Output>(path, path, nullptr,
                                         error == ERROR_FILE_NOT_FOUND ? 0 : error, beforeReplace);
}

Disk& Win32Disk()
{
    static Win32 disk;
    return disk;
}

} // namespace vela
