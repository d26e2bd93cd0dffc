#include "vela/media/stored_tag.h"

#include "vela/media/tag_bytes.h"

#include <zlib.h>

namespace vela {

namespace {

const unsigned char kTagUnsynchronised = 0x80;
const unsigned char kTagExtendedHeader = 0x40;
// ID3v2.4 frame format flags.
const unsigned kV4Grouped = 0x0040;
const unsigned kV4Compressed = 0x0008;
const unsigned kV4Encrypted = 0x0004;
const unsigned kV4Unsynchronised = 0x0002;
const unsigned kV4DataLength = 0x0001;
// ID3v2.3 frame format flags.
const unsigned kV3Compressed = 0x0080;
const unsigned kV3EncryptedOrGrouped = 0x0060;

bool ValidId(std::string_view id)
{
    for (char c : id)
        if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')))
            return false;
    return true;
}

bool AllZero(std::string_view bytes, size_t from, size_t end)
{
    for (size_t i = from; i < end; ++i)
        if (bytes[i] != 0)
            return false;
    return true;
}

// Where the ID3v2.4 frame's own data starts: after the data length indicator.
size_t V4DataStart(const StoredFrame& frame)
{
    return frame.flags & kV4DataLength ? 4 : 0;
}

// Whether a frame's size leads to `next`: the end, padding or another
// frame's identifier.
bool Lands(std::string_view body, size_t next, size_t end, size_t idLength)
{
    if (next >= end || body[next] == 0)
        return next <= end;
    return next + idLength <= end && ValidId(body.substr(next, idLength));
}

// The size of the frame whose header starts at `at`. ID3v2.4 stores it
// syncsafe, but one popular player wrote plain integers there: the plain
// reading is taken only for a frame whose syncsafe size leads nowhere and
// whose plain one does. The two agree below 128.
bool FrameSize(std::string_view body, size_t at, size_t end, int version, std::uint32_t& size,
               bool& plain)
{
    const size_t header = version == 2 ? 6 : 10;
    const size_t room = end - at - header;
    plain = false;
    if (version == 2) {
        size = BigEndian(body, at + 3, 3);
        return size <= room;
    }
    const std::uint32_t whole = BigEndian(body, at + 4, 4);
    if (version == 3) {
        size = whole;
        return size <= room;
    }
    const size_t idLength = 4;
    std::uint32_t syncsafe;
    const bool digits = Syncsafe(body, at + 4, syncsafe) && syncsafe <= room;
    if (digits && Lands(body, at + header + syncsafe, end, idLength)) {
        size = syncsafe;
        return true;
    }
    if (whole <= room && Lands(body, at + header + whole, end, idLength)) {
        size = whole;
        plain = whole != syncsafe;
        return true;
    }
    size = syncsafe;
    return digits;
}

// The frames between `at` and `end`, each split off in one walk.
bool SplitFrames(std::string_view body, size_t at, size_t end, int version, StoredTag& tag)
{
    const size_t idLength = version == 2 ? 3 : 4;
    const size_t headerLength = version == 2 ? 6 : 10;
    while (at + headerLength <= end) {
        if (body[at] == 0)
            return AllZero(body, at, end);  // padding
        StoredFrame frame;
        frame.id = body.substr(at, idLength);
        std::uint32_t size;
        bool plain;
        if (!ValidId(frame.id) || !FrameSize(body, at, end, version, size, plain))
            return false;
        tag.plainSizes = tag.plainSizes || plain;
        frame.flags = version == 2 ? 0 : BigEndian(body, at + 8, 2);
        frame.data = body.substr(at + headerLength, size);
        tag.frames.push_back(frame);
        at += headerLength + size;
    }
    return AllZero(body, at, end);
}

// An ID3v2.4 frame that libid3tag would read one byte past (see
// ReadableTag): its own unsynchronisation, and stored data ending in FF 00.
bool EndsInUnsynchronisedFF(const StoredFrame& frame)
{
    const std::string_view data = frame.data;
    return (frame.flags & (kV4Unsynchronised | kV4Encrypted)) == kV4Unsynchronised &&
           data.size() >= V4DataStart(frame) + 2 &&
           data.substr(data.size() - 2) == std::string_view("\xFF\0", 2);
}

// The tag's bytes again, with standard sizes and no extended header,
// unsynchronisation or footer at tag level; in ID3v2.4 the frames that end
// in FF 00 resynchronised and their flag cleared, every other flag kept.
std::string JoinTag(int version, const std::vector<StoredFrame>& stored)
{
    std::string frames;
    for (const StoredFrame& frame : stored) {
        const bool mend = version == 4 && EndsInUnsynchronisedFF(frame);
        const std::string data =
            mend ? Resynchronise(frame.data, V4DataStart(frame)) : std::string(frame.data);
        frames += frame.id;
        const auto size = static_cast<std::uint32_t>(data.size());
        if (version == 2) {
            PutBigEndian(frames, size, 3);
        } else {
            version == 3 ? PutBigEndian(frames, size, 4) : PutSyncsafe(frames, size);
            PutBigEndian(frames, mend ? frame.flags & ~kV4Unsynchronised : frame.flags, 2);
        }
        frames += data;
    }
    std::string bytes = "ID3";
    bytes += static_cast<char>(version);
    bytes += std::string(2, '\0');  // revision, flags
    PutSyncsafe(bytes, static_cast<std::uint32_t>(frames.size()));
    return bytes + frames;
}

// An ID3v2.2 or 2.3 tag unsynchronised as a whole, with its data ending in
// FF 00, as the library meant to read it: resynchronised, flag cleared, the
// rest (extended header, padding) as stored.
bool ResynchroniseWholeTag(std::string_view bytes, std::string& readable)
{
    std::uint32_t size;
    if (Byte(bytes, 3) < 2 || Byte(bytes, 3) > 3 || !(Byte(bytes, 5) & kTagUnsynchronised) ||
        !Syncsafe(bytes, 6, size) || size < 2 || size > bytes.size() - 10 ||
        bytes.substr(8 + size, 2) != std::string_view("\xFF\0", 2))
        return false;
    const std::string body = Resynchronise(bytes.substr(10, size), 0);
    readable.assign(bytes.substr(0, 5));
    readable += static_cast<char>(Byte(bytes, 5) & ~kTagUnsynchronised);
    PutSyncsafe(readable, static_cast<std::uint32_t>(body.size()));
    readable += body;
    return true;
}

// The frame's data with its unsynchronisation and compression undone;
// false for encrypted or grouped frames and for data that does not inflate.
bool PlainData(int version, const StoredFrame& frame, std::string& data)
{
    data = frame.data;
    bool compressed = false;
    std::uint32_t size = 0;
    if (version == 3) {
        compressed = (frame.flags & kV3Compressed) != 0;
        if ((frame.flags & kV3EncryptedOrGrouped) || (compressed && data.size() < 4))
            return false;
        size = compressed ? BigEndian(data, 0, 4) : 0;
        data.erase(0, compressed ? 4 : 0);
    } else if (version == 4) {
        compressed = (frame.flags & kV4Compressed) != 0;
        if ((frame.flags & (kV4Grouped | kV4Encrypted)) || data.size() < V4DataStart(frame) ||
            (compressed && (!(frame.flags & kV4DataLength) || !Syncsafe(data, 0, size))))
            return false;
        if (frame.flags & kV4Unsynchronised)
            data = Resynchronise(data, V4DataStart(frame));
        data.erase(0, V4DataStart(frame));
    }
    if (!compressed)
        return true;
    // zlib inflates at most about a thousandfold, and no lyrics run to
    // 16 MiB: a larger claim is damage.
    if (size / 1032 > data.size() || size > (1u << 24))
        return false;
    std::string plain(size, '\0');
    uLongf length = size;
    if (uncompress(reinterpret_cast<Bytef*>(&plain[0]), &length,
                   reinterpret_cast<const Bytef*>(data.data()), data.size()) != Z_OK)
        return false;
    plain.resize(length);
    data.swap(plain);
    return true;
}

} // namespace

bool SplitTag(std::string_view bytes, StoredTag& tag)
{
    std::uint32_t size;
    if (bytes.size() < 10 || bytes.substr(0, 3) != "ID3" || !Syncsafe(bytes, 6, size) ||
        size > bytes.size() - 10)
        return false;
    const int version = static_cast<int>(Byte(bytes, 3));
    const unsigned flags = Byte(bytes, 5);
    if (version < 2 || version > 4 || (version == 2 && (flags & kTagExtendedHeader)))
        return false;  // ID3v2.2 uses that flag for a compression nobody defined
    tag.version = version;
    tag.frames.clear();
    tag.plainSizes = false;
    tag.resynchronised.clear();
    // Only tag-level unsynchronisation calls for a copy of the frames.
    std::string_view body = bytes;
    size_t begin = 10;
    size_t end = 10 + size;
    if (version < 4 && (flags & kTagUnsynchronised)) {
        tag.resynchronised = Resynchronise(bytes.substr(10, size), 0);
        body = tag.resynchronised;
        begin = 0;
        end = body.size();
    }
    if (flags & kTagExtendedHeader) {
        // ID3v2.3 counts the size field out, ID3v2.4 in.
        std::uint32_t extended = 0;
        if (end - begin < 4 || (version == 4 && !Syncsafe(body, begin, extended)))
            return false;
        const std::uint64_t length =
            version == 3 ? BigEndian(body, begin, 4) + std::uint64_t(4) : extended;
        if (length > end - begin)
            return false;
        begin += static_cast<size_t>(length);
    }
    return SplitFrames(body, begin, end, version, tag);
}

bool ReadableTag(std::string_view bytes, std::string& readable)
{
    if (bytes.size() < 10 || bytes.substr(0, 3) != "ID3")
        return false;
    if (Byte(bytes, 3) != 4)
        return ResynchroniseWholeTag(bytes, readable);
    StoredTag tag;
    if (!SplitTag(bytes, tag))
        return false;
    bool misread = tag.plainSizes;
    for (const StoredFrame& frame : tag.frames)
        misread = misread || EndsInUnsynchronisedFF(frame);
    if (misread)
        readable = JoinTag(tag.version, tag.frames);
    return misread;
}

bool TxxxAsLyricsTag(std::string_view bytes, size_t index, std::string& lyricsTag)
{
    StoredTag tag;
    if (!SplitTag(bytes, tag))
        return false;
    const bool v2 = tag.version == 2;
    size_t seen = 0;
    for (const StoredFrame& frame : tag.frames) {
        if (frame.id != (v2 ? "TXX" : "TXXX") || seen++ != index)
            continue;
        std::string data;
        if (!PlainData(tag.version, frame, data) || data.empty())
            return false;
        // Encoding, then a language, then the description and the value,
        // just as a lyrics frame lays them out.
        data.insert(1, "xxx");
        lyricsTag = JoinTag(tag.version, {StoredFrame{v2 ? "ULT" : "USLT", 0, data}});
        return true;
    }
    return false;
}

} // namespace vela
