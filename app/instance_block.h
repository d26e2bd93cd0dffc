#pragma once
// The block through which a running instance tells a second start which
// dialog to bring to the front.
#include "app/shared_memory.h"

inline const WCHAR InstanceBlockName[] = TEXT("Orvane - Tagscribe");
constexpr DWORD InstanceBlockSize = 4;

// The block holds the handle's low 32 bits, little-endian: Windows keeps
// window handles within 32 bits even in 64-bit processes, so sign-extending
// them on the way back restores the handle.
bool WriteWindowHandle(SharedMemory& block, HWND window);
// Null when the block cannot be read.
HWND ReadWindowHandle(const SharedMemory& block);
