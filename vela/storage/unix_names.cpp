#ifdef __WINE__
#include "vela/storage/unix_names.h"

#include "vela/storage/plain_path.h"
#include "vela/storage/unix_text.h"

#include <dirent.h>

#include <cerrno>
#include <unordered_map>

namespace vela {
namespace {

// One folder's names keyed by their upper-case form, the first in the
// folder's own order winning as it does in Wine's scan, and the folder's
// identity and change time when they were read.
struct NameIndex {
    bool read = false;
    dev_t device = 0;
    ino_t inode = 0;
    timespec changed = {};
    std::unordered_map<WString, std::string> names;
};

struct Folder {
    std::string unixPath;
    NameIndex index;
};

// Bounded: an export touches a handful of folders, a search one per folder.
constexpr size_t kMaxFolders = 64;

std::unordered_map<WString, Folder>& Folders()
{
    static std::unordered_map<WString, Folder> folders;
    return folders;
}

bool SameTime(const timespec& a, const timespec& b)
{
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

bool IsCurrent(const NameIndex& index, const struct stat& info)
{
    return index.read && index.device == info.st_dev && index.inode == info.st_ino &&
           SameTime(index.changed, info.st_mtim);
}

// The folder's identity is taken before it is read, so that a change made
// while reading shows as a stale index next time.
bool ReadIndex(const std::string& folder, NameIndex& index)
{
    struct stat info;
    if (stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
        return false;
    if (IsCurrent(index, info))
        return true;
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr)
        return false;
    index.names.clear();
    WString name;
    while (const dirent* entry = readdir(dir)) {
        if (FromUtf8(entry->d_name, name))
            index.names.emplace(UpperCase(name), entry->d_name);
    }
    closedir(dir);
    index.read = true;
    index.device = info.st_dev;
    index.inode = info.st_ino;
    index.changed = info.st_mtim;
    return true;
}

Folder* FolderFor(const WString& folder)
{
    auto& folders = Folders();
    auto known = folders.find(folder);
    if (known != folders.end())
        return &known->second;
    char* converted = wine_get_unix_file_name(folder.c_str());
    if (converted == nullptr)
        return nullptr;
    std::string unixPath(converted);
    HeapFree(GetProcessHeap(), 0, converted);
    while (unixPath.size() > 1 && unixPath.back() == '/')
        unixPath.pop_back();
    if (folders.size() >= kMaxFolders)
        folders.clear();
    return &folders.emplace(folder, Folder{std::move(unixPath), {}}).first->second;
}

std::string Join(const std::string& folder, const std::string& name)
{
    return folder == "/" ? folder + name : folder + "/" + name;
}

// The folder of a plain path and the Unix form of its last name; null when
// either cannot be had.
Folder* SplitPlainPath(const WString& path, std::string& leaf)
{
    const size_t slash = path.rfind(WCHAR('\\'));
    if (!IsPlainPath(path, false) || slash == WString::npos || slash + 1 == path.size())
        return nullptr;
    if (!ToUtf8(path.substr(slash + 1), leaf))
        return nullptr;
    return FolderFor(path.substr(0, slash == 2 ? 3 : slash));
}

} // namespace

std::string UnixFolder(const WString& folder)
{
    Folder* known = IsPlainPath(folder, true) ? FolderFor(folder) : nullptr;
    return known ? known->unixPath : std::string();
}

std::string ExactUnixPath(const WString& path)
{
    std::string leaf;
    Folder* folder = SplitPlainPath(path, leaf);
    return folder ? Join(folder->unixPath, leaf) : std::string();
}

UnixName FindUnixName(const WString& path)
{
    UnixName result;
    const size_t slash = path.rfind(WCHAR('\\'));
    std::string leaf;
    Folder* folder = SplitPlainPath(path, leaf);
    if (folder == nullptr)
        return result;

    result.path = Join(folder->unixPath, leaf);
    if (stat(result.path.c_str(), &result.info) == 0) {
        result.state = UnixName::Found;
        return result;
    }
    if (errno != ENOENT || !ReadIndex(folder->unixPath, folder->index))
        return result;
    auto variant = folder->index.names.find(UpperCase(path.substr(slash + 1)));
    if (variant == folder->index.names.end()) {
        result.state = UnixName::Missing;
        return result;
    }
    result.path = Join(folder->unixPath, variant->second);
    if (stat(result.path.c_str(), &result.info) == 0)
        result.state = UnixName::Found;
    return result;
}

void NoteCreated(const std::string& path)
{
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return;
    const std::string folderPath = slash == 0 ? "/" : path.substr(0, slash);
    for (auto& known : Folders()) {
        NameIndex& index = known.second.index;
        if (known.second.unixPath != folderPath || !index.read)
            continue;
        WString name;
        struct stat info;
        if (!FromUtf8(path.c_str() + slash + 1, name) || stat(folderPath.c_str(), &info) != 0) {
            index.read = false;
            continue;
        }
        index.names.emplace(UpperCase(name), path.substr(slash + 1));
        index.changed = info.st_mtim;
    }
}

} // namespace vela
#endif
