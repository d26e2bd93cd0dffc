#pragma once
// The tag that libid3tag's file route (id3_file_open, then id3_file_tag)
// presents for a file, found from the bytes that TrackBytes reads rather
// than through the C library's stream: the same places are looked at, the
// same bytes parsed with id3_tag_parse and the same frames gathered into one
// tag view, so the lyrics come out as the library's route gives them. Only
// the few tags that the library misreads are handed to it repaired (see
// ReadableTag): each tag is parsed once.
#include "vela/media/owned_tag.h"
#include "vela/media/track_bytes.h"

namespace vela {

// Null only when memory runs out. A file without any tag, or whose tags do
// not parse, gives an empty tag, as the library's route does.
OwnedTag ReadFileTag(TrackBytes& file);

} // namespace vela
