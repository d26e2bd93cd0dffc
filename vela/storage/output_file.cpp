#include "vela/storage/output_file.h"

#include "vela/storage/file.h"

namespace vela {

// Readable in any listing, and in no letter case an extension that the
// export job or a player takes for a track.
const WCHAR kPartialSuffix[] = TEXT(".tagscribe-partial");

bool IsPartialOutput(const WString& name)
{
    static const WString suffix = FoldNameCase(kPartialSuffix);
    const size_t length = suffix.size();
    return name.size() > length &&
           FoldNameCase(name.substr(name.size() - length)) == suffix;
}

OutputResult WriteOutput(const WString& path, const WString& source, Existing existing,
                         const std::string& bytes)
{
    const OutputResult result = CurrentDisk().WriteOutput(path, source, existing, bytes);
    if (result == OutputResult::Failed)
        ReportLastError();
    return result;
}

WString FinalOutputPath(const WString& path)
{
    return CurrentDisk().FinalPath(path);
}

} // namespace vela
