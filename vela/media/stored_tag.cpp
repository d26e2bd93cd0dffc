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

bool ValidId(const std::string& id)
{
    for (char c : id)
        if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')))
            return false;
    return true;
}

bool AllZero(const std::string& bytes, size_t from, size_t end)
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
bool Lands(const std::string& body, size_t next, size_t end, size_t idLength)
{
    if (next >= end || body[next] == 0)
        return next <= end;
    return next + idLength <= end && ValidId(body.substr(next, idLength));
}

// The size of the frame whose header starts at `at`. ID3v2.4 stores it
// syncsafe, but one popular player wrote plain integers there: the plain
// reading is taken only for a frame whose syncsafe size leads nowhere and
// whose plain one does. The two agree below 128.
bool FrameSize(const std::string& body, size_t at, size_t end, int version, std::uint32_t& size,
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
bool SplitFrames(const std::string& body, size_t at, size_t end, int version, StoredTag& tag)
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
        tag.frames.push_back(std::move(frame));
        at += headerLength + size;
    }
    return AllZero(body, at, end);
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

bool SplitTag(const std::string& bytes, StoredTag& tag)
{
    std::uint32_t size;
    if (bytes.size() < 10 || bytes.compare(0, 3, "ID3") != 0 || !Syncsafe(bytes, 6, size) ||
        size > bytes.size() - 10)
        return false;
    const int version = static_cast<int>(Byte(bytes, 3));
    const unsigned flags = Byte(bytes, 5);
    if (version < 2 || version > 4 || (version == 2 && (flags & kTagExtendedHeader)))
        return false;  // ID3v2.2 uses that flag for a compression nobody defined
    // Only tag-level unsynchronisation calls for a copy of the frames.
    std::string resynchronised;
    const std::string* body = &bytes;
    size_t begin = 10;
    size_t end = 10 + size;
    if (version < 4 && (flags & kTagUnsynchronised)) {
        resynchronised = Resynchronise(bytes.substr(10, size), 0);
        body = &resynchronised;
        begin = 0;
        end = resynchronised.size();
    }
    if (flags & kTagExtendedHeader) {
        // ID3v2.3 counts the size field out, ID3v2.4 in.
        std::uint32_t extended = 0;
        if (end - begin < 4 || (version == 4 && !Syncsafe(*body, begin, extended)))
            return false;
        const std::uint64_t length =
            version == 3 ? BigEndian(*body, begin, 4) + std::uint64_t(4) : extended;
        if (length > end - begin)
            return false;
        begin += static_cast<size_t>(length);
    }
    tag = StoredTag();
    tag.version = version;
    return SplitFrames(*body, begin, end, version, tag);
}

std::string JoinTag(const StoredTag& tag)
{
    std::string frames;
    for (const StoredFrame& frame : tag.frames) {
        frames += frame.id;
        const auto size = static_cast<std::uint32_t>(frame.data.size());
        if (tag.version == 2) {
            PutBigEndian(frames, size, 3);
        } else {
            tag.version == 3 ? PutBigEndian(frames, size, 4) : PutSyncsafe(frames, size);
            PutBigEndian(frames, frame.flags, 2);
        }
        frames += frame.data;
    }
    std::string bytes = "ID3";
    bytes += static_cast<char>(tag.version);
    bytes += std::string(2, '\0');  // revision, flags
    PutSyncsafe(bytes, static_cast<std::uint32_t>(frames.size()));
    return bytes + frames;
}

bool ResynchroniseWholeTag(std::string_view bytes, std::string& readable)
{
    const std::string header(bytes.substr(0, 10));
    std::uint32_t size;
    if (header.size() < 10 || header.compare(0, 3, "ID3") != 0 || Byte(header, 3) < 2 ||
        Byte(header, 3) > 3 || !(Byte(header, 5) & kTagUnsynchronised) ||
        !Syncsafe(header, 6, size) || size < 2 || size > bytes.size() - 10 ||
        bytes.substr(8 + size, 2) != std::string_view("\xFF\0", 2))
        return false;
    const std::string body = Resynchronise(std::string(bytes.substr(10, size)), 0);
    readable = header.substr(0, 5);
    readable += static_cast<char>(Byte(header, 5) & ~kTagUnsynchronised);
    PutSyncsafe(readable, static_cast<std::uint32_t>(body.size()));
    readable += body;
    return true;
}

bool MendUnsynchronisedEnds(StoredTag& tag)
{
    if (tag.version != 4)
        return false;
    bool mended = false;
    for (StoredFrame& frame : tag.frames) {
        const std::string& data = frame.data;
        if ((frame.flags & (kV4Unsynchronised | kV4Compressed | kV4Encrypted)) !=
                kV4Unsynchronised ||
            data.size() < V4DataStart(frame) + 2 || data.compare(data.size() - 2, 2, "\xFF\0", 2))
            continue;
        frame.data = Resynchronise(data, V4DataStart(frame));
        frame.flags &= ~kV4Unsynchronised;
        mended = true;
    }
    return mended;
}

bool KeepTxxxAsLyrics(StoredTag& tag, size_t index)
{
    const bool v2 = tag.version == 2;
    size_t seen = 0;
    for (StoredFrame& frame : tag.frames) {
        if (frame.id != (v2 ? "TXX" : "TXXX") || seen++ != index)
            continue;
        std::string data;
        if (!PlainData(tag.version, frame, data) || data.empty())
            return false;
        // Encoding, then a language, then the description and the value,
        // just as a lyrics frame lays them out.
        StoredFrame lyrics{v2 ? "ULT" : "USLT", 0, data.insert(1, "xxx")};
        tag.frames.assign(1, lyrics);
        return true;
    }
    return false;
}

} // namespace vela
