#pragma once
// Whether two paths name one file on disk.
#include "vela/text.h"

// True when both paths lead to the same file, however they are spelt (letter
// case, short names, links): the same volume and file index on Windows, the
// same device and inode under Winelib. False when either cannot be examined,
// for instance because it does not exist yet.
bool IsSameFile(const WString& first, const WString& second);
