#pragma once
// Under Winelib: the Unix name of a Windows path, for the tests that reach
// the disk or the tag library past Wine.
#include "vela/text.h"

#include <string>

// Empty when Wine gives no Unix name for the path.
std::string UnixPath(const WString& path);
