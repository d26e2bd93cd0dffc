#pragma once
// The bytes at the start of a file that the tag reader reads itself: the
// ID3v2 tag, header included, as stored, for the tags that it mends before
// libid3tag parses them again; and a little of what follows, where the first
// MPEG audio frame's header is.
#include "vela/text.h"

#include <string>

namespace vela {

struct LeadingBytes {
    std::string tag;
    std::string audio;  // up to kAudioBytes after the tag (and its footer)
};

const size_t kAudioBytes = 4096;

// False when the file cannot be read or does not start with an ID3v2 tag.
bool ReadLeadingTag(const WString& path, LeadingBytes& bytes);

} // namespace vela
