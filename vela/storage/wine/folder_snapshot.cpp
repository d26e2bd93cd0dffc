#include "vela/storage/wine/folder_snapshot.h"

#include "vela/storage/wine/plain_path.h"
#include "vela/storage/wine/unix_text.h"

#include <dirent.h>

namespace vela {
namespace {

bool SameTime(const timespec& a, const timespec& b)
{
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

bool Before(const timespec& a, const timespec& b)
{
    return a.tv_sec < b.tv_sec || (a.tv_sec == b.tv_sec && a.tv_nsec < b.tv_nsec);
}

class Directory {
public:
    explicit Directory(const std::string& path) : dir_(opendir(path.c_str())) {}
    ~Directory()
    {
        if (dir_)
            closedir(dir_);
    }
    Directory(const Directory&) = delete;
    Directory& operator=(const Directory&) = delete;
    DIR* get() const { return dir_; }

private:
    DIR* dir_;
};

} // namespace

bool FolderSnapshot::Update(const std::string& unixPath, bool& read)
{
    read = false;
    struct stat info;
    if (stat(unixPath.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
        Forget();
        return false;
    }
    if (read_ && device_ == info.st_dev && inode_ == info.st_ino && SameTime(changed_, info.st_mtim))
        return true;
    read = true;
    return Read(unixPath, info);
}

bool FolderSnapshot::Reread(const std::string& unixPath)
{
    bool read = false;
    Forget();
    return Update(unixPath, read);
}

// The kernel stamps files from its coarse clock, so that clock read before
// the folder tells which tick the read began in. A file system that keeps
// whole seconds only is compared in seconds.
bool FolderSnapshot::IsRacy() const
{
    if (changedAtRead_.tv_nsec == 0)
        return changedAtRead_.tv_sec >= readAt_.tv_sec;
    return !Before(changedAtRead_, readAt_);
}

// The folder's identity and time are taken before it is read, so that a
// change made while reading shows as a stale snapshot next time.
bool FolderSnapshot::Read(const std::string& unixPath, const struct stat& info)
{
    Forget();
    clock_gettime(CLOCK_REALTIME_COARSE, &readAt_);
    Directory dir(unixPath);
    if (dir.get() == nullptr)
        return false;
    while (const dirent* entry = readdir(dir.get())) {
        const std::string unixName = entry->d_name;
        if (unixName == "." || unixName == "..")
            continue;  // Wine adds them as folders, which no caller keeps
        Note(unixName, entry->d_type);
    }
    read_ = true;
    device_ = info.st_dev;
    inode_ = info.st_ino;
    changed_ = changedAtRead_ = info.st_mtim;
    return true;
}

void FolderSnapshot::Forget()
{
    read_ = false;
    plain_ = true;
    names_.clear();
    byUpper_.clear();
}

const SnapshotName* FolderSnapshot::Match(const WString& upper) const
{
    auto found = byUpper_.find(upper);
    return found == byUpper_.end() ? nullptr : &names_[found->second];
}

void FolderSnapshot::Add(const std::string& unixName, const timespec& changed)
{
    if (!read_)
        return;
    Note(unixName, DT_REG);
    changed_ = changed;
}

void FolderSnapshot::Note(const std::string& unixName, unsigned char type)
{
    WString name;
    if (!FromUtf8(unixName.c_str(), name)) {
        plain_ = false;  // no UTF-16 name can match it
        return;
    }
    plain_ = plain_ && IsPlainName(name.data(), name.size());
    byUpper_.emplace(UpperCase(name), names_.size());
    names_.push_back(SnapshotName{unixName, type});
}

} // namespace vela
