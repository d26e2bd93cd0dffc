#pragma once
// Which frame of a tag gives the lyrics, and what the tag reader must read
// from the file's bytes to give them right. See FindLyricsFrame.
#include <id3tag.h>

namespace vela {

enum class LyricsKind {
    None,
    Unsynchronised,  // USLT
    UserText,        // TXXX named as lyrics
    Synchronised     // SYLT
};

struct LyricsFrame {
    const id3_frame* frame = nullptr;  // null: no lyrics
    LyricsKind kind = LyricsKind::None;
    // For a TXXX frame, how many TXXX frames come before it.
    int userTextIndex = -1;
    // The tag's bytes may give the lyrics better than the library read them
    // (see MendTag).
    bool mend = false;
    // A SYLT frame timed in MPEG frames: its times need the file's first
    // audio frame.
    bool timedInMpegFrames = false;
};

// The one rule for the lyrics, in this order of preference:
// 1. the first USLT frame, even an empty one;
// 2. only in a tag without any, the first TXXX frame named as lyrics by the
//    converters, players and servers that keep them there;
// 3. only without either, the first SYLT frame of lyrics (content type 1)
//    that holds text, or failing that the first SYLT frame that holds text.
LyricsFrame FindLyricsFrame(const id3_tag* tag);

// The frame's lyrics as libid3tag decoded them, for USLT and TXXX; null when
// it has none. A TXXX value comes with each line feed turned into a space.
const id3_ucs4_t* LyricsText(const LyricsFrame& lyrics);

} // namespace vela
