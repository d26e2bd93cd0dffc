// What Windows and Winelib do differently below the Disk interface; under
// Winelib vela/storage/wine/platform.cpp takes this file's place.
#include "vela/storage/disk.h"
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

int ReadDescriptor(int fd, void* destination, unsigned count)
{
    return _read(fd, destination, count);
}

} // namespace vela

namespace vela {

WString UserPath(const WString& path)
{
    return path;
}

} // namespace vela
