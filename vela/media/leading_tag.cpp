#include "vela/media/leading_tag.h"

#include "vela/storage/disk.h"

#include <memory>

namespace vela {

namespace {

bool ReadExactly(DiskFile& file, std::string& bytes, size_t at, DWORD count)
{
    DWORD done = 0;
    return file.Read(&bytes[at], count, done) && done == count;
}

} // namespace

bool ReadLeadingTag(const WString& path, std::string& bytes)
{
    std::unique_ptr<DiskFile> file = CurrentDisk().OpenFile(path, false);
    std::string header(10, '\0');
    if (!file || !ReadExactly(*file, header, 0, 10) || header.compare(0, 3, "ID3") != 0)
        return false;
    // A syncsafe size: at most 256 MiB.
    DWORD size = 0;
    for (size_t i = 6; i < 10; ++i)
        size = size << 7 | (static_cast<unsigned char>(header[i]) & 0x7F);
    if (size > file->Size() - 10)
        return false;
    header.resize(10 + size);
    if (size > 0 && !ReadExactly(*file, header, 10, size))
        return false;
    bytes.swap(header);
    return true;
}

} // namespace vela
