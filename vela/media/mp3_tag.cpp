#include "vela/media/mp3_tag.h"

#include "vela/media/file_tag.h"
#include "vela/media/legacy_text.h"
#include "vela/media/lyrics_frame.h"

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

// The track's bytes are read once here, for the tag and for its mending
// alike, and let go before the next track.
bool Mp3Tag::Open(std::unique_ptr<Track> track)
{
    Close();
    if (!track)
        return false;
    TrackBytes bytes(*track);
    OwnedTag tag = ReadFileTag(bytes);
    if (!tag)
        return false;
    if (NeedsMending(tag.get()))
        mended_ = MendedTag(bytes, tag.get());
    tag_ = std::move(tag);
    track_ = std::move(track);
    return true;
}

WString Mp3Tag::Lyrics() const
{
    if (!tag_)
        return WString();
    const LyricsFrame frame = FindLyricsFrame(mended_ ? mended_.get() : tag_.get());
    const id3_ucs4_t* text = LyricsText(frame);
    if (text == nullptr)
        return WString();
    // Text flagged ISO-8859-1 is often UTF-8 or ANSI in fact.
    const id3_field* encoding = id3_frame_field(frame.frame, 0);
    WString lyrics;
    if (encoding != nullptr &&
        id3_field_gettextencoding(encoding) == ID3_FIELD_TEXTENCODING_ISO_8859_1 &&
        ReadLegacyLyrics(text, lyrics))
        return lyrics;
    std::unique_ptr<id3_utf16_t, FreeDeleter> copy(id3_ucs4_utf16duplicate(text));
    if (!copy)
        return WString();  // out of memory: no lyrics rather than a failure
    const id3_utf16_t* begin = copy.get();
    const id3_utf16_t* end = begin;
    while (*end != 0)
        ++end;
    return WString(begin, end);
}

void Mp3Tag::Close()
{
    mended_.reset();
    tag_.reset();
    track_.reset();
}

} // namespace vela
