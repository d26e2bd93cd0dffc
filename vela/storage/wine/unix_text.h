#pragma once
// Names between the program's UTF-16 and the UTF-8 bytes of the Unix calls,
// and the letter-case folding by which Wine matches names.
#include "vela/text.h"

#include <string>

namespace vela {

// False for an unpaired surrogate, which no Unix name can carry.
bool ToUtf8(const WString& text, std::string& out);
// False for bytes that are not UTF-8.
bool FromUtf8(const char* bytes, WString& out);
// Each code unit in upper case through the system's case table, the same
// table by which Wine compares and sorts names.
WString UpperCase(const WString& text);
// True when Wine's Unix names are UTF-8 (the usual UTF-8 locale); otherwise
// only ASCII names are composed here.
bool UnixNamesAreUtf8();

} // namespace vela
