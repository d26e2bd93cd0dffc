#pragma once
// Win32Disk's outputs, for a disk that leaves some of its outputs to the
// Win32 calls but must add to what they carry over to a replaced file.
#include "vela/storage/disk.h"

#include <memory>

namespace vela {

// Called with the old file's name and the partial file's just before the
// partial file replaces the old one.
using ReplaceHook = void (*)(const WString& old, const WString& partial);

// Win32Disk().FindOutput(path), whose Write calls `beforeReplace`, when
// given, before it replaces an existing file.
std::unique_ptr<Output> FindWin32Output(const WString& path, ReplaceHook beforeReplace);

} // namespace vela
