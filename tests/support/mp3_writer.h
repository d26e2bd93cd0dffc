#pragma once
// Writes MP3 files byte by byte for tests and benchmarks: an optional ID3v2
// tag (versions 2.2, 2.3, 2.4), a few MPEG audio frames and an optional ID3v1
// tag. Standard C++ and zlib only, so that native tools can use it as well;
// text comes in as UTF-8 and every result is the file's bytes in a
// std::string.
//
// Quick use:
//     WriteBytes(path, mp3::FileWithLyrics("la la\r\nla", 4, mp3::Encoding::Utf8));
//
// Flexible use:
//     mp3::Tag tag;
//     tag.version = 3;
//     tag.unsynchronise = true;
//     tag.frames.push_back(mp3::LyricsFrame(tag.version, "first", mp3::Encoding::Latin1, "eng"));
//     mp3::Frame second = mp3::LyricsFrame(tag.version, "zweite", mp3::Encoding::Utf16, "deu");
//     second.compress = true;
//     tag.frames.push_back(second);
//     tag.padding = 100;
//     std::string bytes = tag.Bytes() + mp3::AudioFrames(3) + mp3::Id3v1Tag({"Title"});
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace mp3 {

// How a frame's text is stored (the ID3v2 text-encoding byte).
enum class Encoding {
    Latin1,     // 0: ISO-8859-1; code points above U+00FF become '?'
    Utf16,      // 1: UTF-16 with byte-order mark, little-endian (FF FE)
    Utf16BomBE, // 1: UTF-16 with byte-order mark, big-endian (FE FF)
    Utf16BE,    // 2: UTF-16BE without byte-order mark (ID3v2.4 only)
    Utf8,       // 3: UTF-8 (ID3v2.4 only)
};

// One frame. `body` is the frame's content as the standard lays it out
// (for USLT: encoding, language, descriptor, text); Tag::Bytes applies the
// transformations asked for below.
struct Frame {
    std::string id;   // 4 characters for 2.3/2.4 ("USLT"), 3 for 2.2 ("ULT")
    std::string body;
    // zlib-compress the body: 2.3 flag 0x0080 with the 4-byte plain size in
    // front; 2.4 flags 0x0008|0x0001 with the syncsafe data length indicator.
    bool compress = false;
    // 2.4 only: frame-level unsynchronisation (flag 0x0002).
    bool unsynchronise = false;
    // 2.4 only: a data length indicator (flag 0x0001) also without
    // compression.
    bool dataLengthIndicator = false;
    // Status flags (first flag byte) written as they are, e.g. read-only.
    std::uint8_t statusFlags = 0;
};

// An ID3v2 tag.
struct Tag {
    int version = 3;  // 2, 3 or 4 (the major version byte)
    std::vector<Frame> frames;
    // Tag-level unsynchronisation (header flag 0x80). For 2.2 and 2.3 all that
    // follows the header is unsynchronised; for 2.4 every frame is, one by
    // one, and marked so.
    bool unsynchronise = false;
    // An extended header (header flag 0x40; 2.3 and 2.4), with a CRC-32 of
    // the frames when `crc` is set.
    bool extendedHeader = false;
    bool crc = false;
    // Zero bytes after the frames.
    std::size_t padding = 0;
    // 2.4 only: a footer ("3DI") after the frames (use without padding).
    bool footer = false;
    // 2.4 only: frame sizes as plain 32-bit integers, as a player once wrote.
    bool plainFrameSizes = false;

    // The tag's bytes: header, extended header, frames, padding, footer.
    std::string Bytes() const;
};

// Frame bodies and whole frames. `language` is three characters; texts are
// UTF-8 and stored in `encoding`, with the terminator of that encoding after
// the descriptor.
std::string LyricsBody(const std::string& lyrics, Encoding encoding = Encoding::Latin1,
                       const std::string& language = "eng",
                       const std::string& descriptor = std::string());
// USLT (ULT for version 2).
Frame LyricsFrame(int version, const std::string& lyrics, Encoding encoding = Encoding::Latin1,
                  const std::string& language = "eng",
                  const std::string& descriptor = std::string());
// A lyrics frame flagged ISO-8859-1 whose text is `bytes` exactly as given:
// how many taggers stored UTF-8 or an ANSI code page such as Shift_JIS.
Frame LatinFlaggedLyricsFrame(int version, const std::string& bytes);
// A user-defined text frame, TXXX (TXX for version 2): description, value.
Frame UserTextFrame(int version, const std::string& description, const std::string& value,
                    Encoding encoding = Encoding::Latin1);
// A synchronised lyrics frame, SYLT (SLT for version 2), with an empty
// descriptor: each entry's text (with a byte-order mark of its own in Utf16
// and Utf16BomBE) and terminator, then its time.
struct SyncedEntry {
    std::string text;
    std::uint32_t time;
};
Frame SyncedLyricsFrame(int version, const std::vector<SyncedEntry>& entries,
                        Encoding encoding = Encoding::Latin1, int timeStampFormat = 2,
                        int contentType = 1);
// A text frame such as TIT2 (TT2 for version 2).
Frame TextFrame(const std::string& id, const std::string& text,
                Encoding encoding = Encoding::Latin1);

// Text in an encoding, without terminator; with a byte-order mark for Utf16
// and Utf16BomBE.
std::string EncodeText(const std::string& utf8, Encoding encoding);

// A 128-byte ID3v1.1 tag (fields cut to their widths, Latin-1 bytes as given).
struct Id3v1 {
    std::string title;
    std::string artist;
    std::string album;
    std::string year;
    std::string comment;
    int track = 0;  // 1..255 makes it ID3v1.1
    int genre = 255;
};
std::string Id3v1Tag(const Id3v1& fields);

// `count` MPEG-1 Layer III frames, 128 kbit/s, 44.1 kHz, stereo, no CRC, 417
// bytes each with an all-zero payload.
std::string AudioFrames(int count = 3);

// Whole files.
// An ID3v2 tag with one lyrics frame, then three audio frames.
std::string FileWithLyrics(const std::string& lyrics, int version = 3,
                           Encoding encoding = Encoding::Utf16);
// Tag bytes, then three audio frames.
std::string FileWithTag(const Tag& tag);
// Audio frames only.
std::string FileWithoutTag();
// Audio frames, then an ID3v1 tag.
std::string FileWithId3v1Only(const Id3v1& fields);
// Zero bytes.
std::string EmptyFile();
// A few lines of plain text: readable, but not audio.
std::string TextFile();

// Building blocks, exposed for tests that forge damaged files.
std::string Syncsafe(std::uint32_t value);         // 4 bytes, 7 bits each
std::string BigEndian(std::uint32_t value, int bytes);
std::string Unsynchronise(const std::string& bytes);  // FF xx -> FF 00 xx where needed

}  // namespace mp3
