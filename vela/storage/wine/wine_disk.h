#pragma once
// The disk that finds names with Unix calls under Winelib (see disk.h).
#include "vela/storage/disk.h"

namespace vela {

Disk& WineDisk();

} // namespace vela
