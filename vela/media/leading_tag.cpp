#include "vela/media/leading_tag.h"

#include "vela/media/stored_tag.h"
#include "vela/media/tag_bytes.h"

#include <cstring>
#include <string_view>

namespace vela {

namespace {

// The leading tag's length, header included, footer not; false when the
// track does not start with an ID3v2 tag. At most 256 MiB; a damaged size
// over a short file costs no more than the file.
bool LeadingTagLength(TrackBytes& file, size_t& length, size_t& footer)
{
    size_t got = 0;
    const unsigned char* header = file.At(0, 10, got);
    if (header == nullptr || got < 10 || std::memcmp(header, "ID3", 3) != 0)
        return false;
    const std::string_view head(reinterpret_cast<const char*>(header), 10);
    std::uint32_t body = 0;
    if (!Syncsafe(head, 6, body))
        return false;
    length = 10 + body;
    // An ID3v2.4 footer repeats the header after the frames.
    footer = Byte(head, 3) == 4 && (Byte(head, 5) & 0x10) ? 10 : 0;
    return true;
}

bool SameText(const id3_ucs4_t* a, const id3_ucs4_t* b)
{
    if (a == nullptr || b == nullptr)
        return a == b;
    while (*a != 0 && *a == *b)
        ++a, ++b;
    return *a == *b;
}

const id3_ucs4_t* Description(const id3_frame* frame, unsigned field)
{
    const id3_field* description = id3_frame_field(frame, field);
    return description != nullptr ? id3_field_getstring(description) : nullptr;
}

} // namespace

OwnedTag LeadingTxxxAsLyrics(TrackBytes& file, const LyricsFrame& txxx)
{
    size_t length = 0, footer = 0, got = 0;
    if (txxx.kind != LyricsKind::UserText || !LeadingTagLength(file, length, footer))
        return OwnedTag();
    const unsigned char* bytes = file.At(0, length, got);
    std::string lyricsTag;
    if (bytes == nullptr || got != length ||
        !TxxxAsLyricsTag(std::string_view(reinterpret_cast<const char*>(bytes), got),
                         static_cast<size_t>(txxx.userTextIndex), lyricsTag))
        return OwnedTag();
    OwnedTag tag(id3_tag_parse(reinterpret_cast<const id3_byte_t*>(lyricsTag.data()),
                               lyricsTag.size()));
    // The frame counted in the view's order must be the one found here.
    const id3_frame* lyrics = tag ? id3_tag_findframe(tag.get(), nullptr, 0) : nullptr;
    if (lyrics == nullptr || !SameText(Description(lyrics, 2), Description(txxx.frame, 1)))
        return OwnedTag();
    return tag;
}

std::string AudioAfterLeadingTag(TrackBytes& file)
{
    size_t length = 0, footer = 0, got = 0;
    if (!LeadingTagLength(file, length, footer))
        return std::string();
    const unsigned char* audio = file.At(length + footer, kAudioBytes, got);
    return audio != nullptr ? std::string(reinterpret_cast<const char*>(audio), got)
                            : std::string();
}

} // namespace vela
