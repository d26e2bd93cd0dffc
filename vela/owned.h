#pragma once
// The one owner of a system handle, a descriptor, or anything else owed one
// closing call. `Kind` names the handle type, its "none" value and the call
// that closes it:
//     struct Kind {
//         using Handle = ...;
//         static Handle None();
//         static bool Close(Handle handle);  // true when the system closed it
//     };
// Move-only (the moves declared delete the copies): whoever holds an Owned
// last closes it, once.
//
// Below, the Win32 handles this program opens, told apart by what the
// opening call gives on failure: null (OpenProcess, CreateFileMappingW) or
// INVALID_HANDLE_VALUE (CreateFileW, FindFirstFileW). The Unix ones are in
// vela/storage/wine/names.h, the tag library's tags in vela/media/owned_tag.h.
#include "vela/text.h"

#include <utility>

namespace vela {

template <typename Kind>
class Owned {
public:
    using Handle = typename Kind::Handle;

    explicit Owned(Handle handle = Kind::None()) : handle_(handle) {}
    ~Owned() { reset(); }
    Owned(Owned&& other) noexcept : handle_(other.release()) {}
    Owned& operator=(Owned&& other) noexcept
    {
        reset(other.release());
        return *this;
    }

    Handle get() const { return handle_; }
    explicit operator bool() const { return handle_ != Kind::None(); }

    // Gives the handle up without closing it.
    Handle release() { return std::exchange(handle_, Kind::None()); }

    // Closes the handle held, if any, and takes `handle` instead.
    void reset(Handle handle = Kind::None())
    {
        Close();
        handle_ = handle;
    }

    // Closes now, for a caller to whom the result matters (a write that
    // counts only once the close succeeds). False when nothing was held.
    bool Close()
    {
        const Handle old = release();
        return old != Kind::None() && Kind::Close(old);
    }

private:
    Handle handle_;
};

struct KernelHandle {
    using Handle = HANDLE;
    static HANDLE None() { return nullptr; }
    static bool Close(HANDLE handle) { return CloseHandle(handle) != FALSE; }
};

struct FileHandle : KernelHandle {
    static HANDLE None() { return INVALID_HANDLE_VALUE; }
};

struct FindHandle : FileHandle {
    static bool Close(HANDLE handle) { return FindClose(handle) != FALSE; }
};

using OwnedHandle = Owned<KernelHandle>;
using OwnedFileHandle = Owned<FileHandle>;
using OwnedFindHandle = Owned<FindHandle>;

} // namespace vela
