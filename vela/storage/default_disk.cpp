#include "vela/storage/disk.h"

namespace vela {

Disk& DefaultDisk()
{
    return Win32Disk();
}

} // namespace vela
