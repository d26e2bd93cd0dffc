#include "vela/media/mended_tag.h"

#include "vela/media/leading_tag.h"
#include "vela/media/lyrics_frame.h"
#include "vela/media/stored_tag.h"

#include <id3tag.h>

#include <string>

namespace vela {

namespace {

OwnedTag Parse(const std::string& bytes)
{
    return OwnedTag(
        id3_tag_parse(reinterpret_cast<const id3_byte_t*>(bytes.data()), bytes.size()));
}

} // namespace

void TagDeleter::operator()(id3_tag* tag) const
{
    id3_tag_delete(tag);
}

bool NeedsMending(const id3_tag* libraryTag)
{
    const LyricsFrame lyrics = FindLyricsFrame(libraryTag);
    if (lyrics.txxxIndex >= 0)
        return true;
    // A tag that the library could not read at all comes out as an empty
    // ID3v2.4 one.
    if (ID3_TAG_VERSION_MAJOR(id3_tag_version(libraryTag)) != 4)
        return false;
    return lyrics.frame == nullptr || MayReadPastItsEnd(lyrics);
}

OwnedTag MendedTag(TrackBytes& file, const id3_tag* libraryTag)
{
    std::string bytes;
    StoredTag stored;
    if (!ReadLeadingTag(file, bytes))
        return OwnedTag();
    // Frames that walk as the library walked them hold no lyrics it missed.
    if (FindLyricsFrame(libraryTag).frame == nullptr && SplitTag(bytes, false, nullptr))
        return OwnedTag();
    // Plain sizes only where syncsafe ones fail: the two agree below 128.
    bool resized = false;
    if (!SplitTag(bytes, false, &stored)) {
        if (!SplitTag(bytes, true, &stored))
            return OwnedTag();
        resized = true;
    }
    const bool mended = MendUnsynchronisedEnds(stored);
    OwnedTag copy;
    if (resized || mended) {
        copy = Parse(JoinTag(stored));
        if (!copy)
            return OwnedTag();
    }
    const LyricsFrame lyrics = FindLyricsFrame(copy ? copy.get() : libraryTag);
    if (lyrics.txxxIndex >= 0 &&
        KeepTxxxAsLyrics(stored, static_cast<size_t>(lyrics.txxxIndex))) {
        if (OwnedTag only = Parse(JoinTag(stored)))
            return only;
    }
    return copy;
}

} // namespace vela
