#pragma once
// Owners of what the Unix calls open: a file descriptor and a folder stream.
// Winelib only; Windows has neither.
#include "vela/owned.h"

#include <dirent.h>
#include <unistd.h>

namespace vela {

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

} // namespace vela
