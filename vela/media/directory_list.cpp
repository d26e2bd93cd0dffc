#include "vela/media/directory_list.h"

#include "app/paths.h"

#include <memory>

namespace vela {
namespace {

// One find handle and the entries it delivers, FindFirstFileW's included.
class FindFiles {
public:
    explicit FindFiles(const WString& query)
        : handle_(FindFirstFileW(query.c_str(), &first_)), hasFirst_(true)
    {
    }
    ~FindFiles()
    {
        if (handle_ != INVALID_HANDLE_VALUE)
            FindClose(handle_);
    }
    FindFiles(const FindFiles&) = delete;
    FindFiles& operator=(const FindFiles&) = delete;

    // False once the folder has no more entries or could not be listed.
    bool Next(WIN32_FIND_DATAW& data)
    {
        if (handle_ == INVALID_HANDLE_VALUE)
            return false;
        if (hasFirst_) {
            hasFirst_ = false;
            data = first_;
            return true;
        }
        return FindNextFileW(handle_, &data) != FALSE;
    }

private:
    WIN32_FIND_DATAW first_;
    HANDLE handle_;
    bool hasFirst_;
};

bool IsFolder(const WIN32_FIND_DATAW& data)
{
    return (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

uint64_t Combine(DWORD high, DWORD low)
{
    return (static_cast<uint64_t>(high) << 32) | low;
}

DirectoryEntry MakeEntry(const WString& base, const WIN32_FIND_DATAW& data)
{
    DirectoryEntry entry;
    entry.path = base + data.cFileName;
    entry.lastWriteTime =
        Combine(data.ftLastWriteTime.dwHighDateTime, data.ftLastWriteTime.dwLowDateTime);
    entry.size = Combine(data.nFileSizeHigh, data.nFileSizeLow);
    return entry;
}

// A folder whose sub-folders are being walked: its path with the backslash,
// and the open find handle of its folder pass.
struct Level {
    WString base;
    std::unique_ptr<FindFiles> folders;
};

} // namespace

// The walk keeps its own stack of levels instead of recursing, so that a deep
// tree (or a linked folder pointing back up, under a long-path prefix) cannot
// exhaust the thread's stack; the order is the same as a recursive pre-order.
size_t DirectoryList::Search(const WString& folder, const WString& pattern, bool recurse)
{
    std::vector<Level> levels;
    auto enter = [&](const WString& path) {
        WString base = AddBackslash(path);
        WIN32_FIND_DATAW data;
        // The file pass closes its handle before the folder pass opens one.
        {
            FindFiles matches(base + pattern);
            while (matches.Next(data)) {
                if (!IsFolder(data))
                    files.push_back(MakeEntry(base, data));
            }
        }
        auto all = std::make_unique<FindFiles>(base + TEXT("*.*"));
        levels.push_back(Level{std::move(base), std::move(all)});
    };

    enter(folder);
    while (!levels.empty()) {
        WIN32_FIND_DATAW data;
        if (!levels.back().folders->Next(data)) {
            levels.pop_back();
            continue;
        }
        if (!IsFolder(data) || data.cFileName[0] == TEXT('.'))
            continue;
        folders.push_back(MakeEntry(levels.back().base, data));
        if (recurse)
            enter(folders.back().path);
    }
    return files.size();
}

} // namespace vela
