#pragma once
// Which frame of a tag gives the lyrics. See FindLyricsFrame.
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
    // A SYLT frame timed in MPEG frames: its times need the file's first
    // audio frame.
    bool timedInMpegFrames = false;
};

// The one rule for the lyrics, in this order of preference, decided in one
// walk over the tag's frames:
// 1. the first USLT frame, when it holds text;
// 2. only in a tag without any USLT frame, the first TXXX frame named as
//    lyrics by the converters, players and servers that keep them there,
//    when it holds text;
// 3. otherwise the first SYLT frame of lyrics (content type 1) that holds
//    text, or failing that the first SYLT frame that holds text.
// A USLT or TXXX frame without any text (as taggers leave one when lyrics
// are cleared) hides no SYLT frame; without either, that empty frame is the
// result.
LyricsFrame FindLyricsFrame(const id3_tag* tag);

// The frame's lyrics as libid3tag decoded them, for USLT and TXXX; null when
// it has none. A TXXX value comes with each line feed turned into a space.
const id3_ucs4_t* LyricsText(const LyricsFrame& lyrics);

} // namespace vela
