#include "app/paths.h"

#include "vela/code_page.h"

#include <shlwapi.h>

#include <algorithm>

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

// Up to the first NUL, as the platform's own string calls read it. Every
// ANSI code page, UTF-8 too, holds ASCII as ASCII, and most lyrics are
// ASCII: those need no conversion call.
std::string ToAnsi(const WString& text)
{
    const WCHAR* begin = text.c_str();
    const WCHAR* end = begin + std::char_traits<WCHAR>::length(begin);
    if (std::all_of(begin, end, [](WCHAR c) { return c < 0x80; }))
        return std::string(begin, end);
    std::string bytes;
    vela::FromWide(CP_ACP, begin, static_cast<size_t>(end - begin), bytes);
    return bytes;
}
