#include "vela/media/synced_lyrics.h"

#include "vela/code_page.h"
#include "vela/media/legacy_text.h"

#include <cstdint>
#include <cstdio>

namespace vela {

namespace {

// The entries of a SYLT frame's data, one by one: a text in the frame's
// encoding with its terminator, then a 32-bit big-endian time. Reads
// nothing past `end`.
class SyncedEntries {
public:
    SyncedEntries(const id3_frame* sylt)
    {
        const id3_field* encoding = id3_frame_field(sylt, 0);
        const id3_field* data = id3_frame_field(sylt, 5);
        if (encoding == nullptr || data == nullptr)
            return;
        encoding_ = id3_field_gettextencoding(encoding);
        id3_length_t length = 0;
        at_ = id3_field_getbinarydata(data, &length);
        end_ = at_ != nullptr ? at_ + length : nullptr;
    }

    bool IsLatin1() const { return encoding_ == ID3_FIELD_TEXTENCODING_ISO_8859_1; }

    // The next whole entry's text, its line breaks and byte-order mark
    // still in it; false at the end or at an entry cut short.
    bool Next(WString& text, std::uint32_t& time)
    {
        const bool wide = encoding_ == ID3_FIELD_TEXTENCODING_UTF_16 ||
                          encoding_ == ID3_FIELD_TEXTENCODING_UTF_16BE;
        const size_t unit = wide ? 2 : 1;
        const id3_byte_t* p = at_;
        while (end_ - p >= static_cast<std::ptrdiff_t>(unit) && (p[0] != 0 || (wide && p[1] != 0)))
            p += unit;
        if (at_ == nullptr || end_ - p < static_cast<std::ptrdiff_t>(unit + 4))
            return false;
        if (!Decode(at_, p, text))
            return false;
        p += unit;
        time = std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 | p[3];
        at_ = p + 4;
        return true;
    }

private:
    bool Decode(const id3_byte_t* begin, const id3_byte_t* end, WString& text)
    {
        text.clear();
        switch (encoding_) {
        case ID3_FIELD_TEXTENCODING_ISO_8859_1:
            text.assign(begin, end);  // one character per byte, as the library reads it
            return true;
        case ID3_FIELD_TEXTENCODING_UTF_8:
            return ToWide(CP_UTF8, reinterpret_cast<const char*>(begin),
                          static_cast<size_t>(end - begin), text);
        case ID3_FIELD_TEXTENCODING_UTF_16:
            // Each text may bring its own byte-order mark; one without
            // follows the last one seen, or is big-endian as the library
            // takes it.
            if (end - begin >= 2 && ((begin[0] == 0xFF && begin[1] == 0xFE) ||
                                     (begin[0] == 0xFE && begin[1] == 0xFF))) {
                littleEndian_ = begin[0] == 0xFF;
                begin += 2;
            }
            break;
        case ID3_FIELD_TEXTENCODING_UTF_16BE:
            littleEndian_ = false;
            break;
        default:
            return false;
        }
        for (; end - begin >= 2; begin += 2)
            text += static_cast<WCHAR>(littleEndian_ ? begin[0] | begin[1] << 8
                                                     : begin[0] << 8 | begin[1]);
        return true;
    }

    id3_field_textencoding encoding_ = ID3_FIELD_TEXTENCODING_ISO_8859_1;
    const id3_byte_t* at_ = nullptr;
    const id3_byte_t* end_ = nullptr;
    bool littleEndian_ = false;
};

bool IsLineBreak(WCHAR c)
{
    return c == '\r' || c == '\n';
}

// The entry's text on one line: a byte-order mark and line breaks at either
// end dropped, each run of them inside made one space.
void AppendOnOneLine(const WString& text, WString& out)
{
    size_t begin = !text.empty() && text[0] == 0xFEFF ? 1 : 0;
    size_t end = text.size();
    while (begin < end && IsLineBreak(text[begin]))
        ++begin;
    while (end > begin && IsLineBreak(text[end - 1]))
        --end;
    for (size_t i = begin; i < end; ++i) {
        if (!IsLineBreak(text[i]))
            out += text[i];
        else if (!IsLineBreak(text[i - 1]))
            out += ' ';
    }
}

long IntField(const id3_frame* sylt, unsigned index)
{
    const id3_field* field = id3_frame_field(sylt, index);
    return field != nullptr ? id3_field_getint(field) : -1;
}

// "[mm:ss.xx]", minutes in as many digits as they take.
WString TimeTag(std::uint64_t milliseconds)
{
    char text[32];
    std::snprintf(text, sizeof text, "[%02llu:%02u.%02u]",
                  static_cast<unsigned long long>(milliseconds / 60000),
                  static_cast<unsigned>(milliseconds / 1000 % 60),
                  static_cast<unsigned>(milliseconds / 10 % 100));
    return WString(text, text + std::char_traits<char>::length(text));
}

} // namespace

long SyncedContentType(const id3_frame* sylt)
{
    return IntField(sylt, 3);
}

long SyncedTimeStampFormat(const id3_frame* sylt)
{
    return IntField(sylt, 2);
}

bool HasSyncedText(const id3_frame* sylt)
{
    SyncedEntries entries(sylt);
    WString text, line;
    std::uint32_t time;
    while (entries.Next(text, time)) {
        AppendOnOneLine(text, line);
        if (!line.empty())
            return true;
    }
    return false;
}

WString SyncedLyricsText(const id3_frame* sylt, const MpegFrameLength& audioFrame, bool& untimed)
{
    const long format = SyncedTimeStampFormat(sylt);
    const bool inFrames = format == kMpegFrameTimeStamps && audioFrame.samples != 0;
    untimed = format != kMillisecondTimeStamps && !inFrames;
    SyncedEntries entries(sylt);
    WString lyrics, text;
    std::uint32_t time;
    while (entries.Next(text, time)) {
        const size_t start = lyrics.size();
        if (start > 0)
            lyrics += TEXT("\r\n");
        if (!untimed)
            lyrics += TimeTag(inFrames ? std::uint64_t(time) * audioFrame.samples * 1000 /
                                             audioFrame.rate
                                       : time);
        const size_t before = lyrics.size();
        AppendOnOneLine(text, lyrics);
        if (untimed && lyrics.size() == before)
            lyrics.resize(start);  // an untimed line without text says nothing
    }
    WString legacy;
    if (entries.IsLatin1() && ReadLegacyLyrics(lyrics, legacy))
        return legacy;
    return lyrics;
}

} // namespace vela
