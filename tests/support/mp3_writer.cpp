#include "tests/support/mp3_writer.h"

#include <zlib.h>

namespace mp3 {

namespace {

// UTF-8 to code points; a malformed sequence gives U+FFFD and moves on by one
// byte.
std::vector<std::uint32_t> CodePoints(const std::string& utf8)
{
    std::vector<std::uint32_t> points;
    size_t i = 0;
    while (i < utf8.size()) {
        unsigned char lead = static_cast<unsigned char>(utf8[i]);
        int more = lead < 0x80 ? 0 : (lead >> 5) == 6 ? 1 : (lead >> 4) == 14 ? 2
                 : (lead >> 3) == 30 ? 3 : -1;
        if (more < 0 || i + static_cast<size_t>(more) >= utf8.size()) {
            points.push_back(0xFFFD);
            ++i;
            continue;
        }
        std::uint32_t point = more == 0 ? lead : lead & (0x3F >> more);
        bool valid = true;
        for (int k = 1; k <= more; ++k) {
            unsigned char next = static_cast<unsigned char>(utf8[i + k]);
            valid = valid && (next & 0xC0) == 0x80;
            point = (point << 6) | (next & 0x3F);
        }
        if (!valid) {
            points.push_back(0xFFFD);
            ++i;
            continue;
        }
        points.push_back(point);
        i += static_cast<size_t>(more) + 1;
    }
    return points;
}

void AppendUnit(std::string& out, std::uint16_t unit, bool bigEndian)
{
    char high = static_cast<char>(unit >> 8);
    char low = static_cast<char>(unit & 0xFF);
    out += bigEndian ? high : low;
    out += bigEndian ? low : high;
}

void AppendUtf16(std::string& out, const std::vector<std::uint32_t>& points, bool bigEndian)
{
    for (std::uint32_t p : points) {
        if (p >= 0x10000) {
            p -= 0x10000;
            AppendUnit(out, static_cast<std::uint16_t>(0xD800 | (p >> 10)), bigEndian);
            AppendUnit(out, static_cast<std::uint16_t>(0xDC00 | (p & 0x3FF)), bigEndian);
        } else {
            AppendUnit(out, static_cast<std::uint16_t>(p), bigEndian);
        }
    }
}

char EncodingByte(Encoding encoding)
{
    switch (encoding) {
    case Encoding::Latin1: return 0;
    case Encoding::Utf16:
    case Encoding::Utf16BomBE: return 1;
    case Encoding::Utf16BE: return 2;
    case Encoding::Utf8: return 3;
    }
    return 0;
}

std::string Terminator(Encoding encoding)
{
    bool wide = encoding == Encoding::Utf16 || encoding == Encoding::Utf16BomBE ||
                encoding == Encoding::Utf16BE;
    return std::string(wide ? 2 : 1, '\0');
}

std::string Compress(const std::string& bytes)
{
    uLongf size = compressBound(static_cast<uLong>(bytes.size()));
    std::string out(size, '\0');
    compress(reinterpret_cast<Bytef*>(&out[0]), &size,
             reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uLong>(bytes.size()));
    out.resize(size);
    return out;
}

std::uint32_t Crc32(const std::string& bytes)
{
    return static_cast<std::uint32_t>(crc32(crc32(0L, Z_NULL, 0),
                                            reinterpret_cast<const Bytef*>(bytes.data()),
                                            static_cast<uInt>(bytes.size())));
}

std::string FrameBytes(int version, const Frame& frame, bool tagUnsynchronised, bool plainSize)
{
    if (version == 2)
        return frame.id + BigEndian(static_cast<std::uint32_t>(frame.body.size()), 3) + frame.body;

    std::string data = frame.compress ? Compress(frame.body) : frame.body;
    std::uint8_t formatFlags = 0;
    if (version == 3) {
        if (frame.compress) {
            data = BigEndian(static_cast<std::uint32_t>(frame.body.size()), 4) + data;
            formatFlags |= 0x80;
        }
        return frame.id + BigEndian(static_cast<std::uint32_t>(data.size()), 4) +
               static_cast<char>(frame.statusFlags) + static_cast<char>(formatFlags) + data;
    }

    // 2.4: compression, then unsynchronisation; the data length indicator
    // gives the size with both undone.
    bool unsynchronise = frame.unsynchronise || tagUnsynchronised;
    bool lengthIndicator = frame.compress || frame.dataLengthIndicator;
    if (unsynchronise)
        data = Unsynchronise(data);
    if (lengthIndicator)
        data = Syncsafe(static_cast<std::uint32_t>(frame.body.size())) + data;
    formatFlags |= (frame.compress ? 0x08 : 0) | (unsynchronise ? 0x02 : 0) |
                   (lengthIndicator ? 0x01 : 0);
    const auto size = static_cast<std::uint32_t>(data.size());
    return frame.id + (plainSize ? BigEndian(size, 4) : Syncsafe(size)) +
           static_cast<char>(frame.statusFlags) + static_cast<char>(formatFlags) + data;
}

std::string ExtendedHeader(int version, bool withCrc, std::uint32_t crc, size_t padding)
{
    if (version == 3) {
        std::string header = BigEndian(withCrc ? 10 : 6, 4);
        header += BigEndian(withCrc ? 0x8000 : 0, 2);
        header += BigEndian(static_cast<std::uint32_t>(padding), 4);
        if (withCrc)
            header += BigEndian(crc, 4);
        return header;
    }
    // 2.4: size of the whole extended header, one flag byte, flag data.
    std::string flagData;
    if (withCrc) {
        flagData += '\x05';
        flagData += static_cast<char>((crc >> 28) & 0x0F);
        flagData += Syncsafe(crc & 0x0FFFFFFF);
    }
    std::string header = Syncsafe(static_cast<std::uint32_t>(6 + flagData.size()));
    header += '\x01';
    header += static_cast<char>(withCrc ? 0x20 : 0);
    return header + flagData;
}

std::string Padded(const std::string& text, size_t width)
{
    std::string field = text.substr(0, width);
    field.resize(width, '\0');
    return field;
}

}  // namespace

std::string Syncsafe(std::uint32_t value)
{
    std::string out(4, '\0');
    for (int i = 3; i >= 0; --i) {
        out[static_cast<size_t>(i)] = static_cast<char>(value & 0x7F);
        value >>= 7;
    }
    return out;
}

std::string BigEndian(std::uint32_t value, int bytes)
{
    std::string out(static_cast<size_t>(bytes), '\0');
    for (int i = bytes - 1; i >= 0; --i) {
        out[static_cast<size_t>(i)] = static_cast<char>(value & 0xFF);
        value >>= 8;
    }
    return out;
}

std::string Unsynchronise(const std::string& bytes)
{
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 8);
    for (size_t i = 0; i < bytes.size(); ++i) {
        out += bytes[i];
        if (static_cast<unsigned char>(bytes[i]) != 0xFF)
            continue;
        unsigned char next = i + 1 < bytes.size() ? static_cast<unsigned char>(bytes[i + 1]) : 0;
        if (next == 0 || next >= 0xE0)
            out += '\0';
    }
    return out;
}

