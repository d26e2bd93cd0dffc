// A plain folder listed with readdir and stat, as Wine lists it for "*".
#include "vela/storage/wine/names.h"

#include "vela/code_page.h"

#include <fcntl.h>

#include <algorithm>
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

// Wine sorts a folder's names case-insensitively, then by code unit.
struct Listed {
    WString upper;
    WString name;
    const std::string* entry;
    unsigned char kind;
};

bool Before(const Listed& a, const Listed& b)
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

} // namespace

std::unique_ptr<FoundEntries> ListUnixFolder(const WString& base, Details details)
{
    if (!IsPlainPath(base, true) || base.back() != '\\')
        return nullptr;
    std::string folder;
    const std::vector<unsigned char>* kinds = nullptr;
    const std::vector<std::string>* snapshot =
        PlainNamesOf(base.size() == 3 ? base : base.substr(0, base.size() - 1), folder, &kinds);
    if (snapshot == nullptr)
        return nullptr;  // Win32 tells why, or shows the names as Wine does
    // Held open for stat calls relative to it.
    const FolderStream dir(opendir(folder.c_str()));
    if (!dir)
        return nullptr;

    std::vector<Listed> names;
    names.reserve(snapshot->size());
    for (size_t i = 0; i < snapshot->size(); ++i) {
        const std::string& entry = (*snapshot)[i];
        Listed name{{}, {}, &entry, (*kinds)[i]};
        ToWide(CP_UTF8, entry.data(), entry.size(), name.name);  // known to be UTF-8
        name.upper = FoldNameCase(name.name);
        names.push_back(std::move(name));
    }
    std::sort(names.begin(), names.end(), Before);

    std::vector<FoundEntry> entries;
    for (Listed& name : names) {
        // No link, folder or hidden file system is a regular file.
        if (details == Details::Names && name.kind == DT_REG) {
            FoundEntry found;
            found.name = std::move(name.name);
            entries.push_back(std::move(found));
            continue;
        }
        struct stat info;
        // Wine passes over an entry it cannot stat, such as a dangling link.
        if (fstatat(dirfd(dir.get()), name.entry->c_str(), &info, 0) != 0 ||
            IsHiddenByWine(info))
            continue;
        const bool isFolder = S_ISDIR(info.st_mode);
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
