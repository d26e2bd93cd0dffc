// The Windows build's own part of the disk layer; Winelib builds
// vela/storage/wine/platform.cpp instead (see CMakeLists.txt).
#include "vela/storage/disk.h"
#include "vela/storage/heap.h"
#include "vela/storage/user_path.h"

#include <fcntl.h>
#include <io.h>

namespace vela {

Disk& DefaultDisk()
{
    return Win32Disk();
}

int OpenRuntimeDescriptor(const WString& path, bool writing)
{
    return _wopen(path.c_str(), (writing ? _O_RDWR : _O_RDONLY) | _O_BINARY);
}

void CloseDescriptor(int fd)
{
    _close(fd);
}

WString FoldNameCase(const WString& name)
{
    WString upper = name;
    if (!upper.empty())
        CharUpperBuffW(&upper[0], static_cast<DWORD>(upper.size()));
    return upper;
}

void KeepFreedMemoryForReuse() {}

int ReadDescriptor(int fd, void* destination, unsigned count)
{
    return _read(fd, destination, count);
}

WString UserPath(const WString& path)
{
    return path;
}

} // namespace vela
