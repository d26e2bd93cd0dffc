// Paths for messages on Windows: as they are (see user_path.h).
#include "vela/storage/user_path.h"

namespace vela {

WString UserPath(const WString& path)
{
    return path;
}

} // namespace vela
