#pragma once
// The outputs that WineDisk finds and writes.
#include "vela/storage/disk.h"

#include <memory>

namespace vela {

// WineDisk's FindOutput (see Disk::FindOutput). `fresh` looks the name up
// on the disk first, trusting no snapshot of its folder.
std::unique_ptr<Output> FindWineOutput(const WString& path, bool fresh = false);

} // namespace vela
