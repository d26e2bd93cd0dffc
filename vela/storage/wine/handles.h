#pragma once
// Owners of what the Unix calls open, and the identity that stat tells.
#include "vela/owned.h"
#include "vela/storage/disk.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vela {

// Owners of what the Unix calls open: a file descriptor and a folder stream.
struct DescriptorKind {
    using Handle = int;
    static int None() { return -1; }
    static bool Close(int fd) { return ::close(fd) == 0; }
};

struct FolderStreamKind {
    using Handle = DIR*;
    static DIR* None() { return nullptr; }
    static bool Close(DIR* folder) { return closedir(folder) == 0; }
};

using Descriptor = Owned<DescriptorKind>;
using FolderStream = Owned<FolderStreamKind>;

// What makes two Unix names one file, in WineDisk's terms (st_dev, st_ino).
inline FileIdentity IdentityOf(const struct stat& info)
{
    return {static_cast<uint64_t>(info.st_dev), static_cast<uint64_t>(info.st_ino)};
}

} // namespace vela
