#include "vela/media/lyrics_frame.h"

#include "vela/media/synced_lyrics.h"

#include <cstddef>
#include <initializer_list>

namespace vela {

namespace {

id3_ucs4_t Lower(id3_ucs4_t c)
{
    return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c;
}

// Whether `text` starts with `name` (lower-case ASCII), ignoring letter case,
// and, with `whole`, ends there too.
bool Matches(const id3_ucs4_t* text, const char* name, bool whole)
{
    for (; *name != 0; ++text, ++name)
        if (Lower(*text) != static_cast<id3_ucs4_t>(*name))
            return false;
    return !whole || *text == 0;
}

bool NamesLyrics(const id3_frame* txxx)
{
    const id3_field* field = id3_frame_field(txxx, 1);
    const id3_ucs4_t* name = field != nullptr ? id3_field_getstring(field) : nullptr;
    if (name == nullptr)
        return false;
    for (const char* whole : {"lyrics", "unsyncedlyrics", "unsynced lyrics", "uslt"})
        if (Matches(name, whole, true))
            return true;
    return Matches(name, "lyrics-", false);
}

// Whether libid3tag may have read this ID3v2.4 frame one byte too far (see
// MendUnsynchronisedEnds): the frame carries its own unsynchronisation
// without compression, and its text ends near a byte FF.
bool MayReadPastItsEnd(const LyricsFrame& lyrics)
{
    const int flags = lyrics.frame->flags;
    const id3_ucs4_t* text = LyricsText(lyrics);
    if ((flags & (ID3_FRAME_FLAG_UNSYNCHRONISATION | ID3_FRAME_FLAG_COMPRESSION |
                  ID3_FRAME_FLAG_ENCRYPTION)) != ID3_FRAME_FLAG_UNSYNCHRONISATION ||
        text == nullptr)
        return false;
    // Stored data that ends in FF decodes to a last character holding that
    // byte, or a last but one when the stray byte makes one more. UTF-8 text
    // never holds it.
    std::size_t length = 0;
    while (text[length] != 0)
        ++length;
    for (std::size_t i = length > 2 ? length - 2 : 0; i < length; ++i)
        if ((text[i] & 0xFF) == 0xFF || (text[i] >> 8 & 0xFF) == 0xFF)
            return true;
    return false;
}

// The first SYLT frame with text among those of lyrics, or among all.
const id3_frame* FirstSyncedLyrics(const id3_tag* tag, bool lyricsOnly)
{
    for (unsigned i = 0; const id3_frame* sylt = id3_tag_findframe(tag, "SYLT", i); ++i)
        if ((!lyricsOnly || SyncedContentType(sylt) == kSyncedLyricsContent) &&
            HasSyncedText(sylt))
            return sylt;
    return nullptr;
}

} // namespace

LyricsFrame FindLyricsFrame(const id3_tag* tag)
{
    LyricsFrame lyrics;
    const bool v24 = ID3_TAG_VERSION_MAJOR(id3_tag_version(tag)) == 4;
    lyrics.frame = id3_tag_findframe(tag, "USLT", 0);
    if (lyrics.frame != nullptr) {
        lyrics.kind = LyricsKind::Unsynchronised;
        lyrics.mend = v24 && MayReadPastItsEnd(lyrics);
        return lyrics;
    }
    for (int i = 0; id3_frame* txxx = id3_tag_findframe(tag, "TXXX", i); ++i) {
        if (NamesLyrics(txxx)) {
            // The bytes give the value with its line breaks.
            lyrics = {txxx, LyricsKind::UserText, i, true, false};
            return lyrics;
        }
    }
    lyrics.frame = FirstSyncedLyrics(tag, true);
    if (lyrics.frame == nullptr)
        lyrics.frame = FirstSyncedLyrics(tag, false);
    if (lyrics.frame != nullptr) {
        lyrics.kind = LyricsKind::Synchronised;
        lyrics.timedInMpegFrames = SyncedTimeStampFormat(lyrics.frame) == kMpegFrameTimeStamps;
    }
    // Without USLT or TXXX lyrics, an ID3v2.4 tag may be one whose frame
    // sizes the library misread; a tag it could not read at all comes out as
    // an empty ID3v2.4 one.
    lyrics.mend = v24;
    return lyrics;
}

const id3_ucs4_t* LyricsText(const LyricsFrame& lyrics)
{
    const bool txxx = lyrics.kind == LyricsKind::UserText;
    if (lyrics.frame == nullptr || (!txxx && lyrics.kind != LyricsKind::Unsynchronised))
        return nullptr;
    const id3_field* field = id3_frame_field(lyrics.frame, txxx ? 2 : 3);
    if (field == nullptr)
        return nullptr;
    return txxx ? id3_field_getstring(field) : id3_field_getfullstring(field);
}

} // namespace vela
