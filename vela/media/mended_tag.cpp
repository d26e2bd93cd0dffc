#include "vela/media/mended_tag.h"

#include "vela/media/stored_tag.h"

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

OwnedTag MendTag(const std::string& bytes, const LyricsFrame& lyrics)
{
    StoredTag stored;
    if (!lyrics.mend || !SplitTag(bytes, stored))
        return OwnedTag();
    const bool userText = lyrics.kind == LyricsKind::UserText;
    const bool found = userText || lyrics.kind == LyricsKind::Unsynchronised;
    // Frames that walk as the library walked them hide no lyrics from it.
    if (!found && !stored.plainSizes)
        return OwnedTag();
    const bool mended = MendUnsynchronisedEnds(stored);
    // The library's TXXX count holds for the stored frames unless their
    // sizes were read otherwise; then the repaired tag tells it.
    int userTextIndex = lyrics.userTextIndex;
    if (stored.plainSizes || (mended && !userText)) {
        OwnedTag copy = Parse(JoinTag(stored));
        if (!copy)
            return OwnedTag();
        const LyricsFrame again = FindLyricsFrame(copy.get());
        if (again.kind != LyricsKind::UserText)
            return copy;
        userTextIndex = again.userTextIndex;
    }
    if (userTextIndex >= 0 && KeepTxxxAsLyrics(stored, static_cast<size_t>(userTextIndex)))
        return Parse(JoinTag(stored));
    return mended ? Parse(JoinTag(stored)) : OwnedTag();
}

} // namespace vela