std::string EncodeText(const std::string& utf8, Encoding encoding)
{
    std::vector<std::uint32_t> points = CodePoints(utf8);
    std::string out;
    switch (encoding) {
    case Encoding::Latin1:
        for (std::uint32_t p : points)
            out += p <= 0xFF ? static_cast<char>(p) : '?';
        break;
    case Encoding::Utf16:
        out += "\xFF\xFE";
        AppendUtf16(out, points, false);
        break;
    case Encoding::Utf16BomBE:
        out += "\xFE\xFF";
        AppendUtf16(out, points, true);
        break;
    case Encoding::Utf16BE:
        AppendUtf16(out, points, true);
        break;
    case Encoding::Utf8:
        out = utf8;
        break;
    }
    return out;
}

std::string LyricsBody(const std::string& lyrics, Encoding encoding, const std::string& language,
                       const std::string& descriptor)
{
    std::string body(1, EncodingByte(encoding));
    body += Padded(language, 3);
    body += EncodeText(descriptor, encoding) + Terminator(encoding);
    body += EncodeText(lyrics, encoding);
    return body;
}

Frame LyricsFrame(int version, const std::string& lyrics, Encoding encoding,
                  const std::string& language, const std::string& descriptor)
{
    Frame frame;
    frame.id = version == 2 ? "ULT" : "USLT";
    frame.body = LyricsBody(lyrics, encoding, language, descriptor);
    return frame;
}

