#pragma once
// One readdir of a folder, kept for two uses: the listing that Wine's
// FindFirstFileW gives for "*", and the letter-case-blind lookup by which
// Wine matches a name that is not on disk as spelt.
//
// A snapshot stays in use while the folder's identity and modification time
// are those it was read with, and this process's own new files are added to
// it (Add). One thing the time cannot show: a change made in the same clock
// tick as the read leaves the folder's time as the read saw it. So, as
// version-control indexes do, a snapshot read in the same tick as the
// folder's last change (or earlier than it) is not trusted to say a name is
// missing; the caller reads the folder again first (IsRacy).
#include "vela/text.h"

#include <sys/stat.h>

#include <ctime>
#include <string>
#include <unordered_map>
#include <vector>

namespace vela {

// Only the bytes are kept: a snapshot stays cached, and the UTF-16 forms
// would more than double it.
struct SnapshotName {
    std::string unixName;
    unsigned char type;  // readdir's d_type
};

class FolderSnapshot {
public:
    // Reads the folder unless the snapshot is current; `read` tells which.
    // False when the folder cannot be read (the snapshot is then forgotten).
    bool Update(const std::string& unixPath, bool& read);
    // Reads the folder again, whatever the snapshot holds.
    bool Reread(const std::string& unixPath);
    bool IsRacy() const;

    // The name Wine would open for this upper-case name: of names equal but
    // for case, the first in the folder's own order. Null when none.
    const SnapshotName* Match(const WString& upper) const;
    // In the folder's own order, this process's additions last; the names
    // that are not UTF-8 are left out.
    const std::vector<SnapshotName>& Names() const { return names_; }
    // False when some name is not UTF-8 or would show differently in Wine;
    // a listing is then left to Wine.
    bool AllPlain() const { return plain_; }

    // Records a file this process has just created in the folder, whose
    // modification time the creation has set to `changed`.
    void Add(const std::string& unixName, const timespec& changed);

private:
    bool Read(const std::string& unixPath, const struct stat& info);
    void Note(const std::string& unixName, unsigned char type);
    void Forget();

    bool read_ = false;
    bool plain_ = true;
    dev_t device_ = 0;
    ino_t inode_ = 0;
    timespec changed_ = {};        // the folder's time as last known
    timespec changedAtRead_ = {};  // the folder's time when it was read
    timespec readAt_ = {};         // the clock, in the file system's ticks, at the read
    std::vector<SnapshotName> names_;
    // Wine's case folding of each UTF-8 name, by which it matches names.
    std::unordered_map<WString, size_t> byUpper_;
};

} // namespace vela
