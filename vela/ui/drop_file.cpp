#include "vela/ui/drop_file.h"

namespace vela {

DropFile::DropFile(HDROP handle)
    : drop(handle), index(0), count(handle ? DragQueryFileW(handle, 0xFFFFFFFF, nullptr, 0) : 0)
{
}

DropFile::~DropFile()
{
    if (drop) {
        DragFinish(drop);
        drop = nullptr;
    }
}

WString DropFile::Next()
{
    if (index >= count)
        return WString();
    const UINT n = DragQueryFileW(drop, index, nullptr, 0);
    WString name(n + 1, 0);
    DragQueryFileW(drop, index, &name[0], n + 1);
    ++index;
    name.resize(name.find(WCHAR(0)));
    return name;
}

} // namespace vela
