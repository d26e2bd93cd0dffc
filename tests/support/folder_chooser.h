#pragma once
// Looking into the shell's folder chooser while a test drives it.
#include "vela/text.h"

// The visible chooser dialog that `owner` owns on this thread, or null.
HWND FindChooser(HWND owner);

// The chooser's tree: inside a name-space control on Windows, directly in the
// chooser under Wine 8.
HWND FindChooserTree(HWND chooser);

// The text of the tree's selected item and whether it is scrolled into view;
// false while nothing is selected.
bool ReadChooserSelection(HWND chooser, WString& text, bool& visible);
