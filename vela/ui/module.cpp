#include "vela/ui/module.h"

namespace vela {

HINSTANCE ModuleInstance = nullptr;

HICON LoadIcon(int id)
{
    return ::LoadIconW(ModuleInstance, MAKEINTRESOURCEW(id));
}

} // namespace vela
