#include "vela/storage/disk.h"

#include "vela/storage/wine/unix_names.h"

#include <cerrno>
#include <unistd.h>

namespace vela {

Disk& DefaultDisk()
{
    return WineDisk();
}

// The C runtime under Unix opens folders too; on Windows _wopen refuses
// them, and so does OpenRegular.
int OpenRuntimeDescriptor(const WString& path, bool writing)
{
    if (path.empty() || path.find(WCHAR(0)) != WString::npos)
        return -1;
    char* unixPath = wine_get_unix_file_name(path.c_str());
    if (unixPath == nullptr)
        return -1;
    bool missing = false;
    const int fd = OpenRegular(unixPath, writing, missing);
    HeapFree(GetProcessHeap(), 0, unixPath);
    return fd;
}

void CloseDescriptor(int fd)
{
    close(fd);
}

int ReadDescriptor(int fd, void* destination, unsigned count)
{
    ssize_t got;
    do
        got = read(fd, destination, count);
    while (got < 0 && errno == EINTR);
    return static_cast<int>(got);
}

} // namespace vela
