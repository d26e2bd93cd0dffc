#pragma once
// An ID3v2 tag as its bytes store it: the frames one by one, each with its
// header's identifier and flags and its data untouched. The tag reader goes
// to the bytes for two things only: the few tags that libid3tag misreads,
// which it hands to the library repaired (ReadableTag), and a TXXX value
// with its line breaks (TxxxAsLyricsTag).
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vela {

// Parts of the bytes split, or of the tag's own resynchronised copy of them.
struct StoredFrame {
    std::string_view id;  // 3 characters in ID3v2.2, else 4
    unsigned flags;       // the two flag bytes, 0 in ID3v2.2
    std::string_view data;
};

struct StoredTag {
    StoredTag() = default;
    // The frames may lie in `resynchronised`: a copy would point into this one.
    StoredTag(const StoredTag&) = delete;
    StoredTag& operator=(const StoredTag&) = delete;

    int version = 0;  // the major version: 2, 3 or 4
    std::vector<StoredFrame> frames;
    // Whether some ID3v2.4 frame size was read as a plain integer.
    bool plainSizes = false;
    // ID3v2.2 and 2.3 frames after their tag-level unsynchronisation is undone.
    std::string resynchronised;
};

// Splits a whole tag (header included, no footer needed); the frames stay
// valid while `bytes` do. Tag-level unsynchronisation of ID3v2.2 and 2.3 is
// undone; the extended header is skipped; an ID3v2.4 frame size that leads
// nowhere as syncsafe digits is read as a plain 32-bit integer, as some
// players wrote them. False when the frames do not walk to the end of the
// tag (padding aside) or the tag is none of these versions.
bool SplitTag(std::string_view bytes, StoredTag& tag);

// libid3tag 0.15.1b misreads three kinds of tag:
// - ID3v2.4 tags whose frame sizes are plain integers (see SplitTag);
// - ID3v2.4 frames with their own unsynchronisation whose stored data ends
//   in FF 00: the library reads one byte past its copy of the data, and the
//   text gets a last character taken from the C heap;
// - ID3v2.2 and 2.3 tags unsynchronised as a whole whose data ends in FF 00:
//   the same byte past the copy then follows the last frame, and any but
//   zero spoils the whole tag.
// For those, `readable` becomes the same tag in a form the library reads as
// it meant to (standard sizes; that unsynchronisation undone, its flag
// cleared); false for every other tag, which the library reads as it is.
bool ReadableTag(std::string_view bytes, std::string& readable);

// A tag of its own for the index-th TXXX frame (TXX in ID3v2.2) of the tag
// in `bytes`, made a lyrics frame of the same encoding and text, so that the
// library reads its value as a full text with its line breaks. False when
// there is no such frame, it is encrypted or grouped, or it does not inflate.
bool TxxxAsLyricsTag(std::string_view bytes, size_t index, std::string& lyricsTag);

} // namespace vela
