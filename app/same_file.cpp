#include "app/same_file.h"

namespace {

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

} // namespace

bool IsSameFile(const WString& first, const WString& second)
{
    BY_HANDLE_FILE_INFORMATION a = {};
    BY_HANDLE_FILE_INFORMATION b = {};
    if (!AttributeHandle(first).Identify(a) || !AttributeHandle(second).Identify(b))
        return false;
    return a.dwVolumeSerialNumber == b.dwVolumeSerialNumber &&
           a.nFileIndexHigh == b.nFileIndexHigh && a.nFileIndexLow == b.nFileIndexLow;
}
