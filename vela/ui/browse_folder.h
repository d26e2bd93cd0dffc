#pragma once
// The shell's folder chooser.
#include "vela/text.h"

namespace vela {

class Window;

// Lets the user choose a folder, starting at initial (selected, expanded and
// scrolled into view when it exists). True with the folder in result; false
// on cancel, with result untouched. owner may be null. COM is initialised
// on the calling thread meanwhile.
bool BrowseForFolder(Window* owner, WString& result, const WString& initial);

} // namespace vela
