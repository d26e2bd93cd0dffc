#include "app/environment.h"

#include <windows.h>

#include <vector>

WString EnvironmentValue(const WCHAR* name)
{
    const DWORD size = GetEnvironmentVariableW(name, nullptr, 0);
    if (size == 0)
        return WString();
    std::vector<WCHAR> buffer(size, 0);
    const DWORD length = GetEnvironmentVariableW(name, buffer.data(), size);
    return length < size ? WString(buffer.data(), length) : WString();
}
