#pragma once
// Which frame of a tag holds the lyrics: the first USLT frame; only in a tag
// without any, the first TXXX frame named as lyrics by the converters,
// players and servers that keep them there.
#include <id3tag.h>

namespace vela {

struct LyricsFrame {
    id3_frame* frame = nullptr;  // null: no lyrics
    // For a TXXX frame, how many TXXX frames come before it; else -1.
    int txxxIndex = -1;
};

LyricsFrame FindLyricsFrame(const id3_tag* tag);

// The frame's lyrics as libid3tag decoded them; null when it has none. A
// TXXX value comes with each line feed turned into a space.
const id3_ucs4_t* LyricsText(const LyricsFrame& lyrics);

// Whether libid3tag may have read the lyrics of this ID3v2.4 frame one byte
// too far (see MendUnsynchronisedEnds): the frame carries its own
// unsynchronisation without compression, and its text ends near a byte FF.
bool MayReadPastItsEnd(const LyricsFrame& lyrics);

} // namespace vela
