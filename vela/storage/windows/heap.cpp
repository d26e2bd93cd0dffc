// The heap on Windows: its own policy stands (see heap.h).
#include "vela/storage/heap.h"

namespace vela {

void KeepFreedMemoryForReuse() {}

} // namespace vela
