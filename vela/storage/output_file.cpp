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

std::unique_ptr<Output> FindOutput(const WString& path)
{
    return CurrentDisk().FindOutput(path);
}

OutputResult WriteOutput(Output& output, const Track* source, Existing existing,
                         const std::string& bytes)
{
    const OutputResult result = output.Write(source, existing, bytes);
    if (result == OutputResult::Failed)
        ReportLastError();
    return result;
}

OutputResult WriteOutput(const WString& path, const Track* source, Existing existing,
                         const std::string& bytes)
{
    return WriteOutput(*FindOutput(path), source, existing, bytes);
}

} // namespace vela
