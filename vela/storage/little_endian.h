#pragma once
// The 4-byte little-endian integer of every stored format: the settings file,
// a check box's state, the single-instance block. Byte by byte, so the host's
// own order and alignment never matter.
#include <windows.h>

#include <cstdint>

namespace vela {

constexpr int LittleEndian32Size = 4;

inline void PutLittleEndian32(uint32_t value, BYTE* out)
{
    for (int i = 0; i < LittleEndian32Size; ++i)
        out[i] = static_cast<BYTE>(value >> (8 * i));
}

inline uint32_t GetLittleEndian32(const BYTE* in)
{
    uint32_t value = 0;
    for (int i = 0; i < LittleEndian32Size; ++i)
        value |= static_cast<uint32_t>(in[i]) << (8 * i);
    return value;
}

} // namespace vela
