#pragma once
// Turns the text after the program name into the list of paths to export.
#include "vela/text.h"

// Only the space separates arguments; tabs and backslashes are ordinary
// characters. A pair of double quotes groups everything between them into one
// argument (empty when the quotes are adjacent), and whatever follows the
// closing quote starts the next argument. An opening quote without a closing
// one drops the rest of the text. Spaces only give an empty list.
WStringList SplitCommandLine(const WString& text);
