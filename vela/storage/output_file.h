#pragma once
// Writing one output file whole: how the export job puts a file on disk.
#include "vela/storage/disk.h"

#include <string>

namespace vela {

enum class OutputResult {
    Written,    // the file now holds exactly the bytes given
    Unchanged,  // it held exactly those bytes already and was left alone
    Failed      // nothing was written; the last error says why
};

// Writes `bytes` as the whole content of `path`. Never over the file that
// `source` names, however spelt (ERROR_SHARING_VIOLATION), and with
// Existing::Keep never over a file that holds the name in any letter case
// (ERROR_FILE_EXISTS). A write that fails, on a full disk say, leaves no
// output behind. The system's text for a failure goes to the debugger output.
OutputResult WriteOutput(const WString& path, const WString& source, Existing existing,
                         const std::string& bytes);

} // namespace vela
