// File names' letter case as Windows matches them, by the system's table.
#include "vela/storage/disk.h"

namespace vela {

WString FoldNameCase(const WString& name)
{
    WString upper = name;
    if (!upper.empty())
        CharUpperBuffW(&upper[0], static_cast<DWORD>(upper.size()));
    return upper;
}

} // namespace vela
