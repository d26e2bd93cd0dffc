#pragma once
// The Windows paths whose Unix names this program composes itself under
// Winelib: a drive letter, a backslash and names that Wine maps one to one.
// Everything else (relative, device and short 8.3 names, trailing dots or
// spaces, names Wine rewrites, paths at the 260-character limit) is left to
// the Win32 calls, so that their results stay Wine's own.
#include "vela/text.h"

namespace vela {

// One name, seen in place: one that Wine maps to the same Unix name and shows
// unchanged in a listing.
bool IsPlainName(const WCHAR* name, size_t length);
// A trailing backslash is accepted when folderSyntax is set.
bool IsPlainPath(const WString& path, bool folderSyntax);

} // namespace vela
