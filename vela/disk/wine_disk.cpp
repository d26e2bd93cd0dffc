#ifdef __WINE__
#include "vela/disk/disk.h"

#include "vela/disk/unix_listing.h"
#include "vela/disk/unix_names.h"
#include "vela/disk/unix_text.h"

#include <fcntl.h>
#include <unistd.h>

namespace vela {
namespace {

// Wine's name for a Unix path: its NT prefix \??\unix followed by the path.
// Opening by it skips Wine's lookup of every folder on the way.
WString WinePathOf(const std::string& unixPath)
{
    WString path = TEXT("\\\\?\\unix");
    WString rest;
    FromUtf8(unixPath.c_str(), rest);
    for (WCHAR& c : rest) {
        if (c == '/')
            c = '\\';
    }
    return path + rest;
}

// Wine gives new files of these kinds execute permission; leave them to it.
bool IsProgramName(const std::string& path)
{
    if (path.size() < 4 || path[path.size() - 4] != '.')
        return false;
    std::string extension = path.substr(path.size() - 3);
    for (char& c : extension)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    return extension == "exe" || extension == "com" || extension == "bat" || extension == "cmd";
}

// Creates a file that no name in any letter case holds yet. False leaves
// nothing behind.
bool CreateNew(const std::string& path)
{
    if (IsProgramName(path))
        return false;
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0)
        return false;
    close(fd);
    NoteCreated(path);
    return true;
}

// Names are found with Unix calls (see unix_names.h), but every file is still
// opened through Wine with the exact name found, so that share modes, access
// checks and error codes stay Wine's. Whatever is not plainly so is handed to
// Win32 unchanged.
class Wine : public Disk {
public:
    HANDLE OpenFile(const WString& path, bool writing) override
    {
        UnixName name = FindUnixName(path);
        const bool found = name.state == UnixName::Found && !S_ISDIR(name.info.st_mode);
        const bool created = !found && writing && name.state == UnixName::Missing &&
                             CreateNew(name.path);
        if (!found && !created)
            return Win32Disk().OpenFile(path, writing);
        return CreateFileW(WinePathOf(name.path).c_str(), writing ? GENERIC_WRITE : GENERIC_READ,
                           writing ? FILE_SHARE_WRITE : FILE_SHARE_READ, nullptr,
                           writing ? CREATE_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
    }

    // Wine's file index is the inode number, but its volume serial number
    // is the drive's, shared by every Unix file system mounted beneath that
    // drive; the device number tells those apart as well.
    bool SameFile(const WString& first, const WString& second) override
    {
        const UnixName a = FindUnixName(first);
        const UnixName b = FindUnixName(second);
        if (a.state == UnixName::Found && b.state == UnixName::Found)
            return a.info.st_dev == b.info.st_dev && a.info.st_ino == b.info.st_ino;
        if (a.state == UnixName::Unknown || b.state == UnixName::Unknown)
            return Win32Disk().SameFile(first, second);
        return false;  // one of them does not exist
    }

    std::unique_ptr<FoundEntries> Find(const WString& base, const WString& pattern,
                                       Want want) override
    {
        const bool everything = pattern == TEXT("*") || pattern == TEXT("*.*");
        if (everything && base.size() + pattern.size() < MAX_PATH) {
            if (auto listed = ListUnixFolder(base, want))
                return listed;
        }
        return Win32Disk().Find(base, pattern, want);
    }
};

} // namespace

Disk& WineDisk()
{
    static Wine disk;
    return disk;
}

} // namespace vela
#endif
