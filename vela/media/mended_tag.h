#pragma once
// A second reading, from the tag's bytes, of the few tags that libid3tag
// reads wrong or without their lines: ID3v2.4 tags written with plain frame
// sizes, ID3v2.4 frames that make the library read past their end, and
// lyrics kept in TXXX frames, whose values the library hands out with each
// line feed turned into a space.
#include "vela/media/lyrics_frame.h"

#include <memory>
#include <string>

namespace vela {

struct TagDeleter {
    void operator()(id3_tag* tag) const;
};
using OwnedTag = std::unique_ptr<id3_tag, TagDeleter>;

// The tag in `bytes` (header included, as ReadLeadingTag gives it),
// repaired and parsed again, for lyrics that FindLyricsFrame marked to mend
// in the library's reading; null when nothing needed repair or the bytes give
// nothing better, so that the library's reading stands. A TXXX frame that
// holds the lyrics comes back as the tag's only frame, a USLT frame.
OwnedTag MendTag(const std::string& bytes, const LyricsFrame& lyrics);

} // namespace vela
