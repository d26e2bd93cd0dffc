#pragma once
// The outputs that WineDisk finds and writes.
#include "vela/storage/disk.h"

#include <sys/stat.h>

#include <memory>

namespace vela {

// What makes two Unix names one file, as stat tells it.
inline FileIdentity IdentityOf(const struct stat& info)
{
    return {static_cast<uint64_t>(info.st_dev), static_cast<uint64_t>(info.st_ino)};
}

// WineDisk's FindOutput (see Disk::FindOutput). `fresh` looks the name up
// on the disk first, trusting no snapshot of its folder.
std::unique_ptr<Output> FindWineOutput(const WString& path, bool fresh = false);

} // namespace vela
