// The Windows build's disk: the Win32 calls alone, which keep what the user
// set on a replaced file themselves.
#include "vela/storage/disk.h"

namespace vela {

Disk& DefaultDisk()
{
    return Win32Disk();
}

// ReplaceFileW carries the old file's attributes and security itself.
void KeepOwnership(const WString&, const WString&) {}

} // namespace vela
