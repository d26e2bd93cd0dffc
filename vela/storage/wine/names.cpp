// The Unix names of Windows paths: Wine's conversion (UnixPathOf), and for
// plain paths each folder converted once and read once for lookups in any
// letter case.
#include "vela/storage/wine/names.h"

#include "vela/storage/wine/text.h"

#include "vela/code_page.h"

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <list>
#include <unordered_map>

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

} // namespace

// A plain folder's Unix path and one readdir of it, kept for two uses: the
// listing that Wine's FindFirstFileW gives for "*", and the letter-case-blind
// lookup by which Wine matches a name that is not on disk as spelt.
//
// The snapshot stays in use while the folder's identity and modification
// time are those it was read with, and this process's own new files are
// added to it (Add). One thing the time cannot show: a change made in the
// same clock tick as the read leaves the folder's time as the read saw it.
// So, as version-control indexes do, a snapshot read in the same tick as the
// folder's last change (or earlier than it) is read again before it is used.
//
// The outputs made in one folder check it once, at the first: from then on
// the snapshot and this process's additions stand for the folder for
// outputs, until anything else (a listing, a track not found as spelt)
// checks the folder again and, finding its time moved by the outputs, reads
// it again. A name that another program makes in other letters meanwhile
// can then be missed, as Wine itself misses one made between its scan and
// its create; one made in the same letters is never written over unseen
// (see outputs.cpp).
class WineFolder {
public:
    WineFolder(const WString& windowsPath, std::string folderPath)
        : path(windowsPath), unixPath(std::move(folderPath))
    {
    }

