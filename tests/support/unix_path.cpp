#include "tests/support/unix_path.h"

#include <windows.h>

std::string UnixPath(const WString& path)
{
    char* name = wine_get_unix_file_name(path.c_str());
    std::string unixPath = name ? name : "";
    HeapFree(GetProcessHeap(), 0, name);
    return unixPath;
}
