#pragma once
// Reads the lyrics of an audio file's ID3 tag through libid3tag: the first
// USLT frame, or in a tag without one the first TXXX frame named as lyrics,
// or when neither holds text a SYLT frame as LRC text (see FindLyricsFrame).
// One object can read many files in turn: each Open closes the file the
// previous one left open.
#include "vela/media/lyrics_frame.h"
#include "vela/media/mpeg_audio.h"
#include "vela/media/owned_tag.h"
#include "vela/storage/disk.h"
#include "vela/text.h"

#include <boost/noncopyable.hpp>

#include <memory>

namespace vela {

class Mp3Tag : private boost::noncopyable {
public:
    Mp3Tag();
    virtual ~Mp3Tag();

    // Opens the file on the current disk and loads its tag. `mode` is
    // libid3tag's; a reader that never writes opens every file for reading.
    // False when the file cannot be opened (the last error says why);
    // whatever was open before is closed either way. A readable file without
    // any tag opens with an empty tag.
    bool Open(const WString& path, int mode);
    // The same for a track opened already; a null one fails.
    bool Open(std::unique_ptr<Track> track);

    // The lyrics, exactly as stored (line breaks kept, characters above
    // U+FFFF as surrogate pairs); empty when nothing is open, when there is
    // no lyrics frame or when its text is empty.
    WString Lyrics() const { return ReadLyrics().text; }

    struct TrackLyrics {
        WString text;
        // Synchronised lyrics whose times could not be given: in MPEG
        // frames with no audio frame found, or in an unknown unit.
        bool untimed = false;
    };
    TrackLyrics ReadLyrics() const;

    // The open file, held until the next Open: what an output written from
    // it must never replace. Null when nothing is open.
    const Track* Source() const { return track_.get(); }

private:
    void Close();

    std::unique_ptr<Track> track_;
    // The tag view as libid3tag's file route gives it (see ReadFileTag).
    OwnedTag tag_;
    // A TXXX frame that gives the lyrics, read again from the track's bytes
    // as a USLT frame of a tag of its own (see LeadingTxxxAsLyrics).
    OwnedTag userText_;
    // The frame that gives the lyrics, in userText_ when that is set.
    LyricsFrame lyrics_;
    MpegFrameLength audioFrame_;
};

} // namespace vela
