#include "app/same_file.h"

#include "vela/storage/disk.h"

bool IsSameFile(const WString& first, const WString& second)
{
    return vela::CurrentDisk().SameFile(first, second);
}
