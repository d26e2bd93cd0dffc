// Following an output's symbolic links one name at a time, as the kernel
// would, with the owner of each link judged on the way.
#include "vela/storage/wine/links.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

namespace vela {
namespace {

// As many as the kernel follows in one path.
constexpr int kMaxLinks = 40;

std::string FolderOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    return slash == 0 || slash == std::string::npos ? std::string("/") : path.substr(0, slash);
}

std::string Join(const std::string& folder, const std::string& name)
{
    return folder == "/" ? folder + name : folder + "/" + name;
}

// The names of `path` onto `names`, the first one last, so that it is
// taken next.
void PushNames(const std::string& path, std::vector<std::string>& names)
{
    size_t end = path.size();
    while (end > 0) {
        const size_t slash = path.rfind('/', end - 1);
        const size_t start = slash == std::string::npos ? 0 : slash + 1;
        names.push_back(path.substr(start, end - start));
        if (slash == std::string::npos)
            break;
        end = slash;
    }
}

bool ReadLink(const std::string& path, size_t size, std::string& target)
{
    target.assign(size + 1, 0);  // one more, to see a link that grew
    const ssize_t got = readlink(path.c_str(), &target[0], target.size());
    if (got <= 0 || static_cast<size_t>(got) > size)
        return false;
    target.resize(static_cast<size_t>(got));
    return true;
}

bool Refuse(DWORD& error, DWORD why)
{
    error = why;
    return false;
}

bool RefuseFor(DWORD& error, int unixError)
{
    return Refuse(error, unixError == EACCES ? ERROR_ACCESS_DENIED : ERROR_FILE_NOT_FOUND);
}

} // namespace

bool FollowTrustedLinks(std::string& path, struct stat& info, DWORD& error)
{
    char* folder = realpath(FolderOf(path).c_str(), nullptr);
    if (folder == nullptr)
        return RefuseFor(error, errno);
    std::string at = folder;
    free(folder);
    std::vector<std::string> names{path.substr(path.rfind('/') + 1)};
    int links = 0;
    struct stat entry;
    while (!names.empty()) {
        const std::string name = names.back();
        names.pop_back();
        if (name.empty() || name == ".")
            continue;
        if (name == "..") {
            at = FolderOf(at);
            continue;
        }
        const std::string next = Join(at, name);
        if (lstat(next.c_str(), &entry) != 0)
            return RefuseFor(error, errno);
        if (!S_ISLNK(entry.st_mode)) {
            at = next;
            continue;
        }
        std::string target;
        if (++links > kMaxLinks || !ReadLink(next, static_cast<size_t>(entry.st_size), target))
            return Refuse(error, ERROR_FILE_NOT_FOUND);
        const bool absolute = target[0] == '/';
        struct stat named;
        if (lstat((absolute ? target : Join(at, target)).c_str(), &named) != 0)
            return RefuseFor(error, errno);
        if (entry.st_uid != geteuid() && entry.st_uid != named.st_uid)
            return Refuse(error, kErrorForeignLink);
        if (absolute)
            at = "/";
        PushNames(target, names);
    }
    if (stat(at.c_str(), &entry) != 0)
        return RefuseFor(error, errno);
    path = at;
    info = entry;
    return true;
}

} // namespace vela
