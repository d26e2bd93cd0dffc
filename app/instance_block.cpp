#include "app/instance_block.h"

#include <cstdint>

bool WriteWindowHandle(SharedMemory& block, HWND window)
{
    auto value = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(window));
    unsigned char bytes[InstanceBlockSize];
    for (DWORD i = 0; i < InstanceBlockSize; ++i)
        bytes[i] = static_cast<unsigned char>(value >> (8 * i));
    return block.Write(bytes, sizeof bytes);
}

HWND ReadWindowHandle(const SharedMemory& block)
{
    unsigned char bytes[InstanceBlockSize] = {};
    if (!block.Read(bytes, sizeof bytes))
        return nullptr;
    uint32_t value = 0;
    for (DWORD i = 0; i < InstanceBlockSize; ++i)
        value |= static_cast<uint32_t>(bytes[i]) << (8 * i);
    auto extended = static_cast<intptr_t>(static_cast<int32_t>(value));
    return reinterpret_cast<HWND>(extended);
}
