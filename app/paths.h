#pragma once
// Taking paths apart and composing them, and turning text into the ANSI code
// page. Each function copies its input and returns a new string. Paths of any
// length are composed whole: the platform's 260-character limit is left to
// the calls that open them, which fail rather than open another file.
#include "vela/text.h"

WString AddBackslash(const WString& folder);
WString ParentFolder(const WString& path);
WString LeafName(const WString& path);
WString ExtensionOf(const WString& path);
WString StripExtension(const WString& path);
WString ReplaceExtension(const WString& path, const WString& extension);
WString ModulePath();
std::string ToAnsi(const WString& text);
