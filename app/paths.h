#pragma once
// Taking paths apart and composing them, and turning text into the ANSI code
// page. Each function copies its input, applies one platform path function and
// returns the result; a refused call gives back the input unchanged.
#include "vela/text.h"

WString AddBackslash(const WString& folder);
WString ParentFolder(const WString& path);
WString LeafName(const WString& path);
WString ExtensionOf(const WString& path);
WString StripExtension(const WString& path);
WString ReplaceExtension(const WString& path, const WString& extension);
WString ModulePath();
std::string ToAnsi(const WString& text);
