#include "vela/storage/disk.h"

namespace vela {
namespace {

Disk* current = nullptr;  // see CurrentDisk

uint64_t Combine(DWORD high, DWORD low)
{
    return (static_cast<uint64_t>(high) << 32) | low;
}

// One find handle and the entries it delivers, FindFirstFileW's included.
class Win32Entries : public FoundEntries {
public:
    explicit Win32Entries(const WString& query)
        : handle_(FindFirstFileW(query.c_str(), &first_)), hasFirst_(true)
    {
    }
    ~Win32Entries() override
    {
        if (handle_ != INVALID_HANDLE_VALUE)
            FindClose(handle_);
    }
    Win32Entries(const Win32Entries&) = delete;
    Win32Entries& operator=(const Win32Entries&) = delete;

    bool Next(FoundEntry& entry) override
    {
        if (handle_ == INVALID_HANDLE_VALUE)
            return false;
        WIN32_FIND_DATAW data;
        if (hasFirst_) {
            hasFirst_ = false;
            data = first_;
        } else if (!FindNextFileW(handle_, &data)) {
            return false;
        }
        entry.name = data.cFileName;
        entry.folder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        entry.lastWriteTime =
            Combine(data.ftLastWriteTime.dwHighDateTime, data.ftLastWriteTime.dwLowDateTime);
        entry.size = Combine(data.nFileSizeHigh, data.nFileSizeLow);
        return true;
    }

private:
    WIN32_FIND_DATAW first_;
    HANDLE handle_;
    bool hasFirst_;
};

// A file opened through the Win32 calls alone; closes the handle. It keeps
// the path it was opened by, for Discard.
class Win32File : public DiskFile {
public:
    Win32File(HANDLE handle, const WString& path) : handle_(handle), path_(path) {}
    ~Win32File() override
    {
        if (handle_ != INVALID_HANDLE_VALUE)
            CloseHandle(handle_);
    }
    Win32File(const Win32File&) = delete;
    Win32File& operator=(const Win32File&) = delete;

    bool Read(void* destination, DWORD count, DWORD& done) override
    {
        return ReadFile(handle_, destination, count, &done, nullptr) != FALSE;
    }

    bool Write(const void* source, DWORD count, DWORD& done) override
    {
        return WriteFile(handle_, source, count, &done, nullptr) != FALSE;
    }

    void MoveTo(uint64_t position) override
    {
        LARGE_INTEGER where;
        where.QuadPart = static_cast<LONGLONG>(position);
        SetFilePointerEx(handle_, where, nullptr, FILE_BEGIN);
    }

    uint64_t Size() override
    {
        DWORD high = 0;
        DWORD low = GetFileSize(handle_, &high);
        return Combine(high, low);
    }

    bool Discard() override
    {
        CloseHandle(handle_);
        handle_ = INVALID_HANDLE_VALUE;
        return DeleteFileW(path_.c_str()) != FALSE;
    }

    bool Identify(BY_HANDLE_FILE_INFORMATION& info) const
    {
        return handle_ != INVALID_HANDLE_VALUE && GetFileInformationByHandle(handle_, &info);
    }

    bool Truncate() { return SetEndOfFile(handle_) != FALSE; }

private:
    HANDLE handle_;
    WString path_;
};

// A handle that only asks for attributes: it needs no read access and, with
// every sharing mode allowed, it neither fails on nor disturbs a file that
// someone else holds open.
Win32File AttributesOf(const WString& path)
{
    if (path.empty() || path.find(WCHAR(0)) != WString::npos)
        return Win32File(INVALID_HANDLE_VALUE, path);
    return Win32File(CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,  // folders open too
                                 nullptr),
                     path);
}

bool SameIdentity(const BY_HANDLE_FILE_INFORMATION& a, const BY_HANDLE_FILE_INFORMATION& b)
{
    return a.dwVolumeSerialNumber == b.dwVolumeSerialNumber &&
           a.nFileIndexHigh == b.nFileIndexHigh && a.nFileIndexLow == b.nFileIndexLow;
}

class Win32 : public Disk {
public:
    std::unique_ptr<DiskFile> OpenFile(const WString& path, bool writing) override
    {
        return Open(path, writing ? GENERIC_WRITE : GENERIC_READ,
                    writing ? CREATE_ALWAYS : OPEN_EXISTING);
    }

    // An existing output is opened without truncating it, so that the one
    // open both finds it and, unless it is the source, empties it.
    std::unique_ptr<DiskFile> CreateOutput(const WString& path, const WString& source,
                                           Existing existing) override
    {
        if (existing == Existing::Keep)
            return Open(path, GENERIC_WRITE, CREATE_NEW);
        bool existed = false;
        auto file = Open(path, GENERIC_WRITE, OPEN_ALWAYS, &existed);
        if (!file || !existed)
            return file;
        BY_HANDLE_FILE_INFORMATION output = {};
        BY_HANDLE_FILE_INFORMATION input = {};
        if (!source.empty() && file->Identify(output) && AttributesOf(source).Identify(input) &&
            SameIdentity(output, input)) {
            SetLastError(ERROR_SHARING_VIOLATION);
            return nullptr;
        }
        if (!file->Truncate())
            return nullptr;
        return file;
    }

    int OpenDescriptor(const WString& path, bool writing) override
    {
        return OpenRuntimeDescriptor(path, writing);
    }

    std::unique_ptr<FoundEntries> Find(const WString& base, const WString& pattern,
                                       Want) override
    {
        return std::make_unique<Win32Entries>(base + pattern);
    }

private:
    static std::unique_ptr<Win32File> Open(const WString& path, DWORD access, DWORD disposition,
                                           bool* existed = nullptr)
    {
        HANDLE handle = CreateFileW(path.c_str(), access,
                                    access == GENERIC_READ ? FILE_SHARE_READ : FILE_SHARE_WRITE,
                                    nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle == INVALID_HANDLE_VALUE)
            return nullptr;
        if (existed)
            *existed = GetLastError() == ERROR_ALREADY_EXISTS;
        return std::make_unique<Win32File>(handle, path);
    }
};

} // namespace

Disk& Win32Disk()
{
    static Win32 disk;
    return disk;
}

Disk& CurrentDisk()
{
    if (current == nullptr)
        current = &DefaultDisk();
    return *current;
}

void UseDisk(Disk& disk)
{
    current = &disk;
}

} // namespace vela
