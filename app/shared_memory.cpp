#include "app/shared_memory.h"

#include <cstring>

namespace {

// One mapped view of a block, unmapped when it goes out of scope. Mapping
// exactly `count` bytes lets the system refuse a count beyond the block
// instead of the copy running past the view.
class MappedView {
public:
    MappedView(HANDLE mapping, DWORD access, size_t count)
        : address_(mapping ? MapViewOfFile(mapping, access, 0, 0, count) : nullptr)
    {
    }
    ~MappedView()
    {
        if (address_)
            UnmapViewOfFile(address_);
    }
    MappedView(const MappedView&) = delete;
    MappedView& operator=(const MappedView&) = delete;

    void* Address() const { return address_; }

private:
    void* address_;
};

} // namespace

SharedMemory::SharedMemory(const WString& name) : name_(name) {}

SharedMemory::~SharedMemory()
{
    Close();
}

void SharedMemory::Close()
{
    if (handle_)
        CloseHandle(handle_);
    handle_ = nullptr;
}

bool SharedMemory::Open()
{
    Close();
    handle_ = OpenFileMappingW(FILE_MAP_ALL_ACCESS, FALSE, name_.c_str());
    return handle_ != nullptr;
}

bool SharedMemory::Create(DWORD size)
{
    Close();
    handle_ = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, size,
                                 name_.c_str());
    return handle_ != nullptr;
}

bool SharedMemory::Read(void* target, size_t count) const
{
    MappedView view(handle_, FILE_MAP_READ, count);
    if (!view.Address())
        return false;
    std::memcpy(target, view.Address(), count);
    return true;
}

bool SharedMemory::Write(const void* source, size_t count)
{
    MappedView view(handle_, FILE_MAP_WRITE, count);
    if (!view.Address())
        return false;
    std::memcpy(view.Address(), source, count);
    return true;
}
