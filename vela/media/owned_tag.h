#pragma once
// A tag that libid3tag parsed (id3_tag_new, id3_tag_parse), owned as every
// handle of the program is (see vela/owned.h); id3_tag_delete frees it with
// the frames that no other tag holds.
#include "vela/owned.h"

#include <id3tag.h>

namespace vela {

struct ParsedTag {
    using Handle = id3_tag*;
    static id3_tag* None() { return nullptr; }
    static bool Close(id3_tag* tag)
    {
        id3_tag_delete(tag);
        return true;
    }
};

using OwnedTag = Owned<ParsedTag>;

} // namespace vela
