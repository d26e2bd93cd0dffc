#include "app/paths.h"

#include <shlwapi.h>

namespace {

// A zero-filled copy of the text with room for `extra` more characters, so
// that the in-place platform calls can grow it and the result ends at the
// first NUL.
std::vector<WCHAR> Buffer(const WString& text, size_t extra)
{
    std::vector<WCHAR> buffer(text.size() + extra, 0);
    std::copy(text.begin(), text.end(), buffer.begin());
    return buffer;
}

WString UpToNul(const WCHAR* text)
{
    return WString(text);
}

} // namespace

WString AddBackslash(const WString& folder)
{
    if (folder.empty())
        return folder;  // stays relative to the current folder
    auto buffer = Buffer(folder, 2);
    PathAddBackslashW(buffer.data());
    return UpToNul(buffer.data());
}

WString ParentFolder(const WString& path)
{
    auto buffer = Buffer(path, 1);
    PathRemoveFileSpecW(buffer.data());
    return UpToNul(buffer.data());
}

WString LeafName(const WString& path)
{
    const WCHAR* begin = path.c_str();
    return WString(PathFindFileNameW(begin));
}

WString ExtensionOf(const WString& path)
{
    const WCHAR* begin = path.c_str();
    return WString(PathFindExtensionW(begin));
}

WString StripExtension(const WString& path)
{
    auto buffer = Buffer(path, 1);
    PathRemoveExtensionW(buffer.data());
    return UpToNul(buffer.data());
}

WString ReplaceExtension(const WString& path, const WString& extension)
{
    auto buffer = Buffer(path, extension.size() + 1);
    PathRenameExtensionW(buffer.data(), extension.c_str());
    return UpToNul(buffer.data());
}

WString ModulePath()
{
    WCHAR buffer[2 * MAX_PATH] = {};
    GetModuleFileNameW(nullptr, buffer, 2 * MAX_PATH);
    return UpToNul(buffer);
}

std::string ToAnsi(const WString& text)
{
    int size = WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    if (size <= 0)
        return std::string();
    std::string bytes(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, &bytes[0], size, nullptr, nullptr);
    while (!bytes.empty() && bytes.back() == '\0')
        bytes.pop_back();
    return bytes;
}
