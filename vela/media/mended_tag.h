#pragma once
// A second reading, from the file's bytes, of the few tags that libid3tag
// reads wrong or without their lines: ID3v2.4 tags written with plain frame
// sizes, ID3v2.4 frames that make the library read past their end, and
// lyrics kept in TXXX frames, whose values the library hands out with each
// line feed turned into a space.
#include "vela/media/leading_tag.h"

#include <memory>

struct id3_tag;

namespace vela {

struct TagDeleter {
    void operator()(id3_tag* tag) const;
};
using OwnedTag = std::unique_ptr<id3_tag, TagDeleter>;

// Whether the lyrics of the tag that the library read call for the second
// reading. Cheap: it looks at the parsed tag only.
bool NeedsMending(const id3_tag* libraryTag);

// The tag at the start of the file, repaired and parsed again;
// null when nothing needed repair or the bytes give nothing better, so that
// the library's reading stands. A TXXX frame that holds the lyrics comes
// back as the tag's only frame, a USLT frame.
OwnedTag MendedTag(TrackBytes& file, const id3_tag* libraryTag);

} // namespace vela
