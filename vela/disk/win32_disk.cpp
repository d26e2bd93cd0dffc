#include "vela/disk/disk.h"

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

class Win32 : public Disk {
public:
    HANDLE OpenFile(const WString& path, bool writing) override
    {
        return CreateFileW(path.c_str(), writing ? GENERIC_WRITE : GENERIC_READ,
                           writing ? FILE_SHARE_WRITE : FILE_SHARE_READ, nullptr,
                           writing ? CREATE_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
    }

    std::unique_ptr<FoundEntries> Find(const WString& base, const WString& pattern,
                                       Want) override
    {
        return std::make_unique<Win32Entries>(base + pattern);
    }
};

} // namespace

Disk& Win32Disk()
{
    static Win32 disk;
    return disk;
}

} // namespace vela
