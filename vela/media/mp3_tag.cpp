#include "vela/media/mp3_tag.h"

#include "vela/media/file_tag.h"
#include "vela/media/leading_tag.h"
#include "vela/media/legacy_text.h"
#include "vela/media/synced_lyrics.h"

#include <id3tag.h>

#include <cstdlib>
#include <memory>

namespace vela {

namespace {

struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};

} // namespace

Mp3Tag::Mp3Tag() = default;

Mp3Tag::~Mp3Tag() = default;

bool Mp3Tag::Open(const WString& path, int)
{
    Close();
    return Open(CurrentDisk().OpenTrack(path));
}

// Each step runs once per track, on bytes read once and let go before the
// next track.
bool Mp3Tag::Open(std::unique_ptr<Track> track)
{
    Close();
    if (!track)
        return false;
    TrackBytes bytes(*track);
    // Every tag of the track parsed once, those that the library misreads
    // repaired first.
    OwnedTag tag = ReadFileTag(bytes);
    if (!tag)
        return false;
    // One walk over the tag's frames chooses the one that gives the lyrics.
    lyrics_ = FindLyricsFrame(tag.get());
    // The library hands a TXXX value out with its line feeds made spaces.
    if (lyrics_.kind == LyricsKind::UserText) {
        userText_ = LeadingTxxxAsLyrics(bytes, lyrics_);
        if (userText_)
            lyrics_ = {id3_tag_findframe(userText_.get(), nullptr, 0), LyricsKind::Unsynchronised};
    }
    if (lyrics_.timedInMpegFrames)
        audioFrame_ = FirstMpegFrameLength(AudioAfterLeadingTag(bytes));
    tag_ = std::move(tag);
    track_ = std::move(track);
    return true;
}

Mp3Tag::TrackLyrics Mp3Tag::ReadLyrics() const
{
    TrackLyrics lyrics;
    if (!tag_)
        return lyrics;
    if (lyrics_.kind == LyricsKind::Synchronised) {
        lyrics.text = SyncedLyricsText(lyrics_.frame, audioFrame_, lyrics.untimed);
        return lyrics;
    }
    const id3_ucs4_t* text = LyricsText(lyrics_);
    if (text == nullptr)
        return lyrics;
    // Characters of the Basic Multilingual Plane are their own UTF-16; the
    // tag library encodes the rest (and replaces what is no character).
    const id3_ucs4_t* end = text;
    while (*end != 0 && *end < 0x10000)
        ++end;
    if (*end == 0) {
        lyrics.text.assign(text, end);
    } else {
        std::unique_ptr<id3_utf16_t, FreeDeleter> copy(id3_ucs4_utf16duplicate(text));
        if (!copy)
            return lyrics;  // out of memory: no lyrics rather than a failure
        const id3_utf16_t* begin = copy.get();
        const id3_utf16_t* utf16End = begin;
        while (*utf16End != 0)
            ++utf16End;
        lyrics.text.assign(begin, utf16End);
    }
    // Text flagged ISO-8859-1 is often UTF-8 or ANSI in fact.
    const id3_field* encoding = id3_frame_field(lyrics_.frame, 0);
    WString legacy;
    if (encoding != nullptr &&
        id3_field_gettextencoding(encoding) == ID3_FIELD_TEXTENCODING_ISO_8859_1 &&
        ReadLegacyLyrics(lyrics.text, legacy))
        lyrics.text.swap(legacy);
    return lyrics;
}

void Mp3Tag::Close()
{
    userText_.reset();
    lyrics_ = LyricsFrame();
    audioFrame_ = MpegFrameLength();
    tag_.reset();
    track_.reset();
}

} // namespace vela
