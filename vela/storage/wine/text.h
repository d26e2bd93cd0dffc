#pragma once
// Which Windows names WineDisk composes Unix names for itself: those that
// Wine maps one to one (see names.h).
#include "vela/text.h"

#include <cstddef>

namespace vela {

// One name, seen in place: one that Wine maps to the same Unix name and shows
// unchanged in a listing.
bool IsPlainName(const WCHAR* name, size_t length);
// A trailing backslash is accepted when folderSyntax is set.
bool IsPlainPath(const WString& path, bool folderSyntax);

} // namespace vela
