#pragma once
// The program's one text type: UTF-16, without a terminator inside.
//
// Under Winelib WCHAR is char16_t (built with -fno-short-wchar so that
// libstdc++'s own 4-byte wchar_t stays intact); on Windows it is wchar_t and
// WString is exactly std::wstring. Write literals as TEXT("...").
#include <windows.h>

#include <string>
#include <vector>

using WString = std::basic_string<WCHAR>;

// A number in decimal digits, for messages.
inline WString DecimalText(unsigned long long value)
{
    const std::string digits = std::to_string(value);
    return WString(digits.begin(), digits.end());
}
using WStringList = std::vector<WString>;
