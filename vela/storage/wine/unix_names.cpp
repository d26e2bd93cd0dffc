#include "vela/storage/wine/unix_names.h"

#include "vela/storage/wine/plain_path.h"
#include "vela/storage/wine/unix_text.h"

#include <cerrno>
#include <list>
#include <unordered_map>

namespace vela {
namespace {

struct Folder {
    WString path;
    std::string unixPath;
    FolderSnapshot snapshot;
};

// The folders met most recently, the latest first, and a way to them by
// name. Bounded, and only the least recent goes: an export walks a thousand
// folders one after the other, and each must keep its snapshot while its
// files and their outputs are looked up.
class RecentFolders {
public:
    Folder* Find(const WString& path)
    {
        auto known = byPath_.find(path);
        if (known == byPath_.end())
            return nullptr;
        folders_.splice(folders_.begin(), folders_, known->second);
        return &folders_.front();
    }

    Folder* Add(const WString& path, std::string unixPath)
    {
        if (folders_.size() >= kMaxFolders) {
            byPath_.erase(folders_.back().path);
            folders_.pop_back();
        }
        folders_.push_front(Folder{path, std::move(unixPath), {}});
        byPath_[path] = folders_.begin();
        return &folders_.front();
    }

    std::list<Folder>& All() { return folders_; }

private:
    static constexpr size_t kMaxFolders = 64;
    std::list<Folder> folders_;
    std::unordered_map<WString, std::list<Folder>::iterator> byPath_;
};

RecentFolders& Folders()
{
    static RecentFolders folders;
    return folders;
}

Folder* FolderFor(const WString& folder)
{
    if (Folder* known = Folders().Find(folder))
        return known;
    char* converted = wine_get_unix_file_name(folder.c_str());
    if (converted == nullptr)
        return nullptr;
    std::string unixPath(converted);
    HeapFree(GetProcessHeap(), 0, converted);
    while (unixPath.size() > 1 && unixPath.back() == '/')
        unixPath.pop_back();
    return Folders().Add(folder, std::move(unixPath));
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

// The snapshot's match for a name not found as spelt. A snapshot kept from
// earlier is read again before it may say "missing" when it was read in the
// same tick as the folder's last change.
const SnapshotName* MatchName(Folder& folder, const WString& upper, bool& listed)
{
    bool read = false;
    listed = folder.snapshot.Update(folder.unixPath, read);
    if (!listed)
        return nullptr;
    const SnapshotName* match = folder.snapshot.Match(upper);
    if (match != nullptr || read || !folder.snapshot.IsRacy())
        return match;
    listed = folder.snapshot.Reread(folder.unixPath);
    return listed ? folder.snapshot.Match(upper) : nullptr;
}

} // namespace

FolderSnapshot* SnapshotOf(const WString& folder, std::string& unixPath)
{
    Folder* known = IsPlainPath(folder, true) ? FolderFor(folder) : nullptr;
    bool read = false;
    if (known == nullptr || !known->snapshot.Update(known->unixPath, read))
        return nullptr;
    if (!read && known->snapshot.IsRacy() && !known->snapshot.Reread(known->unixPath))
        return nullptr;
    unixPath = known->unixPath;
    return &known->snapshot;
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
    bool listed = false;
    if (errno != ENOENT)
        return result;
    const SnapshotName* match = MatchName(*folder, UpperCase(path.substr(slash + 1)), listed);
    if (!listed)
        return result;
    if (match == nullptr) {
        result.state = UnixName::Missing;
        return result;
    }
    result.path = Join(folder->unixPath, match->unixName);
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
    struct stat info;
    const bool known = stat(folderPath.c_str(), &info) == 0;
    for (Folder& folder : Folders().All()) {
        if (folder.unixPath != folderPath)
            continue;
        if (known)
            folder.snapshot.Add(path.substr(slash + 1), info.st_mtim);
        else
            folder.snapshot.Reread(folder.unixPath);
    }
}

} // namespace vela
