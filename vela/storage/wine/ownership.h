#pragma once
// What a file that WineDisk writes gets of the file it replaces, and of Wine's
// rules for new files.
#include "vela/text.h"

#include <sys/stat.h>

#include <string>

namespace vela {

// Puts the permission bits, group and (as root) owner of `old` on the open
// file, as far as the process may; see Disk::WriteOutput.
void CarryOwnership(int fd, const struct stat& old);

// Wine gives new files with these extensions execute permission.
bool IsProgramName(const std::string& path);

// What the Win32 calls cannot carry: the Unix permission bits, group and
// owner of `old`, put on `partial` before it replaces it. The hook of the
// outputs that WineDisk leaves to Win32Disk (see win32_output.h).
void KeepOwnership(const WString& old, const WString& partial);

} // namespace vela
