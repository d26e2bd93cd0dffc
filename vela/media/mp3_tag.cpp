#include "vela/media/mp3_tag.h"

#include "vela/media/legacy_text.h"
#include "vela/media/leading_tag.h"
#include "vela/media/synced_lyrics.h"
#include "vela/storage/disk.h"

#include <id3tag.h>

#include <cstdlib>
#include <memory>

namespace vela {

namespace {

// Hands the wide path to libid3tag without a trip through the ANSI code page,
// which cannot name every file: the disk opens the descriptor (see
// Disk::OpenDescriptor), which is closed here when the library cannot take it.
id3_file* OpenTagFile(const WString& path, int mode)
{
    const auto fileMode = static_cast<id3_file_mode>(mode);
    const int fd = CurrentDisk().OpenDescriptor(path, fileMode == ID3_FILE_MODE_READWRITE);
    if (fd < 0)
        return nullptr;
    id3_file* file = id3_file_fdopen(fd, fileMode);
    if (file == nullptr)
        CloseDescriptor(fd);
    return file;
}

struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};

} // namespace

Mp3Tag::Mp3Tag() : file_(nullptr), tag_(nullptr) {}

Mp3Tag::~Mp3Tag()
{
    Close();
}

bool Mp3Tag::Open(const WString& path, int mode)
{
    Close();
    // A NUL inside would silently name a different, shorter path.
    if (path.empty() || path.find(WCHAR(0)) != WString::npos)
        return false;
    file_ = OpenTagFile(path, mode);
    if (file_ == nullptr)
        return false;
    tag_ = id3_file_tag(file_);
    if (tag_ == nullptr) {
        Close();
        return false;
    }
    lyrics_ = FindLyricsFrame(tag_);
    if (lyrics_.mend || lyrics_.timedInMpegFrames) {
        LeadingBytes bytes;
        if (ReadLeadingTag(path, bytes)) {
            mended_ = MendTag(bytes.tag, lyrics_);
            if (mended_)
                lyrics_ = FindLyricsFrame(mended_.get());
            audioFrame_ = FirstMpegFrameLength(bytes.audio);
        }
    }
    return true;
}

Mp3Tag::TrackLyrics Mp3Tag::ReadLyrics() const
{
    TrackLyrics lyrics;
    if (file_ == nullptr)
        return lyrics;
    if (lyrics_.kind == LyricsKind::Synchronised) {
        lyrics.text = SyncedLyricsText(lyrics_.frame, audioFrame_, lyrics.untimed);
        return lyrics;
    }
    const id3_ucs4_t* text = LyricsText(lyrics_);
    if (text == nullptr)
        return lyrics;
    std::unique_ptr<id3_utf16_t, FreeDeleter> copy(id3_ucs4_utf16duplicate(text));
    if (!copy)
        return lyrics;  // out of memory: no lyrics rather than a failure
    const id3_utf16_t* begin = copy.get();
    const id3_utf16_t* end = begin;
    while (*end != 0)
        ++end;
    lyrics.text.assign(begin, end);
    // Text flagged ISO-8859-1 is often UTF-8 or ANSI in fact.
    const id3_field* encoding = id3_frame_field(lyrics_.frame, 0);
    WString legacy;
    if (encoding != nullptr &&
        id3_field_gettextencoding(encoding) == ID3_FIELD_TEXTENCODING_ISO_8859_1 &&
        ReadLegacyLyrics(lyrics.text, legacy))
        lyrics.text.swap(legacy);
    return lyrics;
}

void Mp3Tag::Close()
{
    if (file_ == nullptr)
        return;
    mended_.reset();
    lyrics_ = LyricsFrame();
    audioFrame_ = MpegFrameLength();
    id3_file_close(file_);
    file_ = nullptr;
}

} // namespace vela
