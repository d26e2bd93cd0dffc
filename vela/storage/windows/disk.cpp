// The Windows build's disk, as the system gives it: the Win32 calls alone,
// names matched by the system's case table, and what the user set on a
// replaced file kept by ReplaceFileW itself.
#include "vela/storage/disk.h"

namespace vela {

Disk& DefaultDisk()
{
    return Win32Disk();
}

WString FoldNameCase(const WString& name)
{
    WString upper = name;
    if (!upper.empty())
        CharUpperBuffW(&upper[0], static_cast<DWORD>(upper.size()));
    return upper;
}

} // namespace vela
