#pragma once
// The C runtime descriptors through which the tag library reads a file.
#include "vela/text.h"

namespace vela {

// Win32Disk's way to a descriptor (see Disk::OpenDescriptor): _wopen on
// Windows; under Winelib, where the tag library is a Unix one, a Unix
// descriptor on the name that Wine converts the path to.
int OpenRuntimeDescriptor(const WString& path, bool writing);
void CloseDescriptor(int fd);

} // namespace vela
