// The Unix permissions, group and owner that a replaced file passes on.
#include "vela/storage/wine/ownership.h"

#include "vela/storage/wine/handles.h"
#include "vela/storage/wine/names.h"

#include <fcntl.h>

namespace vela {

// The group first: changing owner or group may clear other bits. Group bits
// meant for a group the file cannot have are cut to what others had, so
// that no one gains access the old file did not give.
void CarryOwnership(int fd, const struct stat& old)
{
    mode_t mode = old.st_mode & 0777;
    const uid_t owner = geteuid() == 0 ? old.st_uid : static_cast<uid_t>(-1);
    struct stat now;
    if (fchown(fd, owner, old.st_gid) != 0 && fstat(fd, &now) == 0 && now.st_gid != old.st_gid)
        mode = (mode & ~static_cast<mode_t>(070)) | ((mode & 07) << 3);
    fchmod(fd, mode);
}

void KeepOwnership(const WString& old, const WString& partial)
{
    const std::string oldPath = UnixPathOf(old);
    const std::string partialPath = UnixPathOf(partial);
    struct stat info;
    if (!oldPath.empty() && !partialPath.empty() && stat(oldPath.c_str(), &info) == 0) {
        const Descriptor fd(open(partialPath.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC));
        if (fd)
            CarryOwnership(fd.get(), info);
    }
}

bool IsProgramName(const std::string& path)
{
    if (path.size() < 4 || path[path.size() - 4] != '.')
        return false;
    std::string extension = path.substr(path.size() - 3);
    for (char& c : extension)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    return extension == "exe" || extension == "com" || extension == "bat" || extension == "cmd";
}

} // namespace vela
