#include "vela/media/file_tag.h"

#include "vela/media/stored_tag.h"

#include <id3tag.h>

#include <algorithm>
#include <vector>

namespace vela {

namespace {

// The tags found so far, each where it lies (null when it did not parse),
// and the tag view that gathers their frames.
class TagSearch {
public:
    TagSearch(TrackBytes& file, id3_tag* view) : file_(file), view_(view) {}

    // id3_tag_query on the bytes at `at`: a tag's length, 0 for none, or
    // minus the distance back to the tag that a footer there ends.
    long Query(uint64_t at)
    {
        size_t got = 0;
        const unsigned char* bytes = file_.At(at, ID3_TAG_QUERYSIZE, got);
        return bytes ? id3_tag_query(bytes, got) : 0;
    }

    // The tag of `length` bytes at `at`: one found there before, else the
    // one parsed now, whose frames then replace the view's (or join them,
    // for a tag marked as an update). Null for a tag that overlaps one found
    // before or does not parse. `position` becomes where the library's
    // stream would stand: after what was read, or still at `at`.
    id3_tag* Add(uint64_t at, uint64_t length, uint64_t& position)
    {
        position = at;
        for (const Found& found : found_) {
            if (found.at == at && found.length == length)
                return found.tag.get();
            if (at < found.at + found.length && at + length > found.at)
                return nullptr;
        }
        size_t got = 0;
        const unsigned char* bytes = file_.At(at, static_cast<size_t>(length), got);
        position = at + got;
        // A tag that the library misreads is handed to it repaired.
        OwnedTag tag;
        std::string readable;
        if (bytes && got == length) {
            const char* stored = reinterpret_cast<const char*>(bytes);
            tag.reset(ReadableTag(std::string_view(stored, got), readable)
                          ? id3_tag_parse(reinterpret_cast<const id3_byte_t*>(readable.data()),
                                          readable.size())
                          : id3_tag_parse(bytes, got));
        }
        if (tag) {
            if (!(tag.get()->extendedflags & ID3_TAG_EXTENDEDFLAG_TAGISANUPDATE))
                id3_tag_clearframes(view_);
            for (unsigned i = 0; id3_frame* frame = id3_tag_findframe(tag.get(), nullptr, i); ++i)
                id3_tag_attachframe(view_, frame);
        }
        id3_tag* added = tag.get();
        const auto place = std::upper_bound(
            found_.begin(), found_.end(), at,
            [](uint64_t offset, const Found& found) { return offset < found.at; });
        found_.insert(place, Found{at, length, std::move(tag)});
        return added;
    }

    // The library's finishing touches on the view: the leading tag's length
    // or the mark of an appended one, and whether there is an ID3v1 tag.
    void Finish(bool v1)
    {
        if ((!found_.empty() && !v1) || (found_.size() > 1 && v1)) {
            if (found_.front().at == 0)
                id3_tag_setlength(view_, found_.front().length);
            else
                id3_tag_options(view_, ID3_TAG_OPTION_APPENDEDTAG, ~0);
        }
        id3_tag_options(view_, ID3_TAG_OPTION_ID3V1, v1 ? ~0 : 0);
    }

private:
    struct Found {
        uint64_t at;
        uint64_t length;
        OwnedTag tag;  // its frames live on in the view when it goes
    };

    TrackBytes& file_;
    id3_tag* view_;
    std::vector<Found> found_;  // by place in the file
};

// A chain of SEEK frames ends at the file's end anyway; this bounds it for
// any file.
constexpr int kMostSeeks = 64;

} // namespace

// In the library's order: an ID3v1 tag in the last 128 bytes, the tag at
// the start and those its SEEK frames lead to, then a tag that a footer
// ends just before the ID3v1 tag (or the file's end).
OwnedTag ReadFileTag(TrackBytes& file)
{
    OwnedTag view(id3_tag_new());
    if (!view)
        return view;
    TagSearch search(file, view.get());
    const uint64_t size = file.Size();
    uint64_t position = 0;
    bool v1 = false;
    if (size >= 128) {
        const long length = search.Query(size - 128);
        if (length > 0) {
            const id3_tag* tag = search.Add(size - 128, static_cast<uint64_t>(length), position);
            v1 = tag && ID3_TAG_VERSION_MAJOR(id3_tag_version(tag)) == 1;
        }
    }

    const long leading = search.Query(0);
    if (leading > 0) {
        const id3_tag* tag = search.Add(0, static_cast<uint64_t>(leading), position);
        for (int hop = 0; tag && hop < kMostSeeks; ++hop) {
            const id3_frame* seek = id3_tag_findframe(tag, "SEEK", 0);
            const id3_field* field = seek ? id3_frame_field(seek, 0) : nullptr;
            const signed long distance = field ? id3_field_getint(field) : -1;
            if (distance < 0)
                break;
            position += static_cast<uint64_t>(distance);
            const long length = search.Query(position);
            tag = length > 0 ? search.Add(position, static_cast<uint64_t>(length), position)
                             : nullptr;
        }
    }

    const uint64_t footer = (v1 ? 128 : 0) + 10;
    if (size >= footer) {
        const long back = search.Query(size - footer);
        if (back < 0 && static_cast<uint64_t>(-back) <= size - footer) {
            const uint64_t at = size - footer - static_cast<uint64_t>(-back);
            const long length = search.Query(at);
            if (length > 0)
                search.Add(at, static_cast<uint64_t>(length), position);
        }
    }
    search.Finish(v1);
    return view;
}

} // namespace vela
