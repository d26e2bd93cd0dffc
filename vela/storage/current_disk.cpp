// The disk that File, Mp3Tag, DirectoryList and WriteOutput use, on every
// platform; see CurrentDisk.
#include "vela/storage/disk.h"

namespace vela {

static Disk* current = nullptr;

Disk& CurrentDisk()
{
    if (current == nullptr)
        current = &DefaultDisk();
    return *current;
}

void UseDisk(Disk& disk)
{
    current = &disk;
}

} // namespace vela
