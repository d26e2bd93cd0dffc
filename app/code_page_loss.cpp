#include "app/code_page_loss.h"

#include <climits>

namespace {

bool IsAscii(const WString& text)
{
    for (WCHAR c : text) {
        if (c >= 0x80)
            return false;
    }
    return true;
}

WString FromAnsi(const char* bytes, int count)
{
    if (count <= 0)
        return WString();
    const int size = MultiByteToWideChar(CP_ACP, 0, bytes, count, nullptr, 0);
    if (size <= 0)
        return WString();
    WString text(static_cast<size_t>(size), WCHAR(0));
    MultiByteToWideChar(CP_ACP, 0, bytes, count, &text[0], size);
    return text;
}

// The default character the code page writes for what it cannot hold.
std::string DefaultCharacter()
{
    CPINFO info = {};
    if (!GetCPInfo(CP_ACP, &info))
        return "?";
    std::string bytes(reinterpret_cast<const char*>(info.DefaultChar));
    return bytes.empty() ? std::string("?") : bytes;
}

// A character beyond U+FFFF may come out as one default character per unit.
bool OnlyDefault(const std::string& bytes, const std::string& fallback)
{
    if (bytes.empty() || bytes.size() % fallback.size() != 0)
        return false;
    for (size_t i = 0; i < bytes.size(); i += fallback.size()) {
        if (bytes.compare(i, fallback.size(), fallback) != 0)
            return false;
    }
    return true;
}

} // namespace

CodePageLoss MeasureLoss(const WString& text, const std::string& ansi)
{
    CodePageLoss loss;
    if (IsAscii(text) || ansi.size() > INT_MAX ||
        FromAnsi(ansi.data(), static_cast<int>(ansi.size())) == text)
        return loss;
    // Every code page here converts character by character, without state,
    // so each character that did not come back whole is found on its own.
    const std::string fallback = DefaultCharacter();
    for (size_t i = 0; i < text.size();) {
        size_t length = 1;
        if (IS_HIGH_SURROGATE(text[i]) && i + 1 < text.size() && IS_LOW_SURROGATE(text[i + 1]))
            length = 2;
        if (text[i] >= 0x80) {
            char bytes[16] = {};
            const int size = WideCharToMultiByte(CP_ACP, 0, &text[i], static_cast<int>(length),
                                                 bytes, sizeof bytes, nullptr, nullptr);
            if (FromAnsi(bytes, size) != text.substr(i, length)) {
                ++loss.lost;
                if (OnlyDefault(std::string(bytes, size > 0 ? size : 0), fallback))
                    ++loss.asDefault;
            }
        }
        i += length;
    }
    return loss;
}
