#pragma once
// Under Winelib, as root: a full disk on demand.
#include "vela/text.h"

#include <windows.h>

#include <sys/mount.h>

#include <string>

// A tmpfs of `size` mounted over a folder for one test; unmounted however
// the test ends.
class SmallDisk {
public:
    SmallDisk(const WString& folder, const char* size)
    {
        char* unixPath = wine_get_unix_file_name(folder.c_str());
        if (unixPath == nullptr)
            return;
        path_ = unixPath;
        HeapFree(GetProcessHeap(), 0, unixPath);
        const std::string options = std::string("size=") + size;
        mounted_ = mount("tagscribe-full", path_.c_str(), "tmpfs", 0, options.c_str()) == 0;
    }
    ~SmallDisk()
    {
        if (mounted_)
            umount2(path_.c_str(), MNT_DETACH);
    }
    bool Mounted() const { return mounted_; }

private:
    std::string path_;
    bool mounted_ = false;
};
