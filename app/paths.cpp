#include "app/paths.h"

#include <shlwapi.h>

#include <algorithm>
#include <climits>

namespace {

// UNICODE_STRING counts bytes in 16 bits: no Win32 path is longer.
constexpr DWORD LongestPath = 32768;

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

// Composed here rather than by PathAddBackslashW, which refuses folders of
// 260 characters or more: a folder left without its backslash would send
// every path built on it one folder up, beside the folder instead of in it.
WString AddBackslash(const WString& folder)
{
    if (folder.empty() || folder.back() == TEXT('\\'))
        return folder;  // an empty folder stays relative to the current one
    return folder + TEXT("\\");
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

// PathRenameExtensionW refuses a result of 260 characters or more and leaves
// the old extension in place; the extension is found by the platform and the
// new one put in its place here, whatever the length.
WString ReplaceExtension(const WString& path, const WString& extension)
{
    const size_t stem = path.size() - ExtensionOf(path).size();
    return path.substr(0, stem) + extension;
}

// A path that fills the buffer may have been cut: try again with more room,
// up to the longest path the platform has.
WString ModulePath()
{
    for (DWORD capacity = 2 * MAX_PATH;; capacity *= 2) {
        std::vector<WCHAR> buffer(capacity, 0);
        const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), capacity);
        if (length < capacity || capacity >= LongestPath)
            return WString(buffer.data(), std::min(length, capacity));
    }
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
