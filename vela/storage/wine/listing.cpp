// A plain folder listed with readdir and stat, as Wine lists it for "*",
// and the identities of the folders that the Win32 listing gives.
#include "vela/storage/wine/listing.h"

#include "vela/storage/wine/handles.h"
#include "vela/storage/wine/names.h"
#include "vela/storage/wine/text.h"

#include <fcntl.h>

#include <cstdlib>
#include <utility>

namespace vela {
namespace {

constexpr uint64_t kTicksPerSecond = 10000000;
constexpr uint64_t kTicks1601To1970 = 116444736000000000ull;

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

// Wine counts whole seconds and 100-ns ticks in unsigned 64-bit arithmetic.
uint64_t FileTimeOf(const timespec& time)
{
    return static_cast<uint64_t>(time.tv_sec) * kTicksPerSecond + kTicks1601To1970 +
           static_cast<uint64_t>(time.tv_nsec / 100);
}

class ListedEntries : public FoundEntries {
public:
    ListedEntries(std::vector<FoundEntry> entries, FileIdentity identity)
        : entries_(std::move(entries)), identity_(identity)
    {
    }
    bool Next(FoundEntry& entry) override
    {
        if (next_ == entries_.size())
            return false;
        entry = std::move(entries_[next_++]);
        return true;
    }
    FileIdentity Identity() override { return identity_; }

private:
    std::vector<FoundEntry> entries_;
    FileIdentity identity_;
    size_t next_ = 0;
};

// A folder's identity and whether its name is a link, from the stat that
// followed it; a name whose kind readdir does not tell is looked at itself.
void IdentifyFolder(FoundEntry& found, const struct stat& info, int folder,
                    const PlainFolder::Name& name)
{
    struct stat own;
    found.identity = IdentityOf(info);
    found.link = name.kind == DT_LNK ||
                 (name.kind == DT_UNKNOWN &&
                  fstatat(folder, name.unixName->c_str(), &own, AT_SYMLINK_NOFOLLOW) == 0 &&
                  S_ISLNK(own.st_mode));
}

// Win32's entries, each folder identified again through its Unix path.
class WineIdentified : public FoundEntries {
public:
    WineIdentified(std::unique_ptr<FoundEntries> listed, const WString& base)
        : listed_(std::move(listed)), base_(base)
    {
    }
    bool Next(FoundEntry& entry) override
    {
        if (!listed_->Next(entry))
            return false;
        if (entry.folder) {
            const std::string path = UnixPathOf(base_ + entry.name);
            struct stat info, own;
            const bool known = !path.empty() && stat(path.c_str(), &info) == 0;
            entry.identity = known ? IdentityOf(info) : FileIdentity();
            entry.link = known && lstat(path.c_str(), &own) == 0 && S_ISLNK(own.st_mode);
        }
        return true;
    }
    FileIdentity Identity() override
    {
        const std::string path = UnixPathOf(base_);
        struct stat info;
        return !path.empty() && stat(path.c_str(), &info) == 0 ? IdentityOf(info)
                                                                : FileIdentity();
    }

private:
    std::unique_ptr<FoundEntries> listed_;
    const WString base_;
};

} // namespace

std::unique_ptr<FoundEntries> ListWineFolder(const WString& base, Details details)
{
    if (!IsPlainPath(base, true) || base.back() != '\\')
        return nullptr;
    PlainFolder listed;
    // Win32 tells why, or shows the names as Wine does.
    if (!ListPlainFolder(base.size() == 3 ? base : base.substr(0, base.size() - 1), listed))
        return nullptr;
    const int folder = dirfd(listed.stream.get());

    std::vector<FoundEntry> entries;
    entries.reserve(listed.names.size());
    for (PlainFolder::Name& name : listed.names) {
        // No link, folder or hidden file system is a regular file.
        if (details == Details::Names && name.kind == DT_REG) {
            FoundEntry found;
            found.name = std::move(name.name);
            entries.push_back(std::move(found));
            continue;
        }
        struct stat info;
        // Wine passes over an entry it cannot stat, such as a dangling link.
        if (fstatat(folder, name.unixName->c_str(), &info, 0) != 0 || IsHiddenByWine(info))
            continue;
        const bool isFolder = S_ISDIR(info.st_mode);
        FoundEntry found;
        found.name = std::move(name.name);
        found.folder = isFolder;
        if (isFolder)
            IdentifyFolder(found, info, folder, name);
        found.lastWriteTime = FileTimeOf(info.st_mtim);
        found.size = isFolder ? 0 : static_cast<uint64_t>(info.st_size);
        entries.push_back(std::move(found));
    }
    return std::make_unique<ListedEntries>(std::move(entries), IdentityOf(listed.info));
}

std::unique_ptr<FoundEntries> WithWineIdentities(std::unique_ptr<FoundEntries> listed,
                                                 const WString& base)
{
    return std::make_unique<WineIdentified>(std::move(listed), base);
}

} // namespace vela
