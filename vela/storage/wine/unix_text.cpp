// Names between the program's UTF-16 and the UTF-8 bytes of the Unix calls,
// and which names of a Windows path Wine maps one to one.
#include "vela/storage/wine/unix_names.h"

#include <winternl.h>

#include <cstring>

namespace vela {

bool ToUtf8(const WString& text, std::string& out)
{
    out.clear();
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        uint32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDFFF) {
            if (c > 0xDBFF || i + 1 == text.size() || text[i + 1] < 0xDC00 || text[i + 1] > 0xDFFF)
                return false;
            c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | c >> 6);
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | c >> 12);
            out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | c >> 18);
            out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
            out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return true;
}

bool FromUtf8(const char* bytes, WString& out)
{
    out.clear();
    const auto* p = reinterpret_cast<const unsigned char*>(bytes);
    while (*p) {
        uint32_t c = *p++;
        int more = 0;
        uint32_t least = 0;
        if (c < 0x80) {
        } else if ((c & 0xE0) == 0xC0) {
            c &= 0x1F, more = 1, least = 0x80;
        } else if ((c & 0xF0) == 0xE0) {
            c &= 0x0F, more = 2, least = 0x800;
        } else if ((c & 0xF8) == 0xF0) {
            c &= 0x07, more = 3, least = 0x10000;
        } else {
            return false;
        }
        for (; more > 0; --more, ++p) {
            if ((*p & 0xC0) != 0x80)
                return false;
            c = c << 6 | (*p & 0x3F);
        }
        if (c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
            return false;
        if (c >= 0x10000) {
            c -= 0x10000;
            out += static_cast<WCHAR>(0xD800 + (c >> 10));
            out += static_cast<WCHAR>(0xDC00 + (c & 0x3FF));
        } else {
            out += static_cast<WCHAR>(c);
        }
    }
    return true;
}

WString UpperCase(const WString& text)
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
        char* name = wine_get_unix_file_name(probe);
        if (name == nullptr)
            return false;
        const size_t length = std::strlen(name);
        const bool yes = length >= 2 && std::strcmp(name + length - 2, "\xC3\xA9") == 0;
        HeapFree(GetProcessHeap(), 0, name);
        return yes;
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
