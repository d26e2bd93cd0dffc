#pragma once
// Paths as the user knows them, for messages. Under Winelib the user works
// with Unix paths: a drive path becomes the Unix path Wine maps it to, and a
// relative path gets slashes. On Windows a path stays as it is.
#include "vela/text.h"

namespace vela {

WString UserPath(const WString& path);

} // namespace vela
