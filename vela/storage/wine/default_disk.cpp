#include "vela/storage/disk.h"

#include "vela/storage/wine/wine_disk.h"

namespace vela {

Disk& DefaultDisk()
{
    return WineDisk();
}

} // namespace vela
