#include "vela/media/leading_tag.h"

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

    bool ReadExactly(std::string& bytes, size_t at, size_t count)
    {
        while (fd_ >= 0 && count > 0) {
            const int got = ReadDescriptor(fd_, &bytes[at], static_cast<unsigned>(count));
            if (got <= 0)
                return false;
            at += static_cast<size_t>(got);
            count -= static_cast<size_t>(got);
        }
        return fd_ >= 0;
    }

private:
    int fd_;
};

} // namespace

bool ReadLeadingTag(const WString& path, std::string& bytes)
{
    Descriptor file(path);
    std::string tag(10, '\0');
    if (!file.ReadExactly(tag, 0, 10) || tag.compare(0, 3, "ID3") != 0)
        return false;
    // A syncsafe size: at most 256 MiB, read a piece at a time, so that a
    // damaged size over a short file costs no more than the file.
    size_t size = 0;
    for (size_t i = 6; i < 10; ++i)
        size = size << 7 | (static_cast<unsigned char>(tag[i]) & 0x7F);
    while (size > 0) {
        const size_t piece = size < 65536 ? size : 65536;
        tag.resize(tag.size() + piece);
        if (!file.ReadExactly(tag, tag.size() - piece, piece))
            return false;
        size -= piece;
    }
    bytes.swap(tag);
    return true;
}

} // namespace vela
