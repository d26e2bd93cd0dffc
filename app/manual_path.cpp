#include "app/manual_path.h"

#include "app/paths.h"

#include <windows.h>

#include <vector>

const WCHAR ManualName[] = TEXT("Manual\\index.html");

namespace {

bool IsFile(const WString& path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

WString CurrentFolder()
{
    const DWORD size = GetCurrentDirectoryW(0, nullptr);
    if (size == 0)
        return WString();
    std::vector<WCHAR> buffer(size + 1, 0);
    GetCurrentDirectoryW(size + 1, buffer.data());
    return WString(buffer.data());
}

} // namespace

WString FindManual(const WString& currentFolder, const WString& modulePath)
{
    const WString programFolder = ParentFolder(modulePath);
    // Installed, the program stands in PREFIX\lib\tagscribe and the manual,
    // data of no architecture, in PREFIX\share\tagscribe.
    const WString prefix = ParentFolder(ParentFolder(programFolder));
    const WString installed = prefix.empty() ? WString() : AddBackslash(prefix) + TEXT("share\\tagscribe");
    const WString folders[] = {currentFolder, programFolder, ParentFolder(programFolder), installed};
    for (const WString& folder : folders) {
        // An empty folder would make the name relative again: not a place.
        if (folder.empty())
            continue;
        const WString candidate = AddBackslash(folder) + ManualName;
        if (IsFile(candidate))
            return candidate;
    }
    return ManualName;
}

WString ManualPath()
{
    return FindManual(CurrentFolder(), ModulePath());
}
