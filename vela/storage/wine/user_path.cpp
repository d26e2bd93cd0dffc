// Paths for messages under Winelib: the Unix paths the user works with (see
// user_path.h).
#include "vela/storage/user_path.h"

#include "vela/code_page.h"
#include "vela/storage/wine/names.h"

namespace vela {

WString UserPath(const WString& path)
{
    const bool drivePath = path.size() >= 3 && path[1] == ':' && path[2] == '\\';
    if (drivePath && path.find(WCHAR(0)) == WString::npos) {
        const std::string unixPath = UnixPathOf(path);
        WString shown;
        if (!unixPath.empty() &&
            ToWide(CP_UTF8, unixPath.data(), unixPath.size(), shown, MB_ERR_INVALID_CHARS))
            return shown;
        return path;
    }
    WString shown = path;
    for (WCHAR& c : shown) {
        if (c == '\\')
            c = '/';
    }
    return shown;
}

} // namespace vela
