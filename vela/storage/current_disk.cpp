#include "vela/storage/disk.h"

namespace vela {
namespace {

Disk* DefaultDisk()
{
#ifdef __WINE__
    return &WineDisk();
#else
    return &Win32Disk();
#endif
}

Disk* current = nullptr;

} // namespace

Disk& CurrentDisk()
{
    if (current == nullptr)
        current = DefaultDisk();
    return *current;
}

void UseDisk(Disk& disk)
{
    current = &disk;
}

} // namespace vela
