#pragma once
// The C library's heap, as the tag library uses it. Under Winelib that is
// glibc's malloc, which by default gives a tag of more than 128 KiB (one with
// a cover picture) its own mapping and returns freed memory at the top of
// the heap to the system: the next tag then fetches fresh pages, a page
// fault for every 4 KiB of it. An export reads thousands of tags one after
// the other, so the freed memory is kept for reuse instead, up to a few MiB.
// On Windows this does nothing: the system heap keeps its own policy there,
// which this program has not measured.

namespace vela {

void KeepFreedMemoryForReuse();

} // namespace vela
