// The Windows build's own part of the disk layer; Winelib builds
// vela/storage/wine/platform.cpp instead (see CMakeLists.txt).
#include "vela/storage/disk.h"
#include "vela/storage/heap.h"
#include "vela/storage/user_path.h"

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

void KeepFreedMemoryForReuse() {}

// ReplaceFileW carries the old file's attributes and security itself.
void KeepOwnership(const WString&, const WString&) {}

WString UserPath(const WString& path)
{
    return path;
}

} // namespace vela
