#pragma once
// WineDisk's folder listings.
#include "vela/storage/disk.h"

#include <memory>

namespace vela {

// A folder listed with readdir and stat, in the order and with the details
// that Wine's FindFirstFileW/FindNextFileW give for "*". With Details::Names
// a regular file, which readdir tells, costs no stat. Null when the folder
// is not plain or holds a name that Wine would show differently; the caller
// then asks Win32.
std::unique_ptr<FoundEntries> ListWineFolder(const WString& base, Details details);

// Win32's listing of `base` with the identities of the folder and of its
// sub-folders in this disk's terms (st_dev, st_ino), as Unix links tell
// them, so that they compare with those that ListWineFolder gives.
std::unique_ptr<FoundEntries> WithWineIdentities(std::unique_ptr<FoundEntries> listed,
                                                 const WString& base);

} // namespace vela
