#include "vela/storage/wine/unix_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace vela {

UnixFile::~UnixFile()
{
    if (fd_ >= 0)
        close(fd_);
}

bool UnixFile::Read(void* destination, DWORD count, DWORD& done)
{
    ssize_t got;
    do
        got = read(fd_, destination, count);
    while (got < 0 && errno == EINTR);
    done = got < 0 ? 0 : static_cast<DWORD>(got);
    return got >= 0;
}

bool UnixFile::Write(const void* source, DWORD count, DWORD& done)
{
    const char* bytes = static_cast<const char*>(source);
    done = 0;
    while (done < count) {
        const ssize_t put = write(fd_, bytes + done, count - done);
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0) {
            SetLastError(put == 0 || errno == ENOSPC || errno == EDQUOT ? ERROR_DISK_FULL
                                                                         : ERROR_WRITE_FAULT);
            return false;
        }
        done += static_cast<DWORD>(put);
    }
    return true;
}

void UnixFile::MoveTo(uint64_t position)
{
    lseek(fd_, static_cast<off_t>(position), SEEK_SET);
}

uint64_t UnixFile::Size()
{
    struct stat info;
    return fstat(fd_, &info) == 0 ? static_cast<uint64_t>(info.st_size) : 0;
}

bool UnixFile::Discard()
{
    close(fd_);
    fd_ = -1;
    held_.reset();
    return unlink(path_.c_str()) == 0;
}

int OpenRegular(const std::string& unixPath, bool writing, bool& missing)
{
    const int fd = open(unixPath.c_str(), (writing ? O_RDWR : O_RDONLY) | O_NONBLOCK | O_CLOEXEC);
    missing = fd < 0 && errno == ENOENT;
    struct stat info;
    if (fd >= 0 && (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))) {
        close(fd);
        return -1;
    }
    return fd;
}

} // namespace vela
