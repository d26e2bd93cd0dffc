#pragma once
// Writing one output file whole: how the export job puts a file on disk.
#include "vela/storage/disk.h"

#include <string>

namespace vela {

// Makes `bytes` the whole content of `path` on the current disk (see
// Disk::WriteOutput): complete or absent whenever the process stops, left
// alone when it holds those bytes already. Never over the file that `source`
// names, however spelt (ERROR_SHARING_VIOLATION), and with Existing::Keep
// never over a file that holds the name in any letter case
// (ERROR_FILE_EXISTS). The system's text for a failure goes to the debugger
// output, and the error stays the last error.
OutputResult WriteOutput(const WString& path, const WString& source, Existing existing,
                         const std::string& bytes);

// The file that an output at `path` replaces: `path`, or the file that a
// symbolic link there names (see Disk::FinalPath). Whatever must never be
// replaced is judged by this name.
WString FinalOutputPath(const WString& path);

} // namespace vela
