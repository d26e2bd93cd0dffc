#include "vela/storage/read_ahead.h"

namespace vela {

ReadAhead::ReadAhead(Disk& disk, const WStringList& paths,
                     std::function<bool(const WString&)> wanted)
    : disk_(disk), paths_(paths), wanted_(std::move(wanted))
{
}

std::unique_ptr<Track> ReadAhead::Take(size_t index)
{
    while (!ahead_.empty() && ahead_.front().index < index)
        ahead_.pop_front();
    if (next_ <= index)
        next_ = index;  // nothing ahead of this one yet: it opens now
    while (next_ < paths_.size() && ahead_.size() <= kTracksAhead) {
        const size_t at = next_++;
        if (!wanted_(paths_[at]))
            continue;
        std::unique_ptr<Track> track = disk_.OpenTrack(paths_[at]);
        const DWORD error = track ? ERROR_SUCCESS : GetLastError();
        if (track)
            track->WillRead();
        ahead_.push_back({at, std::move(track), error});
    }
    if (ahead_.empty() || ahead_.front().index != index) {
        return disk_.OpenTrack(paths_[index]);  // not a wanted one after all
    }
    Opened turn = std::move(ahead_.front());
    ahead_.pop_front();
    SetLastError(turn.error);
    return std::move(turn.track);
}

size_t ReadAhead::Held() const
{
    size_t held = 0;
    for (const Opened& opened : ahead_)
        held += opened.track ? 1 : 0;
    return held;
}

} // namespace vela
