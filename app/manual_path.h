#pragma once
// Where the help button finds the manual, whichever folder the program was
// started from.
#include "vela/text.h"

// The manual's path relative to a folder that holds it.
extern const WCHAR ManualName[];

// The first of these that is a file: Manual\index.html under the current
// folder, beside the executable, and in the folder above the executable's
// (the project, for a program built into its build folder), and for an
// installed program in PREFIX\lib\tagscribe, PREFIX\share\tagscribe. When none is,
// the plain relative name, which the shell resolves against the current
// folder as before.
WString FindManual(const WString& currentFolder, const WString& modulePath);
// FindManual for this process.
WString ManualPath();
