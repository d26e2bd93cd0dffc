#include "app/instance_block.h"

#include "vela/storage/little_endian.h"

#include <cstdint>

static_assert(InstanceBlockSize == vela::LittleEndian32Size, "the block holds one stored integer");

bool WriteWindowHandle(SharedMemory& block, HWND window)
{
    BYTE bytes[InstanceBlockSize];
    vela::PutLittleEndian32(static_cast<uint32_t>(reinterpret_cast<uintptr_t>(window)), bytes);
    return block.Write(bytes, sizeof bytes);
}

HWND ReadWindowHandle(const SharedMemory& block)
{
    BYTE bytes[InstanceBlockSize] = {};
    if (!block.Read(bytes, sizeof bytes))
        return nullptr;
    const auto low = static_cast<int32_t>(vela::GetLittleEndian32(bytes));
    return reinterpret_cast<HWND>(static_cast<intptr_t>(low));
}
