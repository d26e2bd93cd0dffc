#pragma once
// The bytes of the ID3v2 tag at the start of a file, header included, as
// they are stored: for the tags that the tag reader mends before libid3tag
// parses them.
#include "vela/text.h"

#include <string>

namespace vela {

// False when the file cannot be read or does not start with an ID3v2 tag.
bool ReadLeadingTag(const WString& path, std::string& bytes);

} // namespace vela
