#pragma once
// Under Winelib, as root: a full disk on demand.
#include "tests/support/unix_path.h"
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
        path_ = UnixPath(folder);
        if (path_.empty())
            return;
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
