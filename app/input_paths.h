#pragma once
// The flat list of paths an export run works through.
#include "vela/text.h"

// Every folder in `pending` is replaced, in place, by its files (and with
// `recurse` by those of its sub-folders too, depth first); every other path,
// missing ones included, passes through unchanged. Nothing is filtered or
// de-duplicated: the export job decides what to do with each path.
WStringList ExpandInputPaths(const WStringList& pending, bool recurse);
