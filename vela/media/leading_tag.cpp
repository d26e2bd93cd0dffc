#include "vela/media/leading_tag.h"

#include "vela/media/tag_bytes.h"

#include <algorithm>
#include <cstring>

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

bool ReadLeadingTag(TrackBytes& file, LeadingBytes& bytes)
{
    size_t got = 0;
    const unsigned char* header = file.At(0, 10, got);
    if (header == nullptr || got < 10 || std::memcmp(header, "ID3", 3) != 0)
        return false;
    // At most 256 MiB; a damaged size over a short file costs no more than
    // the file.
    const std::string head(reinterpret_cast<const char*>(header), 10);
    std::uint32_t body = 0;
    if (!Syncsafe(head, 6, body))
        return false;
    const size_t size = 10 + body;
    // An ID3v2.4 footer repeats the header after the frames.
    const size_t footer = Byte(head, 3) == 4 && (Byte(head, 5) & 0x10) ? 10 : 0;
    const unsigned char* tag = file.At(0, size, got);
    if (tag == nullptr || got != size)
        return false;
    bytes.tag.assign(reinterpret_cast<const char*>(tag), size);
    const unsigned char* audio = file.At(size + footer, kAudioBytes, got);
    bytes.audio.assign(reinterpret_cast<const char*>(audio), audio != nullptr ? got : 0);
    return true;
}

} // namespace vela
