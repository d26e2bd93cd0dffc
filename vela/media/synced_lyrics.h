#pragma once
// Synchronised lyrics (the SYLT frame) as the LRC text that players read
// beside a track: each entry on a line of its own, "[mm:ss.xx]" and its text,
// lines joined by CR LF in the order the frame stores them. Line breaks at
// either end of an entry's text are dropped (many writers begin every entry
// with one); each run of them inside it becomes a space, so that every line
// keeps its time.
#include "vela/media/mpeg_audio.h"
#include "vela/text.h"

#include <id3tag.h>

namespace vela {

const long kSyncedLyricsContent = 1;
const long kMpegFrameTimeStamps = 1;
const long kMillisecondTimeStamps = 2;

// The frame's content type and time stamp format; -1 when it lacks them.
long SyncedContentType(const id3_frame* sylt);
long SyncedTimeStampFormat(const id3_frame* sylt);

// Whether some entry holds more than line breaks.
bool HasSyncedText(const id3_frame* sylt);

// The frame's entries as LRC. Times in milliseconds are taken as they are,
// times in MPEG frames with `audioFrame`; when that is unknown, or the times
// are in another unit, the lines come without times (and entries without
// text are left out), and `untimed` is set. Latin-1 text is read again as
// USLT text is (see ReadLegacyLyrics). Only the frame's own bytes are read:
// an entry cut short by the frame's end is left out.
WString SyncedLyricsText(const id3_frame* sylt, const MpegFrameLength& audioFrame, bool& untimed);

} // namespace vela
