#include "app/job_inputs.h"

#include "vela/storage/disk.h"

#include <algorithm>

namespace {

// FNV-1a over the code units folded as the disk matches names.
uint64_t FoldedHash(const WString& name)
{
    const WString path = vela::FoldNameCase(name);
    uint64_t hash = 14695981039346656037ull;
    for (WCHAR c : path)
        hash = (hash ^ static_cast<uint16_t>(c)) * 1099511628211ull;
    return hash;
}

} // namespace

JobInputs::JobInputs(const WStringList& paths)
{
    hashes_.reserve(paths.size());
    for (const WString& path : paths)
        hashes_.push_back(FoldedHash(path));
    std::sort(hashes_.begin(), hashes_.end());
}

bool JobInputs::Contains(const WString& path) const
{
    return std::binary_search(hashes_.begin(), hashes_.end(), FoldedHash(path));
}
