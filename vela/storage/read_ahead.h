#pragma once
// Opens the tracks of a list one by one, each some places ahead of its
// turn, and asks the disk to fetch what will be read of it (Track::
// WillRead): while one track is read, the kernel fetches the next ones, and
// a run over files not yet in memory goes at the disk's pace on one thread.
// Each file is opened once, in the list's order, and handed over at its
// turn; at most kTracksAhead + 1 are open at once, the one handed over
// included (the caller's previous track aside, if it still holds it).
#include "vela/storage/disk.h"

#include <deque>
#include <functional>
#include <memory>

namespace vela {

class ReadAhead {
public:
    // Measured on an ext4 disk with the page cache dropped: 32 tracks ahead
    // reached the disk's pace, 8 did not.
    static constexpr size_t kTracksAhead = 32;

    // Only the paths that `wanted` accepts are opened. The list and the
    // disk must outlive this object.
    ReadAhead(Disk& disk, const WStringList& paths, std::function<bool(const WString&)> wanted);

    // The track at `index`, a wanted one, taken in increasing order: opened
    // ahead or now. Null with the last error of its open when it cannot be
    // opened.
    std::unique_ptr<Track> Take(size_t index);

    // How many tracks are held open, for tests.
    size_t Held() const;

private:
    struct Opened {
        size_t index;
        std::unique_ptr<Track> track;
        DWORD error;  // the last error of a failed open
    };

    Disk& disk_;
    const WStringList& paths_;
    std::function<bool(const WString&)> wanted_;
    std::deque<Opened> ahead_;
    size_t next_ = 0;  // the next path to consider opening
};

} // namespace vela
