#pragma once
// Whether two paths name one file on disk.
#include "vela/text.h"

// True when both paths open and lead to the same file: same volume serial
// number and file index, however they are spelt (letter case, short names,
// links). False when either cannot be examined, for instance because it does
// not exist yet.
bool IsSameFile(const WString& first, const WString& second);
