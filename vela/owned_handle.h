#pragma once
// Owners of the Win32 handles this program opens, told apart by what the
// opening call gives on failure: null (OpenProcess, CreateFileMappingW) or
// INVALID_HANDLE_VALUE (CreateFileW, FindFirstFileW).
#include "vela/owned.h"
#include "vela/text.h"

namespace vela {

struct KernelHandle {
    using Handle = HANDLE;
    static HANDLE None() { return nullptr; }
    static bool Close(HANDLE handle) { return CloseHandle(handle) != FALSE; }
};

struct FileHandle : KernelHandle {
    static HANDLE None() { return INVALID_HANDLE_VALUE; }
};

struct FindHandle {
    using Handle = HANDLE;
    static HANDLE None() { return INVALID_HANDLE_VALUE; }
    static bool Close(HANDLE handle) { return FindClose(handle) != FALSE; }
};

using OwnedHandle = Owned<KernelHandle>;
using OwnedFileHandle = Owned<FileHandle>;
using OwnedFindHandle = Owned<FindHandle>;

} // namespace vela
