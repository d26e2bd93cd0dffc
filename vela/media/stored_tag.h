#pragma once
// An ID3v2 tag as its bytes store it: the frames one by one, each with its
// header's identifier and flags and its data untouched. The tag reader takes
// this route only for the tags that libid3tag cannot read right by itself;
// the copy it writes back goes to id3_tag_parse.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vela {

struct StoredFrame {
    std::string id;  // 3 characters in ID3v2.2, else 4
    unsigned flags;  // the two flag bytes, 0 in ID3v2.2
    std::string data;
};

struct StoredTag {
    int version = 0;  // the major version: 2, 3 or 4
    std::vector<StoredFrame> frames;
    // Whether some ID3v2.4 frame size was read as a plain integer.
    bool plainSizes = false;
};

// Splits a whole tag (header included, no footer needed). Tag-level
// unsynchronisation of ID3v2.2 and 2.3 is undone; the extended header is
// skipped; an ID3v2.4 frame size that leads nowhere as syncsafe digits is
// read as a plain 32-bit integer, as some players wrote them. False when the
// frames do not walk to the end of the tag (padding aside) or the tag is none
// of these versions.
bool SplitTag(const std::string& bytes, StoredTag& tag);

// The tag's bytes again, with standard sizes and no extended header,
// unsynchronisation or footer at tag level; frame flags stay as they are.
std::string JoinTag(const StoredTag& tag);

// libid3tag 0.15.1b undoes the tag-level unsynchronisation of an ID3v2.2 or
// 2.3 tag in a copy of what follows the header and, when that ends in FF 00,
// reads one byte past the copy: a byte of the C heap then follows the last
// frame, and any but zero spoils the whole tag. For such a tag, `readable`
// becomes the same tag with that unsynchronisation undone and its flag
// cleared, which the library reads as it meant to; false for any other tag.
bool ResynchroniseWholeTag(std::string_view bytes, std::string& readable);

// libid3tag 0.15.1b reads one byte past an ID3v2.4 frame that carries its
// own unsynchronisation, is not compressed and whose stored data ends in
// FF 00. Undoes the unsynchronisation of every such frame and clears its
// flag; true when there was one.
bool MendUnsynchronisedEnds(StoredTag& tag);

// Keeps only the index-th TXXX frame (TXX in ID3v2.2), made into a lyrics
// frame of the same encoding and text, so that the library reads its value
// as a full text with its line breaks. False, and the tag untouched, when
// there is no such frame, it is encrypted or grouped, or it does not inflate.
bool KeepTxxxAsLyrics(StoredTag& tag, size_t index);

} // namespace vela