Frame LatinFlaggedLyricsFrame(int version, const std::string& bytes)
{
    Frame frame = LyricsFrame(version, std::string(), Encoding::Latin1);
    frame.body += bytes;
    return frame;
}

Frame UserTextFrame(int version, const std::string& description, const std::string& value,
                    Encoding encoding)
{
    Frame frame = TextFrame(version == 2 ? "TXX" : "TXXX", description, encoding);
    frame.body += Terminator(encoding) + EncodeText(value, encoding);
    return frame;
}

Frame SyncedLyricsFrame(int version, const std::vector<SyncedEntry>& entries, Encoding encoding,
                        int timeStampFormat, int contentType)
{
    Frame frame;
    frame.id = version == 2 ? "SLT" : "SYLT";
    frame.body = std::string(1, EncodingByte(encoding)) + "eng" +
                 static_cast<char>(timeStampFormat) + static_cast<char>(contentType) +
                 Terminator(encoding);
    for (const SyncedEntry& entry : entries)
        frame.body += EncodeText(entry.text, encoding) + Terminator(encoding) +
                      BigEndian(entry.time, 4);
    return frame;
}

Frame TextFrame(const std::string& id, const std::string& text, Encoding encoding)
{
    Frame frame;
    frame.id = id;
    frame.body = std::string(1, EncodingByte(encoding)) + EncodeText(text, encoding);
    return frame;
}

std::string Tag::Bytes() const
{
    bool perFrameUnsync = unsynchronise && version == 4;
    std::string frameBytes;
    for (const Frame& frame : frames)
        frameBytes += FrameBytes(version, frame, perFrameUnsync, plainFrameSizes);

    bool withExtendedHeader = extendedHeader && version >= 3;
    std::string body;
    if (withExtendedHeader)
        // 2.3 checks the frames alone, 2.4 the padding as well.
        body += ExtendedHeader(version, crc,
                               Crc32(version == 3 ? frameBytes
                                                  : frameBytes + std::string(padding, '\0')),
                               padding);
    body += frameBytes;
    body += std::string(padding, '\0');
    if (unsynchronise && version < 4)
        body = Unsynchronise(body);

    std::uint8_t flags = (unsynchronise ? 0x80 : 0) | (withExtendedHeader ? 0x40 : 0) |
                         (footer && version == 4 ? 0x10 : 0);
    std::string header = std::string("ID3") + static_cast<char>(version) + '\0' +
                         static_cast<char>(flags) +
                         Syncsafe(static_cast<std::uint32_t>(body.size()));
    std::string bytes = header + body;
    if (footer && version == 4)
        bytes += "3DI" + header.substr(3);
    return bytes;
}

std::string Id3v1Tag(const Id3v1& fields)
{
    std::string tag = "TAG";
    tag += Padded(fields.title, 30);
    tag += Padded(fields.artist, 30);
    tag += Padded(fields.album, 30);
    tag += Padded(fields.year, 4);
    if (fields.track > 0 && fields.track < 256) {
        tag += Padded(fields.comment, 28);
        tag += '\0';
        tag += static_cast<char>(fields.track);
    } else {
        tag += Padded(fields.comment, 30);
    }
    tag += static_cast<char>(fields.genre);
    return tag;
}

std::string AudioFrames(int count)
{
    // FF FB: sync, MPEG-1, Layer III, no CRC; 90: 128 kbit/s, 44.1 kHz, no
    // padding; 00: stereo. 144 * 128000 / 44100 = 417 bytes.
    std::string frame("\xFF\xFB\x90\x00", 4);
    frame.resize(417, '\0');
    std::string bytes;
    for (int i = 0; i < count; ++i)
        bytes += frame;
    return bytes;
}

std::string FileWithLyrics(const std::string& lyrics, int version, Encoding encoding)
{
    Tag tag;
    tag.version = version;
    tag.frames.push_back(LyricsFrame(version, lyrics, encoding));
    return FileWithTag(tag);
}

std::string FileWithTag(const Tag& tag)
{
    return tag.Bytes() + AudioFrames(3);
}

std::string FileWithoutTag()
{
    return AudioFrames(3);
}

std::string FileWithId3v1Only(const Id3v1& fields)
{
    return AudioFrames(3) + Id3v1Tag(fields);
}

std::string EmptyFile()
{
    return std::string();
}

std::string TextFile()
{
    return "Shopping list\r\n- bread\r\n- milk\r\n";
}

}  // namespace mp3
