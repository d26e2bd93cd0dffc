#pragma once
// The files an export run reads, by name: an output must never replace one
// of them.
#include "vela/text.h"

#include <cstdint>
#include <vector>

class JobInputs {
public:
    // Every path of the list, its letters folded as file names compare.
    explicit JobInputs(const WStringList& paths);
    // True when `path`, in any letter case, is one of the list's paths.
    bool Contains(const WString& path) const;

private:
    // Hashes only: a run of 100,000 tracks keeps 800 KB here, not a second
    // copy of every path. Two names that share a hash are both kept from
    // being replaced, which errs on the safe side.
    std::vector<uint64_t> hashes_;
};
