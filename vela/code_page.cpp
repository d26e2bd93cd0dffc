#include "vela/code_page.h"

#include <climits>

namespace vela {

// One call each way where the room is known in advance: no code page spends
// more than four bytes on a UTF-16 unit, nor more than one unit on a byte.
// Measuring first would take two. A reused string keeps its capacity, so
// callers converting one character at a time allocate nothing.

bool ToWide(UINT codePage, const char* bytes, size_t size, WString& text, DWORD flags)
{
    text.clear();
    if (size == 0)
        return true;
    if (size > INT_MAX)
        return false;
    const int length = static_cast<int>(size);
    text.resize(size);
    int made = MultiByteToWideChar(codePage, flags, bytes, length, &text[0], length);
    if (made <= 0 && GetLastError() == ERROR_INSUFFICIENT_BUFFER) {
        made = MultiByteToWideChar(codePage, flags, bytes, length, nullptr, 0);
        text.resize(made > 0 ? static_cast<size_t>(made) : 0);
        if (made > 0)
            made = MultiByteToWideChar(codePage, flags, bytes, length, &text[0], made);
    }
    text.resize(made > 0 ? static_cast<size_t>(made) : 0);
    return made > 0;
}

bool FromWide(UINT codePage, const WCHAR* text, size_t size, std::string& bytes, DWORD flags)
{
    bytes.clear();
    if (size == 0)
        return true;
    if (size > INT_MAX / 8)
        return false;
    const int length = static_cast<int>(size);
    bytes.resize(size * 4);
    const int room = static_cast<int>(bytes.size());
    int made = WideCharToMultiByte(codePage, flags, text, length, &bytes[0], room, nullptr, nullptr);
    if (made <= 0 && GetLastError() == ERROR_INSUFFICIENT_BUFFER) {
        made = WideCharToMultiByte(codePage, flags, text, length, nullptr, 0, nullptr, nullptr);
        bytes.resize(made > 0 ? static_cast<size_t>(made) : 0);
        if (made > 0)
            made = WideCharToMultiByte(codePage, flags, text, length, &bytes[0], made, nullptr,
                                       nullptr);
    }
    bytes.resize(made > 0 ? static_cast<size_t>(made) : 0);
    return made > 0;
}

} // namespace vela
