#include "vela/storage/descriptor.h"

#include <fcntl.h>
#include <io.h>

namespace vela {

int OpenRuntimeDescriptor(const WString& path, bool writing)
{
    return _wopen(path.c_str(), (writing ? _O_RDWR : _O_RDONLY) | _O_BINARY);
}

void CloseDescriptor(int fd)
{
    _close(fd);
}

} // namespace vela
