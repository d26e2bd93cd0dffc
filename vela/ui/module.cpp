#include "vela/ui/module.h"

namespace vela {

HINSTANCE ModuleInstance = nullptr;

HICON LoadIcon(int id)
{
    return ::LoadIconW(ModuleInstance, MAKEINTRESOURCEW(id));
}

WString LoadString(int id)
{
    // A zero buffer size hands out a pointer to the resource's own text.
    const WCHAR* text = nullptr;
    const int length = ::LoadStringW(ModuleInstance, id, reinterpret_cast<LPWSTR>(&text), 0);
    return length > 0 && text ? WString(text, length) : WString();
}

} // namespace vela
