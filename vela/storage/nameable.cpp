#include "vela/storage/disk.h"

namespace vela {

bool IsNameable(const WString& path)
{
    return !path.empty() && path.find(WCHAR(0)) == WString::npos;
}

} // namespace vela
