#include "app/job_inputs.h"

#include <windows.h>

#include <algorithm>

namespace {

// FNV-1a over the upper-case code units, the folding by which the system
// matches file names.
uint64_t FoldedHash(WString path)
{
    if (!path.empty())
        CharUpperBuffW(&path[0], static_cast<DWORD>(path.size()));
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
