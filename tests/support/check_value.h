#pragma once
// The settings value a check box stores: its state as a little-endian
// 32-bit integer.
#include "vela/storage/file.h"

inline vela::Bytes CheckValue(INT32 state)
{
    const UINT32 u = UINT32(state);
    return vela::Bytes{BYTE(u), BYTE(u >> 8), BYTE(u >> 16), BYTE(u >> 24)};
}
