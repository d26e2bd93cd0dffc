#include "vela/storage/output_rules.h"

namespace vela {
namespace {

bool Holds(const ReadFound& read, const std::string& bytes)
{
    std::string held(bytes.size() + 1, 0);  // one more, to see a file that grew
    const int64_t got = read(&held[0], held.size());
    return got == static_cast<int64_t>(bytes.size()) && held.compare(0, bytes.size(), bytes) == 0;
}

} // namespace

OutputResult CheckFoundOutput(const FoundOutput& found, const Track* source, Existing existing,
                              const std::string& bytes, const ReadFound& read)
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
