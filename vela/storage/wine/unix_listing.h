#pragma once
// A folder listed with readdir and stat, in the order and with the details
// that Wine's FindFirstFileW/FindNextFileW give for the pattern "*".
#include "vela/storage/disk.h"

#include <vector>

namespace vela {

// Null when the folder is not plain or holds a name that Wine would show
// differently; the caller then asks Win32.
std::unique_ptr<FoundEntries> ListUnixFolder(const WString& base, Disk::Want want);

} // namespace vela
