#include "vela/storage/output_file.h"

#include "vela/storage/file.h"

namespace vela {

// Readable in any listing, and in no letter case an extension that the
// export job or a player takes for a track.
const WCHAR kPartialSuffix[] = TEXT(".tagscribe-partial");

bool IsPartialOutput(const WString& name)
{
    const size_t length = sizeof(kPartialSuffix) / sizeof(WCHAR) - 1;
    if (name.size() <= length)
        return false;
    for (size_t i = 0; i < length; ++i) {
        WCHAR c = name[name.size() - length + i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<WCHAR>(c - 'A' + 'a');
        if (c != kPartialSuffix[i])
            return false;
    }
    return true;
}

OutputResult WriteOutput(const WString& path, const WString& source, Existing existing,
                         const std::string& bytes)
{
    const OutputResult result = CurrentDisk().WriteOutput(path, source, existing, bytes);
    if (result == OutputResult::Failed)
        ReportLastError();
    return result;
}

} // namespace vela
