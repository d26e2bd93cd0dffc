#pragma once
// Where the dialog's options are kept.
#include "vela/text.h"

// Names the settings file for a program whose own folder is not the user's
// to write: set by the installed launcher to a file in the user's
// configuration folder.
extern const WCHAR SettingsPathVariable[];

// The file that variable names when it is set and not empty; otherwise the
// executable's path with the extension ".dat", or for a variant of the
// program, the file of the program it names in the same folder.
WString DefaultSettingsPath();
