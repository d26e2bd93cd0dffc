#pragma once
// The rules by which every disk writes an output over a file that holds its
// name (see Disk::WriteOutput). Each disk finds the file and reads it with
// its own calls; what is refused, and when the file is left alone, is
// decided here once.
#include "vela/storage/disk.h"

#include <functional>
#include <string>

namespace vela {

// What a disk found at an output's name.
struct FoundOutput {
    // A regular file that may be written: no folder, pipe or device, and not
    // read-only.
    bool writable = false;
    FileIdentity identity;
    uint64_t size = 0;
    uint64_t links = 1;
};

// In this order: Existing::Keep refuses the file (ERROR_FILE_EXISTS), and so
// is one that is not writable (ERROR_ACCESS_DENIED) or is the file `source`
// opened (ERROR_SHARING_VIOLATION); one that holds exactly `bytes` is left
// alone (Unchanged); one that other hard links share is refused
// (kErrorHardLinked). Written means: go on and replace it. `read` reads up
// to `count` bytes from the start of the found file: the count read, -1 on
// failure.
OutputResult CheckFoundOutput(const FoundOutput& found, const Track* source, Existing existing,
                              const std::string& bytes,
                              const std::function<int64_t(char*, size_t count)>& read);

// Failed, with `error` as the last error.
OutputResult Fail(DWORD error);

} // namespace vela
