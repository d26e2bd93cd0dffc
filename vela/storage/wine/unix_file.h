#pragma once
// Disk files whose bytes move through Unix descriptors.
#include "vela/storage/disk.h"

#include <memory>
#include <string>

namespace vela {

// Every Wine call is a round trip to the Wine server, and those dominate the
// cost of a small file; read and write calls on a Unix descriptor are not.
// A file opened by OpenFile also stays held by Wine (`held`), so that others
// meet its share mode; an output holds nothing else.
class UnixFile : public DiskFile {
public:
    UnixFile(std::unique_ptr<DiskFile> held, int fd, std::string path)
        : held_(std::move(held)), fd_(fd), path_(std::move(path))
    {
    }
    ~UnixFile() override;
    UnixFile(const UnixFile&) = delete;
    UnixFile& operator=(const UnixFile&) = delete;

    bool Read(void* destination, DWORD count, DWORD& done) override;
    // Like WriteFile on a disk file: everything, or a failure.
    bool Write(const void* source, DWORD count, DWORD& done) override;
    void MoveTo(uint64_t position) override;
    uint64_t Size() override;
    bool Discard() override;

private:
    std::unique_ptr<DiskFile> held_;
    int fd_;
    std::string path_;
};

// A descriptor on a regular file, or -1. A folder is no file to read, and a
// pipe would stall the open, so it is opened without waiting and checked
// before use (for a regular file the flag changes nothing). `missing` tells
// that nothing has the name as spelt.
int OpenRegular(const std::string& unixPath, bool writing, bool& missing);

} // namespace vela