    // Reads the folder unless the snapshot is current and can be trusted.
    // False when the folder cannot be read (the snapshot is then forgotten).
    bool Refresh()
    {
        forOutputs_ = false;
        struct stat info;
        if (stat(unixPath.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
            Forget();
            return false;
        }
        if (IsCurrent(info))
            return true;
        const FolderStream dir(opendir(unixPath.c_str()));
        return Read(info, dir.get(), nullptr);
    }

    // The same through `dir`, the folder opened by a listing, whose stat is
    // `info`; the listing's order is wanted too. When the folder is read,
    // `wide` receives each name's UTF-16 form, so that the listing need not
    // decode them again.
    bool RefreshForListing(DIR* dir, const struct stat& info, std::vector<WString>& wide)
    {
        forOutputs_ = false;
        if (IsCurrent(info) && order_.size() == names_.size())
            return true;
        return Read(info, dir, &wide);
    }

    // The name Wine would open for this upper-case name: of names equal but
    // for case, the first in the folder's own order. Null when none.
    const std::string* Match(const WString& upper) const
    {
        auto found = byUpper_.find(upper);
        return found == byUpper_.end() ? nullptr : &names_[found->second];
    }

    // As Refresh, for an output's lookup: a snapshot that outputs have
    // checked, and kept up to date with what they wrote, stands for the
    // folder until another lookup checks it.
    bool RefreshForOutputs()
    {
        if (read_ && forOutputs_)
            return true;
        forOutputs_ = Refresh();
        return forOutputs_;
    }

    const std::vector<std::string>& Names() const { return names_; }
    const std::vector<unsigned char>& Kinds() const { return kinds_; }
    // Indices into Names() in Wine's listing order.
    const std::vector<uint32_t>& Order() const { return order_; }
    bool AllPlain() const { return plain_; }

    // Records a regular file this process has just created in the folder.
    // The folder's time is left as it was read, so that the snapshot is read
    // again once it is checked the next time; so is its listing order, which
    // the new name would disturb.
    void Add(const std::string& unixName)
    {
        if (!read_)
            return;
        WString name;
        if (!Decode(unixName, name))
            return;
        byUpper_.emplace(FoldNameCase(name), names_.size());
        names_.push_back(unixName);
        kinds_.push_back(DT_REG);
        order_.clear();
    }

    void Forget()
    {
        read_ = false;
        plain_ = true;
        names_.clear();
        kinds_.clear();
        order_.clear();
        byUpper_.clear();
    }

    const WString path;
    const std::string unixPath;

private:
    bool IsCurrent(const struct stat& info) const
    {
        return read_ && device_ == info.st_dev && inode_ == info.st_ino &&
               SameTime(changed_, info.st_mtim) && !IsRacy();
    }

    // The kernel stamps files from its coarse clock, so that clock read
    // before the folder tells which tick the read began in. A file system
    // that keeps whole seconds only is compared in seconds.
    bool IsRacy() const
    {
        if (changedAtRead_.tv_nsec == 0)
            return changedAtRead_.tv_sec >= readAt_.tv_sec;
        return !Before(changedAtRead_, readAt_);
    }

    // False, and the folder not plain, for a name that is not UTF-8: no
    // UTF-16 name can match it.
    bool Decode(const std::string& unixName, WString& name)
    {
        if (ToWide(CP_UTF8, unixName.data(), unixName.size(), name, MB_ERR_INVALID_CHARS))
            return true;
        plain_ = false;
        return false;
    }

    // The folder's identity and time are taken before it is read, so that a
    // change made while reading shows as a stale snapshot next time. Each
    // name is decoded and folded once, for the lookups and the order both.
    bool Read(const struct stat& info, DIR* dir, std::vector<WString>* wide)
    {
        Forget();
        clock_gettime(CLOCK_REALTIME_COARSE, &readAt_);
        if (dir == nullptr)
            return false;
        std::vector<WString> decoded, uppers;
        while (const dirent* entry = readdir(dir)) {
            std::string unixName = entry->d_name;
            if (unixName == "." || unixName == "..")
                continue;  // Wine adds them as folders, which no caller keeps
            WString name;
            if (!Decode(unixName, name))
                continue;
            plain_ = plain_ && IsPlainName(name.data(), name.size());
            uppers.push_back(FoldNameCase(name));
            decoded.push_back(std::move(name));
            names_.push_back(std::move(unixName));
            kinds_.push_back(entry->d_type);
        }
        order_.resize(names_.size());
        for (uint32_t i = 0; i < order_.size(); ++i)
            order_[i] = i;
        std::sort(order_.begin(), order_.end(), [&](uint32_t a, uint32_t b) {
            if (uppers[a] != uppers[b])
                return uppers[a] < uppers[b];
            return decoded[a] < decoded[b];
        });
        for (size_t i = 0; i < uppers.size(); ++i)
            byUpper_.emplace(std::move(uppers[i]), i);
        if (wide != nullptr)
            *wide = std::move(decoded);
        read_ = true;
        device_ = info.st_dev;
        inode_ = info.st_ino;
        changed_ = changedAtRead_ = info.st_mtim;
        return true;
    }

    bool read_ = false;
    bool forOutputs_ = false;  // checked by outputs, and not since by another lookup
    bool plain_ = true;
    dev_t device_ = 0;
    ino_t inode_ = 0;
    timespec changed_ = {};        // the folder's time as last known
    timespec changedAtRead_ = {};  // the folder's time when it was read
    timespec readAt_ = {};         // the clock, in the file system's ticks, at the read
    std::vector<std::string> names_;
    std::vector<unsigned char> kinds_;  // readdir's d_type of each name
    // Wine's listing order (case folded, then by code unit); empty once a
    // name is added, until the folder is read again.
    std::vector<uint32_t> order_;
    // Wine's case folding of each UTF-8 name, by which it matches names.
    std::unordered_map<WString, size_t> byUpper_;
};

namespace {

// The folders met most recently, the latest first, and a way to them by
// name. Bounded, and only the least recent goes: an export walks a thousand
// folders one after the other, and each must keep its snapshot while its
// files and their outputs are looked up.
class RecentFolders {
public:
    // The folder of this Windows path, converted by Wine on first sight;
    // null when Wine cannot convert it.
    std::shared_ptr<WineFolder> Get(const WString& path)
    {
        auto known = byPath_.find(path);
        if (known != byPath_.end()) {
            folders_.splice(folders_.begin(), folders_, known->second);
            return folders_.front();
        }
        std::string unixPath = UnixPathOf(path);
        if (unixPath.empty())
            return nullptr;
        while (unixPath.size() > 1 && unixPath.back() == '/')
            unixPath.pop_back();
        if (folders_.size() >= kMaxFolders) {
            byPath_.erase(folders_.back()->path);
            folders_.pop_back();
        }
        folders_.push_front(std::make_shared<WineFolder>(path, std::move(unixPath)));
        byPath_[path] = folders_.begin();
        return folders_.front();
    }

private:
    static constexpr size_t kMaxFolders = 64;
    // Shared with the outputs found in them, which outlive a folder's place
    // here.
    std::list<std::shared_ptr<WineFolder>> folders_;
    std::unordered_map<WString, std::list<std::shared_ptr<WineFolder>>::iterator> byPath_;
};

RecentFolders& Folders()
{
    static RecentFolders folders;
    return folders;
}

std::string Join(const std::string& folder, const std::string& name)
{
    return folder == "/" ? folder + name : folder + "/" + name;
}

// The folder of a plain path and the Unix form of its last name; null when
// either cannot be had.
std::shared_ptr<WineFolder> SplitPlainPath(const WString& path, std::string& leaf)
{
    const size_t slash = path.rfind(WCHAR('\\'));
    if (!IsPlainPath(path, false) || slash == WString::npos || slash + 1 == path.size())
        return nullptr;
    const WString name = path.substr(slash + 1);
    if (!FromWide(CP_UTF8, name.data(), name.size(), leaf, WC_ERR_INVALID_CHARS))
        return nullptr;
    return Folders().Get(path.substr(0, slash == 2 ? 3 : slash));
}

} // namespace

bool ListPlainFolder(const WString& folder, PlainFolder& listed)
{
    const std::shared_ptr<WineFolder> known =
        IsPlainPath(folder, true) ? Folders().Get(folder) : nullptr;
    if (known == nullptr)
        return false;
    listed.stream.reset(opendir(known->unixPath.c_str()));
    std::vector<WString> wide;
    if (!listed.stream || fstat(dirfd(listed.stream.get()), &listed.info) != 0 ||
        !known->RefreshForListing(listed.stream.get(), listed.info, wide) || !known->AllPlain())
        return false;
    const std::vector<std::string>& names = known->Names();
    listed.names.clear();
    listed.names.reserve(names.size());
    for (uint32_t i : known->Order()) {
        PlainFolder::Name name{{}, &names[i], known->Kinds()[i]};
        if (wide.empty())  // the snapshot was current: only the bytes are kept
            ToWide(CP_UTF8, names[i].data(), names[i].size(), name.name);  // known to be UTF-8
        else
            name.name = std::move(wide[i]);
        listed.names.push_back(std::move(name));
    }
    return true;
}

std::string UnixPathOf(const WCHAR* path)
{
    char* converted = wine_get_unix_file_name(path);
    if (converted == nullptr)
        return std::string();
    std::string unixPath(converted);
    HeapFree(GetProcessHeap(), 0, converted);
    return unixPath;
}

std::string ExactWineName(const WString& path)
{
    std::string leaf;
    const std::shared_ptr<WineFolder> folder = SplitPlainPath(path, leaf);
    return folder ? Join(folder->unixPath, leaf) : std::string();
}

WineName FindWineName(const WString& path, bool exactFirst, bool followLinks)
{
    const auto look = followLinks ? stat : lstat;
    WineName result;
    std::string leaf;
    std::shared_ptr<WineFolder> folder = SplitPlainPath(path, leaf);
    if (folder == nullptr)
        return result;

    result.path = Join(folder->unixPath, leaf);
    if (exactFirst && look(result.path.c_str(), &result.info) == 0) {
        result.state = WineName::Found;
        return result;
    }
    if (exactFirst && errno != ENOENT)
        return result;
    if (!(exactFirst ? folder->Refresh() : folder->RefreshForOutputs()))
        return result;
    const std::string* match = folder->Match(FoldNameCase(path.substr(path.rfind(WCHAR('\\')) + 1)));
    const std::string unixPath = match ? Join(folder->unixPath, *match) : std::string();
    result.folder = std::move(folder);
    if (match == nullptr) {
        result.state = WineName::Missing;
        return result;
    }
    result.path = unixPath;
    if (look(result.path.c_str(), &result.info) == 0)
        result.state = WineName::Found;
    return result;
}

void NoteWritten(const WineName& name)
{
    if (name.folder != nullptr && name.state == WineName::Missing)
        name.folder->Add(name.path.substr(name.path.rfind('/') + 1));
}

} // namespace vela
