#include "vela/media/track_bytes.h"

#include <algorithm>

namespace vela {

namespace {

// Most tags without a picture fit in the first read; one with a picture
// takes a second. The tail holds an ID3v1 tag and the footer before it.
constexpr size_t kHead = 16 * 1024;
constexpr size_t kTail = 512;

} // namespace

TrackBytes::TrackBytes(Track& track) : track_(track), size_(track.Size())
{
    Read(head_, 0, static_cast<size_t>(std::min<uint64_t>(size_, kHead)));
}

bool TrackBytes::Read(Piece& piece, uint64_t from, size_t count)
{
    piece.from = from;
    piece.bytes.resize(count);
    const int64_t got = count == 0 ? 0 : track_.ReadAt(from, &piece.bytes[0], count);
    piece.bytes.resize(got < 0 ? 0 : static_cast<size_t>(got));
    return got == static_cast<int64_t>(count);
}

const unsigned char* TrackBytes::At(uint64_t offset, size_t count, size_t& got)
{
    got = offset >= size_ ? 0 : static_cast<size_t>(std::min<uint64_t>(count, size_ - offset));
    Piece* piece = nullptr;
    if (head_.Holds(offset, got)) {
        piece = &head_;
    } else if (offset <= head_.bytes.size() && head_.bytes.size() == kHead) {
        // The leading tag goes on past the first read: the rest in one more.
        Piece rest;
        if (!Read(rest, head_.bytes.size(), static_cast<size_t>(offset + got) - head_.bytes.size()))
            return nullptr;
        head_.bytes.append(rest.bytes);
        piece = &head_;
    } else if (offset >= size_ - std::min<uint64_t>(size_, kTail)) {
        if (tail_.bytes.empty()) {
            const uint64_t from = size_ - std::min<uint64_t>(size_, kTail);
            if (!Read(tail_, from, static_cast<size_t>(size_ - from)))
                return nullptr;
        }
        piece = &tail_;
    } else {
        if (!other_.Holds(offset, got) && !Read(other_, offset, got))
            return nullptr;
        piece = &other_;
    }
    return reinterpret_cast<const unsigned char*>(piece->bytes.data()) + (offset - piece->from);
}

} // namespace vela
