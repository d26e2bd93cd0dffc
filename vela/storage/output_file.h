#pragma once
// Writing one output file whole: how the export job puts a file on disk.
#include "vela/storage/disk.h"

#include <memory>
#include <string>

namespace vela {

// The output at `path` on the current disk, found once (see
// Disk::FindOutput).
std::unique_ptr<Output> FindOutput(const WString& path);

// Makes `bytes` the whole content of the output (see Output::Write):
// complete or absent whenever the process stops, left alone when it holds
// those bytes already. Never over the file that `source` opened, however
// reached (ERROR_SHARING_VIOLATION), and with Existing::Keep never over a
// file that holds the name in any letter case (ERROR_FILE_EXISTS). The
// system's text for a failure goes to the debugger output, and the error
// stays the last error.
OutputResult WriteOutput(Output& output, const Track* source, Existing existing,
                         const std::string& bytes);
// The same for the output at `path`.
OutputResult WriteOutput(const WString& path, const Track* source, Existing existing,
                         const std::string& bytes);

} // namespace vela
