#include "app/shared_memory.h"

#include <cstring>

namespace {

struct MappedView {
    using Handle = void*;
    static void* None() { return nullptr; }
    static bool Close(void* address) { return UnmapViewOfFile(address) != FALSE; }
};

// Mapping exactly `count` bytes lets the system refuse a count beyond the
// block instead of the copy running past the view.
vela::Owned<MappedView> Map(HANDLE mapping, DWORD access, size_t count)
{
    return vela::Owned<MappedView>(mapping ? MapViewOfFile(mapping, access, 0, 0, count)
                                           : nullptr);
}

} // namespace

SharedMemory::SharedMemory(const WString& name) : name_(name) {}

// The block held so far is let go of first.
bool SharedMemory::Open()
{
    handle_.reset();
    handle_.reset(OpenFileMappingW(FILE_MAP_ALL_ACCESS, FALSE, name_.c_str()));
    return static_cast<bool>(handle_);
}

bool SharedMemory::Create(DWORD size)
{
    handle_.reset();
    handle_.reset(CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, size,
                                     name_.c_str()));
    return static_cast<bool>(handle_);
}

bool SharedMemory::Read(void* target, size_t count) const
{
    const auto view = Map(handle_.get(), FILE_MAP_READ, count);
    if (!view)
        return false;
    std::memcpy(target, view.get(), count);
    return true;
}

bool SharedMemory::Write(const void* source, size_t count)
{
    const auto view = Map(handle_.get(), FILE_MAP_WRITE, count);
    if (!view)
        return false;
    std::memcpy(view.get(), source, count);
    return true;
}
