#pragma once
// How the tag reader fetches a track's bytes: the first ones in one read,
// the last ones in another, and anything else where it lies. One object
// serves one reading of one track; the bytes go with it.
#include "vela/storage/disk.h"

#include <string>

namespace vela {

class TrackBytes {
public:
    explicit TrackBytes(Track& track);
    TrackBytes(const TrackBytes&) = delete;
    TrackBytes& operator=(const TrackBytes&) = delete;

    uint64_t Size() const { return size_; }
    // The bytes the file holds from `offset` on, at most `count` of them
    // (fewer at its end: `got` says how many); null when a read fails.
    // Valid until the next call.
    const unsigned char* At(uint64_t offset, size_t count, size_t& got);

private:
    // Bytes read at `from`, kept as read.
    struct Piece {
        uint64_t from = 0;
        std::string bytes;
        bool Holds(uint64_t offset, size_t count) const
        {
            return offset >= from && offset - from + count <= bytes.size();
        }
    };
    bool Read(Piece& piece, uint64_t from, size_t count);

    Track& track_;
    const uint64_t size_;
    Piece head_;   // from the start: the leading tag, grown to its end when longer
    Piece tail_;   // the last bytes, where ID3v1 tags and footers lie
    Piece other_;  // whatever else was asked for last
};

} // namespace vela
