#pragma once
// Where a symbolic link at an output's name leads, and whether it may be
// followed there.
#include "vela/storage/disk.h"

#include <sys/stat.h>

#include <string>

namespace vela {

// Follows the symbolic link at `path` (its lstat in `info`) to the file it
// names, through every link on the way, those in the names of folders
// included; the links in the path of the folder that holds `path` are taken
// as they are. A link is followed only when the process's user owns it or
// its owner also owns what it names (the next link, or the file or folder
// at the end), so a link that someone else planted in a folder both can
// write never redirects a write. Root gets no exception.
// True with `path` the file's own path (no link left in it) and `info` its
// stat. False, `path` and `info` unchanged, with `error` the Win32 error:
// kErrorForeignLink for a link that may not be followed,
// ERROR_ACCESS_DENIED when a folder on the way cannot be searched, and
// ERROR_FILE_NOT_FOUND for a link that names nothing or too many links.
bool FollowTrustedLinks(std::string& path, struct stat& info, DWORD& error);

} // namespace vela
