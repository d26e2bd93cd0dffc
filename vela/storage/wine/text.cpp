// Which names of a Windows path Wine maps one to one, and their letter case.
#include "vela/storage/wine/text.h"

#include "vela/storage/wine/names.h"

#include <ntstatus.h>
#include <winternl.h>

#include <cstring>

namespace vela {

WString FoldNameCase(const WString& text)
{
    WString upper(text);
    for (WCHAR& c : upper)
        c = c < 0x80 ? (c >= 'a' && c <= 'z' ? WCHAR(c - 32) : c) : RtlUpcaseUnicodeChar(c);
    return upper;
}

namespace {

// True when Wine's Unix names are UTF-8 (the usual UTF-8 locale); otherwise
// only ASCII names are composed here.
bool UnixNamesAreUtf8()
{
    static const bool utf8 = [] {
        const WCHAR probe[] = {'C', ':', '\\', 0xE9, 0};
        const std::string name = UnixPathOf(probe);
        return name.size() >= 2 && name.compare(name.size() - 2, 2, "\xC3\xA9") == 0;
    }();
    return utf8;
}

bool SameLetters(const WCHAR* name, size_t length, const char* device)
{
    for (size_t i = 0; i < length; ++i) {
        WCHAR c = name[i];
        if (c >= 'a' && c <= 'z')
            c = WCHAR(c - 32);
        if (device[i] == 0 || c != WCHAR(device[i]))
            return false;
    }
    return device[length] == 0;
}

// CON, NUL, COM1 and the rest name devices whatever extension follows.
bool IsDeviceName(const WCHAR* name, size_t length)
{
    size_t stem = 0;
    while (stem < length && name[stem] != '.')
        ++stem;
    while (stem > 0 && name[stem - 1] == ' ')
        --stem;
    static const char* const devices[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
    for (const char* device : devices) {
        if (SameLetters(name, stem, device))
            return true;
    }
    const bool numbered = stem == 4 && name[3] >= '1' && name[3] <= '9';
    return numbered && (SameLetters(name, 3, "COM") || SameLetters(name, 3, "LPT"));
}

} // namespace

// One name of a path, seen in place: every path this program opens passes
// here several times.
bool IsPlainName(const WCHAR* name, size_t length)
{
    if (length == 0 || (name[0] == '.' && (length == 1 || (length == 2 && name[1] == '.'))))
        return false;
    if (name[length - 1] == '.' || name[length - 1] == ' ' || IsDeviceName(name, length))
        return false;
    const bool wide = UnixNamesAreUtf8();
    for (size_t i = 0; i < length; ++i) {
        const WCHAR c = name[i];
        if (c < 0x20 || (c >= 0x80 && !wide) || (c >= 0xF000 && c <= 0xF0FF))
            return false;
        switch (c) {
        case '/': case ':': case '*': case '?': case '"': case '<': case '>': case '|':
        case '~':  // a short 8.3 name, which Wine matches by hashing long names
            return false;
        }
    }
    return true;
}

bool IsPlainPath(const WString& path, bool folderSyntax)
{
    if (path.size() < 3 || path.size() >= MAX_PATH || path[1] != ':' || path[2] != '\\')
        return false;
    const WCHAR drive = path[0];
    if (!((drive >= 'A' && drive <= 'Z') || (drive >= 'a' && drive <= 'z')))
        return false;
    size_t start = 3;
    while (start < path.size()) {
        size_t stop = path.find(WCHAR('\\'), start);
        if (stop == WString::npos)
            stop = path.size();
        else if (stop + 1 == path.size() && !folderSyntax)
            return false;
        if (!IsPlainName(path.data() + start, stop - start))
            return false;
        start = stop + 1;
    }
    return true;
}

} // namespace vela
