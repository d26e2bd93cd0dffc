#include "app/paths.h"

#include <shlwapi.h>

#include <climits>

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
    // No code page spends more than four bytes on one UTF-16 unit: with that
    // much room one call converts, where measuring first would take two.
    std::string bytes;
    int size = 0;
    if (text.size() < INT_MAX / 8) {
        bytes.resize(text.size() * 4 + 1);
        size = WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, &bytes[0],
                                   static_cast<int>(bytes.size()), nullptr, nullptr);
    }
    if (size <= 0) {
        size = WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
        if (size <= 0)
            return std::string();
        bytes.assign(static_cast<size_t>(size), '\0');
        size = WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, &bytes[0], size, nullptr, nullptr);
    }
    bytes.resize(static_cast<size_t>(size > 0 ? size : 0));
    while (!bytes.empty() && bytes.back() == '\0')
        bytes.pop_back();
    return bytes;
}
