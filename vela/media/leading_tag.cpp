#include "vela/media/leading_tag.h"

#include "vela/media/tag_bytes.h"
#include "vela/storage/disk.h"

namespace vela {

namespace {

// The tag library's own way in (see Disk::OpenDescriptor): under Wine it
// costs no server round trip, as a Win32 open would.
class Descriptor {
public:
    explicit Descriptor(const WString& path) : fd_(CurrentDisk().OpenDescriptor(path, false)) {}
    ~Descriptor()
    {
        if (fd_ >= 0)
            CloseDescriptor(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;

    // As many of `count` bytes as the file has, into bytes[at...]; the
    // string is cut to what came.
    bool Read(std::string& bytes, size_t at, size_t count)
    {
        bytes.resize(at + count);
        while (fd_ >= 0 && count > 0) {
            const int got = ReadDescriptor(fd_, &bytes[at], static_cast<unsigned>(count));
            if (got < 0)
                return false;
            if (got == 0)
                break;
            at += static_cast<size_t>(got);
            count -= static_cast<size_t>(got);
        }
        bytes.resize(at);
        return fd_ >= 0;
    }

private:
    int fd_;
};

} // namespace

bool ReadLeadingTag(const WString& path, LeadingBytes& bytes)
{
    Descriptor file(path);
    std::string tag;
    std::uint32_t size;
    if (!file.Read(tag, 0, 10) || tag.size() < 10 || tag.compare(0, 3, "ID3") != 0 ||
        !Syncsafe(tag, 6, size))
        return false;
    // At most 256 MiB, read a piece at a time, so that a damaged size over a
    // short file costs no more than the file.
    for (size_t left = size; left > 0;) {
        const size_t piece = left < 65536 ? left : 65536;
        const size_t whole = tag.size() + piece;
        if (!file.Read(tag, tag.size(), piece) || tag.size() != whole)
            return false;
        left -= piece;
    }
    // An ID3v2.4 footer repeats the header.
    const size_t footer = Byte(tag, 3) == 4 && (Byte(tag, 5) & 0x10) ? 10 : 0;
    std::string audio;
    if (!file.Read(audio, 0, footer + kAudioBytes))
        return false;
    audio.erase(0, footer < audio.size() ? footer : audio.size());
    bytes.tag.swap(tag);
    bytes.audio.swap(audio);
    return true;
}

} // namespace vela
