#include "vela/storage/disk.h"

namespace vela {
namespace {

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

// A handle that only asks for attributes: it needs no read access and, with
// every sharing mode allowed, it neither fails on nor disturbs a file that
// someone else holds open.
class AttributeHandle {
public:
    explicit AttributeHandle(const WString& path)
        : handle_(path.empty() || path.find(WCHAR(0)) != WString::npos
                      ? INVALID_HANDLE_VALUE
                      : CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS,  // folders open too
                                    nullptr))
    {
    }
    ~AttributeHandle()
    {
        if (handle_ != INVALID_HANDLE_VALUE)
            CloseHandle(handle_);
    }
    AttributeHandle(const AttributeHandle&) = delete;
    AttributeHandle& operator=(const AttributeHandle&) = delete;

    bool Identify(BY_HANDLE_FILE_INFORMATION& info) const
    {
        return handle_ != INVALID_HANDLE_VALUE && GetFileInformationByHandle(handle_, &info);
    }

private:
    HANDLE handle_;
};

class Win32 : public Disk {
public:
    std::unique_ptr<DiskFile> OpenFile(const WString& path, bool writing) override
    {
        HANDLE handle = CreateFileW(path.c_str(), writing ? GENERIC_WRITE : GENERIC_READ,
                                    writing ? FILE_SHARE_WRITE : FILE_SHARE_READ, nullptr,
                                    writing ? CREATE_ALWAYS : OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle == INVALID_HANDLE_VALUE)
            return nullptr;
        return std::make_unique<Win32File>(handle);
    }

    std::unique_ptr<DiskFile> CreateOutput(const WString& path) override
    {
        return OpenFile(path, true);
    }

    bool SameFile(const WString& first, const WString& second) override
    {
        BY_HANDLE_FILE_INFORMATION a = {};
        BY_HANDLE_FILE_INFORMATION b = {};
        if (!AttributeHandle(first).Identify(a) || !AttributeHandle(second).Identify(b))
            return false;
        return a.dwVolumeSerialNumber == b.dwVolumeSerialNumber &&
               a.nFileIndexHigh == b.nFileIndexHigh && a.nFileIndexLow == b.nFileIndexLow;
    }

    std::unique_ptr<FoundEntries> Find(const WString& base, const WString& pattern,
                                       Want) override
    {
        return std::make_unique<Win32Entries>(base + pattern);
    }
};

} // namespace

Win32File::~Win32File()
{
    CloseHandle(handle_);
}

bool Win32File::Read(void* destination, DWORD count, DWORD& done)
{
    return ReadFile(handle_, destination, count, &done, nullptr) != FALSE;
}

bool Win32File::Write(const void* source, DWORD count, DWORD& done)
{
    return WriteFile(handle_, source, count, &done, nullptr) != FALSE;
}

void Win32File::MoveTo(uint64_t position)
{
    LARGE_INTEGER where;
    where.QuadPart = static_cast<LONGLONG>(position);
    SetFilePointerEx(handle_, where, nullptr, FILE_BEGIN);
}

uint64_t Win32File::Size()
{
    DWORD high = 0;
    DWORD low = GetFileSize(handle_, &high);
    return uint64_t(high) << 32 | low;
}

Disk& Win32Disk()
{
    static Win32 disk;
    return disk;
}

} // namespace vela
