#include "tests/support/each_disk.h"

std::vector<DiskChoice> AllDisks()
{
    std::vector<DiskChoice> disks{{"Win32", &vela::Win32Disk()}};
#ifdef __WINE__
    disks.push_back({"Wine", &vela::WineDisk()});
#endif
    return disks;
}

std::string DiskName(const ::testing::TestParamInfo<DiskChoice>& info)
{
    return info.param.name;
}
