#pragma once
// What the tag reader takes itself from the ID3v2 tag at a track's start and
// from what follows it, beside libid3tag's reading of the tags.
#include "vela/media/lyrics_frame.h"
#include "vela/media/owned_tag.h"
#include "vela/media/track_bytes.h"

#include <string>

namespace vela {

// The TXXX frame that gives the lyrics, from the leading tag's bytes, in a
// tag of its own as a USLT frame of the same encoding, description and
// value (see TxxxAsLyricsTag): the library reads that value as full text,
// with the line feeds that it turns into spaces in a TXXX frame. Null when
// the bytes give no such frame, or one with another description.
OwnedTag LeadingTxxxAsLyrics(TrackBytes& file, const LyricsFrame& txxx);

// Up to kAudioBytes after the leading tag (and its footer), where the first
// MPEG audio frame's header is; empty when the track does not start with an
// ID3v2 tag or cannot be read.
const size_t kAudioBytes = 4096;
std::string AudioAfterLeadingTag(TrackBytes& file);

} // namespace vela
