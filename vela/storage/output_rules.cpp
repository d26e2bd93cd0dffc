#include "vela/storage/output_rules.h"

namespace vela {

static bool Holds(const std::function<int64_t(char*, size_t)>& read, const std::string& bytes)
{
    std::string held(bytes.size() + 1, 0);  // one more, to see a file that grew
    const int64_t got = read(&held[0], held.size());
    return got == static_cast<int64_t>(bytes.size()) && held.compare(0, bytes.size(), bytes) == 0;
}

OutputResult CheckFoundOutput(const FoundOutput& found, const Track* source, Existing existing,
                              const std::string& bytes,
                              const std::function<int64_t(char*, size_t count)>& read)
{
    if (existing == Existing::Keep)
        return Fail(ERROR_FILE_EXISTS);
    if (!found.writable)
        return Fail(ERROR_ACCESS_DENIED);
    if (source && source->Identity() == found.identity)
        return Fail(ERROR_SHARING_VIOLATION);
    if (found.size == bytes.size() && Holds(read, bytes))
        return OutputResult::Unchanged;
    if (found.links > 1)
        return Fail(kErrorHardLinked);
    return OutputResult::Written;
}

OutputResult Fail(DWORD error)
{
    SetLastError(error);
    return OutputResult::Failed;
}

} // namespace vela
