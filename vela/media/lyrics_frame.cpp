#include "vela/media/lyrics_frame.h"

#include "vela/media/synced_lyrics.h"

#include <initializer_list>
#include <string_view>

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

bool HoldsText(const LyricsFrame& lyrics)
{
    const id3_ucs4_t* text = LyricsText(lyrics);
    return text != nullptr && *text != 0;
}

} // namespace

LyricsFrame FindLyricsFrame(const id3_tag* tag)
{
    LyricsFrame uslt, txxx, sylt, otherSylt;  // the first of each kind that counts
    int userTexts = 0;
    for (unsigned i = 0; const id3_frame* frame = id3_tag_findframe(tag, nullptr, i); ++i) {
        const std::string_view id = frame->id;
        if (id == "USLT" && uslt.frame == nullptr) {
            uslt = {frame, LyricsKind::Unsynchronised};
            if (HoldsText(uslt))
                return uslt;  // nothing later counts
        } else if (id == "TXXX") {
            if (txxx.frame == nullptr && NamesLyrics(frame))
                txxx = {frame, LyricsKind::UserText, userTexts};
            ++userTexts;
        } else if (id == "SYLT" && sylt.frame == nullptr) {
            const bool ofLyrics = SyncedContentType(frame) == kSyncedLyricsContent;
            LyricsFrame& slot = ofLyrics ? sylt : otherSylt;
            if (slot.frame == nullptr && HasSyncedText(frame))
                slot = {frame, LyricsKind::Synchronised, -1,
                        SyncedTimeStampFormat(frame) == kMpegFrameTimeStamps};
        }
    }
    if (uslt.frame == nullptr && txxx.frame != nullptr && HoldsText(txxx))
        return txxx;
    if (sylt.frame != nullptr || otherSylt.frame != nullptr)
        return sylt.frame != nullptr ? sylt : otherSylt;
    return uslt.frame != nullptr ? uslt : txxx;
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
