#include "app/code_page_loss.h"

#include "vela/code_page.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>

namespace {

// Four units at a time: most lyrics are ASCII, and this runs for every track.
bool IsAscii(const WString& text)
{
    const WCHAR* unit = text.data();
    const WCHAR* end = unit + text.size();
    for (; end - unit >= 4; unit += 4) {
        uint64_t four;
        std::memcpy(&four, unit, sizeof four);
        if (four & 0xFF80FF80FF80FF80ull)
            return false;
    }
    for (; unit != end; ++unit) {
        if (*unit >= 0x80)
            return false;
    }
    return true;
}

// The process's code page does not change while it runs.
struct CodePage {
    bool singleByte;
    char fallback;  // the default character, a single byte in every code page
};

const CodePage& ThisCodePage()
{
    static const CodePage page = [] {
        CPINFO info = {};
        const bool known = GetCPInfo(CP_ACP, &info) != FALSE;
        return CodePage{known && info.MaxCharSize == 1,
                        known && info.DefaultChar[0] ? static_cast<char>(info.DefaultChar[0]) : '?'};
    }();
    return page;
}

// A character beyond U+FFFF may come out as one default character per unit.
bool OnlyDefault(const char* bytes, int size, char fallback)
{
    return size > 0 && std::all_of(bytes, bytes + size, [&](char c) { return c == fallback; });
}

size_t CharacterLength(const WString& text, size_t i)
{
    return IS_HIGH_SURROGATE(text[i]) && i + 1 < text.size() && IS_LOW_SURROGATE(text[i + 1]) ? 2
                                                                                              : 1;
}

// In a single-byte code page each UTF-16 unit became one byte, so the text
// converted back lines up with the original unit for unit.
void CompareUnits(const WString& text, const WString& back, const std::string& ansi,
                  char fallback, CodePageLoss& loss)
{
    for (size_t i = 0; i < text.size(); i += CharacterLength(text, i)) {
        const size_t length = CharacterLength(text, i);
        if (back.compare(i, length, text, i, length) == 0)
            continue;
        ++loss.lost;
        if (OnlyDefault(&ansi[i], static_cast<int>(length), fallback))
            ++loss.asDefault;
    }
}

// Elsewhere each character that did not come back whole is found on its own;
// the code pages here convert without state. The two strings are reused, so
// no character costs an allocation.
void CompareCharacters(const WString& text, char fallback, CodePageLoss& loss)
{
    std::string bytes;
    WString units;
    for (size_t i = 0; i < text.size(); i += CharacterLength(text, i)) {
        if (text[i] < 0x80)
            continue;
        const size_t length = CharacterLength(text, i);
        if (vela::FromWide(CP_ACP, &text[i], length, bytes) &&
            vela::ToWide(CP_ACP, bytes.data(), bytes.size(), units) &&
            units.compare(0, WString::npos, text, i, length) == 0)
            continue;
        ++loss.lost;
        if (OnlyDefault(bytes.data(), static_cast<int>(bytes.size()), fallback))
            ++loss.asDefault;
    }
}

} // namespace

CodePageLoss MeasureLoss(const WString& text, const std::string& ansi)
{
    CodePageLoss loss;
    if (IsAscii(text) || ansi.size() > INT_MAX)
        return loss;
    WString back;
    vela::ToWide(CP_ACP, ansi.data(), ansi.size(), back);
    if (back == text)
        return loss;
    const CodePage& page = ThisCodePage();
    if (page.singleByte && back.size() == text.size() && ansi.size() == text.size())
        CompareUnits(text, back, ansi, page.fallback, loss);
    else
        CompareCharacters(text, page.fallback, loss);
    return loss;
}
