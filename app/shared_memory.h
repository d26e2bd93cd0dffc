#pragma once
// A named block of memory backed by the page file, shared by every process
// that opens it by name. It lives until the last process holding it closes it.
#include "vela/owned.h"

#include <cstddef>

class SharedMemory {
public:
    explicit SharedMemory(const WString& name);

    // Opens an existing block; false when no block of this name exists.
    bool Open();
    // Creates the block with `size` bytes, or opens it when it exists already.
    bool Create(DWORD size);
    // Copy `count` bytes from or to the start of the block. False, with
    // nothing copied, when nothing is open or the block is smaller than
    // `count` (rounded up to whole pages, as the system maps it).
    bool Read(void* target, size_t count) const;
    bool Write(const void* source, size_t count);

private:
    vela::OwnedHandle handle_;
    const WString name_;
};
