#include "vela/storage/output_file.h"

#include "vela/storage/file.h"

namespace vela {

OutputResult WriteOutput(const WString& path, const WString& source, Existing existing,
                         const std::string& bytes)
{
    File output;
    if (!output.OpenOutput(path, source, existing))
        return OutputResult::Failed;
    const DWORD size = static_cast<DWORD>(bytes.size());
    // A short write (a full disk) would leave a file that looks finished.
    if (output.Write(bytes.data(), size) != size) {
        const DWORD error = GetLastError();
        output.Discard();
        SetLastError(error);
        return OutputResult::Failed;
    }
    return OutputResult::Written;
}

} // namespace vela
