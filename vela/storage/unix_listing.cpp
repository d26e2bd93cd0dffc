#ifdef __WINE__
#include "vela/storage/unix_listing.h"

#include "vela/storage/plain_path.h"
#include "vela/storage/unix_names.h"
#include "vela/storage/unix_text.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <utility>

namespace vela {
namespace {

constexpr uint64_t kTicksPerSecond = 10000000;
constexpr uint64_t kTicks1601To1970 = 116444736000000000ull;

struct Name {
    WString upper;
    WString name;
    std::string unixName;
    unsigned char type;
};

// Wine hides its own prefix and the kernel's pseudo file systems from
// listings (is_ignored_file in its ntdll); so does this.
bool IsHiddenByWine(const struct stat& info)
{
    static const std::vector<std::pair<dev_t, ino_t>> hidden = [] {
        std::vector<std::pair<dev_t, ino_t>> ids;
        std::string prefix;
        if (const char* configured = std::getenv("WINEPREFIX"))
            prefix = configured;
        else if (const char* home = std::getenv("HOME"))
            prefix = std::string(home) + "/.wine";
        for (const std::string& path : {prefix, std::string("/dev"), std::string("/proc"),
                                         std::string("/sys")}) {
            struct stat found;
            if (!path.empty() && stat(path.c_str(), &found) == 0)
                ids.emplace_back(found.st_dev, found.st_ino);
        }
        return ids;
    }();
    for (const auto& id : hidden) {
        if (id.first == info.st_dev && id.second == info.st_ino)
            return true;
    }
    return false;
}

// Names that Wine shows other than as they are on disk.
bool HasPlainName(const WString& name)
{
    for (WCHAR c : name) {
        if (c < 0x20 || (c >= 0xF000 && c <= 0xF0FF))
            return false;
        switch (c) {
        case '\\': case ':': case '*': case '?': case '"': case '<': case '>': case '|':
            return false;
        }
    }
    return true;
}

// Wine sorts a folder's names case-insensitively, then by code unit.
bool Before(const Name& a, const Name& b)
{
    if (a.upper != b.upper)
        return a.upper < b.upper;
    return a.name < b.name;
}

// Wine counts whole seconds and 100-ns ticks in unsigned 64-bit arithmetic.
uint64_t FileTimeOf(const timespec& time)
{
    return static_cast<uint64_t>(time.tv_sec) * kTicksPerSecond + kTicks1601To1970 +
           static_cast<uint64_t>(time.tv_nsec / 100);
}

class ListedEntries : public FoundEntries {
public:
    explicit ListedEntries(std::vector<FoundEntry> entries) : entries_(std::move(entries)) {}
    bool Next(FoundEntry& entry) override
    {
        if (next_ == entries_.size())
            return false;
        entry = std::move(entries_[next_++]);
        return true;
    }

private:
    std::vector<FoundEntry> entries_;
    size_t next_ = 0;
};

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

std::unique_ptr<FoundEntries> ListUnixFolder(const WString& base, Disk::Want want)
{
    if (!IsPlainPath(base, true) || base.back() != '\\')
        return nullptr;
    const std::string folder = UnixFolder(base.size() == 3 ? base : base.substr(0, base.size() - 1));
    if (folder.empty())
        return nullptr;
    Directory dir(folder);
    if (dir.get() == nullptr)
        return nullptr;  // Win32 tells why, exactly as before

    std::vector<Name> names;
    while (const dirent* entry = readdir(dir.get())) {
        const std::string unixName = entry->d_name;
        if (unixName == "." || unixName == "..")
            continue;  // Wine adds them as folders, which no caller keeps
        Name name{{}, {}, unixName, entry->d_type};
        if (!FromUtf8(entry->d_name, name.name) || !HasPlainName(name.name))
            return nullptr;
        name.upper = UpperCase(name.name);
        names.push_back(std::move(name));
    }
    std::sort(names.begin(), names.end(), Before);

    std::vector<FoundEntry> entries;
    for (Name& name : names) {
        // The entry's type from readdir spares a stat for what is not wanted.
        if ((name.type == DT_DIR && want == Disk::Want::Files) ||
            (name.type == DT_REG && want == Disk::Want::Folders))
            continue;
        struct stat info;
        // Wine passes over an entry it cannot stat, such as a dangling link.
        if (fstatat(dirfd(dir.get()), name.unixName.c_str(), &info, 0) != 0 || IsHiddenByWine(info))
            continue;
        const bool isFolder = S_ISDIR(info.st_mode);
        if (isFolder != (want == Disk::Want::Folders))
            continue;
        FoundEntry found;
        found.name = std::move(name.name);
        found.folder = isFolder;
        found.lastWriteTime = FileTimeOf(info.st_mtim);
        found.size = isFolder ? 0 : static_cast<uint64_t>(info.st_size);
        entries.push_back(std::move(found));
    }
    return std::make_unique<ListedEntries>(std::move(entries));
}

} // namespace vela
#endif
