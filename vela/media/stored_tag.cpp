#include "vela/media/stored_tag.h"

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

unsigned Byte(const std::string& bytes, size_t at)
{
    return static_cast<unsigned char>(bytes[at]);
}

std::uint32_t BigEndian(const std::string& bytes, size_t at, int count)
{
    std::uint32_t value = 0;
    for (int i = 0; i < count; ++i)
        value = value << 8 | Byte(bytes, at + i);
    return value;
}

// False when a byte has its top bit set: then these are no syncsafe digits.
bool Syncsafe(const std::string& bytes, size_t at, std::uint32_t& value)
{
    value = 0;
    for (int i = 0; i < 4; ++i) {
        if (Byte(bytes, at + i) & 0x80)
            return false;
        value = value << 7 | Byte(bytes, at + i);
    }
    return true;
}

void PutBigEndian(std::string& out, std::uint32_t value, int count)
{
    for (int i = count - 1; i >= 0; --i)
        out += static_cast<char>(value >> (8 * i) & 0xFF);
}

void PutSyncsafe(std::string& out, std::uint32_t value)
{
    for (int i = 3; i >= 0; --i)
        out += static_cast<char>(value >> (7 * i) & 0x7F);
}

// FF 00 back to FF.
std::string Resynchronise(const std::string& bytes, size_t from)
{
    std::string out = bytes.substr(0, from);
    for (size_t i = from; i < bytes.size(); ++i) {
        out += bytes[i];
        if (Byte(bytes, i) == 0xFF && i + 1 < bytes.size() && bytes[i + 1] == 0)
            ++i;
    }
    return out;
}

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

// The frames between `at` and `end`, or with no `frames` only whether they
// walk to the end.
bool SplitFrames(const std::string& body, size_t at, size_t end, int version, bool plainSizes,
                 std::vector<StoredFrame>* frames)
{
    const size_t idLength = version == 2 ? 3 : 4;
    const size_t headerLength = version == 2 ? 6 : 10;
    while (at + headerLength <= end) {
        if (body[at] == 0)
            return AllZero(body, at, end);  // padding
        StoredFrame frame;
        frame.id = body.substr(at, idLength);
        std::uint32_t size;
        if (version == 2)
            size = BigEndian(body, at + 3, 3);
        else if (version == 3 || plainSizes)
            size = BigEndian(body, at + 4, 4);
        else if (!Syncsafe(body, at + 4, size))
            return false;
        frame.flags = version == 2 ? 0 : BigEndian(body, at + 8, 2);
        if (!ValidId(frame.id) || size > end - at - headerLength)
            return false;
        if (frames != nullptr) {
            frame.data = body.substr(at + headerLength, size);
            frames->push_back(std::move(frame));
        }
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

bool SplitTag(const std::string& bytes, bool plainSizes, StoredTag* tag)
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
    std::vector<StoredFrame> frames;
    if (!SplitFrames(*body, begin, end, version, plainSizes && version == 4,
                     tag != nullptr ? &frames : nullptr))
        return false;
    if (tag != nullptr) {
        tag->version = version;
        tag->frames = std::move(frames);
    }
    return true;
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
