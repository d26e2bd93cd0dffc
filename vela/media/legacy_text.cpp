#include "vela/media/legacy_text.h"

#include "vela/code_page.h"

#include <algorithm>
#include <climits>
#include <string>

namespace vela {

namespace {

bool Decode(UINT codePage, DWORD flags, const std::string& bytes, WString& text)
{
    return !bytes.empty() && ToWide(codePage, bytes.data(), bytes.size(), text, flags);
}

bool IsPrivateUse(WCHAR c)
{
    return c >= 0xE000 && c <= 0xF8FF;
}

// The code page of text that taggers stored the legacy way: the ANSI code
// page, or in a UTF-8 process (a --utf8 run) that of the user's locale,
// which Windows and Wine keep as it was. 0 when there is none.
UINT LegacyCodePage()
{
    const UINT ansi = GetACP();
    if (ansi != CP_UTF8)
        return ansi;
    WCHAR digits[8] = {};
    if (GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_IDEFAULTANSICODEPAGE, digits, 8) <= 0)
        return 0;
    UINT codePage = 0;
    for (const WCHAR* p = digits; *p >= '0' && *p <= '9'; ++p)
        codePage = codePage * 10 + (*p - '0');
    return codePage == CP_UTF8 ? 0 : codePage;
}

// The bytes as text of a double-byte code page, when they are that.
bool DecodeDoubleByte(UINT codePage, const std::string& bytes, WString& text)
{
    CPINFO info;
    if (!GetCPInfo(codePage, &info) || info.MaxCharSize != 2)
        return false;
    WString decoded;
    if (!Decode(codePage, MB_ERR_INVALID_CHARS, bytes, decoded))
        return false;
    // Each character takes one or two bytes, so fewer characters than bytes
    // means at least one pair. Without one, high bytes are single-byte
    // characters (half-width katakana in 932) that Latin-1 explains as well.
    if (decoded.size() >= bytes.size())
        return false;
    // User-defined characters are no text that a tagger meant to store.
    for (WCHAR c : decoded)
        if (IsPrivateUse(c))
            return false;
    text.swap(decoded);
    return true;
}

// The single-byte code pages whose bytes above 0x7F are mostly the letters
// of one non-Latin script, and that script's block. Latin ones are left
// out: every byte means something there, so nothing would tell their text
// from Latin-1.
struct Script {
    UINT codePage;
    WCHAR first;
    WCHAR last;
};
const Script kScripts[] = {
    {1251, 0x0400, 0x052F},  // Cyrillic
    {1253, 0x0370, 0x03FF},  // Greek
    {1255, 0x0590, 0x05FF},  // Hebrew
    {1256, 0x0600, 0x06FF},  // Arabic
};

// The bytes as text of such a code page when they look like its script:
// every high byte is a character there, and three or more in a row are
// letters of the script. Real Latin-1 words seldom hold three accented
// letters in a row.
bool DecodeScript(UINT codePage, const std::string& bytes, WString& text)
{
    const Script* script = std::find_if(std::begin(kScripts), std::end(kScripts),
                                        [&](const Script& s) { return s.codePage == codePage; });
    WString decoded;
    if (script == std::end(kScripts) || !Decode(codePage, 0, bytes, decoded) ||
        decoded.size() != bytes.size())
        return false;
    size_t run = 0;
    size_t longest = 0;
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (static_cast<unsigned char>(bytes[i]) < 0x80) {
            run = 0;
            continue;
        }
        // Undefined bytes come out as C1 controls, private use or U+FFFD.
        const WCHAR c = decoded[i];
        if ((c >= 0x80 && c <= 0x9F) || IsPrivateUse(c) || c == 0xFFFD)
            return false;
        const bool letter = c >= script->first && c <= script->last && IsCharAlphaW(c);
        run = letter ? run + 1 : 0;
        longest = run > longest ? run : longest;
    }
    if (longest < 3)
        return false;
    text.swap(decoded);
    return true;
}

// Whether `bytes` are well-formed UTF-8 (no overlong form, no surrogate,
// nothing past U+10FFFF) with at least one multi-byte sequence.
bool IsMultiByteUtf8(const std::string& bytes)
{
    bool multiByte = false;
    const size_t n = bytes.size();
    size_t i = 0;
    while (i < n) {
        const unsigned char lead = static_cast<unsigned char>(bytes[i]);
        if (lead < 0x80) {
            ++i;
            continue;
        }
        // The second byte's range shuts out overlong forms (E0, F0),
        // surrogates (ED) and values past U+10FFFF (F4).
        size_t more;
        unsigned char low = 0x80, high = 0xBF;
        if (lead >= 0xC2 && lead <= 0xDF) {
            more = 1;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            more = 2;
            low = lead == 0xE0 ? 0xA0 : low;
            high = lead == 0xED ? 0x9F : high;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            more = 3;
            low = lead == 0xF0 ? 0x90 : low;
            high = lead == 0xF4 ? 0x8F : high;
        } else {
            return false;
        }
        if (n - i - 1 < more)
            return false;
        for (size_t k = 1; k <= more; ++k) {
            const unsigned char next = static_cast<unsigned char>(bytes[i + k]);
            if (next < (k == 1 ? low : 0x80) || next > (k == 1 ? high : 0xBF))
                return false;
        }
        i += more + 1;
        multiByte = true;
    }
    return multiByte;
}

} // namespace

bool ReadLegacyLyrics(const WString& text, WString& lyrics)
{
    if (text.size() >= INT_MAX)
        return false;
    std::string bytes(text.size(), '\0');
    bool high = false;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] > 0xFF)
            return false;
        bytes[i] = static_cast<char>(text[i]);
        high = high || text[i] >= 0x80;
    }
    WString decoded;
    if (high && IsMultiByteUtf8(bytes) && Decode(CP_UTF8, 0, bytes, decoded)) {
        // Some taggers put a byte-order mark first; it is no part of the text
        // and no ANSI code page holds it.
        if (decoded[0] == 0xFEFF)
            decoded.erase(0, 1);
        lyrics.swap(decoded);
        return true;
    }
    const UINT codePage = high ? LegacyCodePage() : 0;
    if (codePage != 0 &&
        (DecodeDoubleByte(codePage, bytes, decoded) || DecodeScript(codePage, bytes, decoded))) {
        lyrics.swap(decoded);
        return true;
    }
    lyrics.assign(bytes.size(), WCHAR(0));
    for (size_t i = 0; i < bytes.size(); ++i)
        lyrics[i] = static_cast<unsigned char>(bytes[i]);
    return true;
}

} // namespace vela
