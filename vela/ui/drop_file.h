#pragma once
// The names of one WM_DROPFILES drop, handed out one by one. Owns the drop
// handle: DragFinish runs exactly once, when this object goes away.
#include "vela/text.h"

#include <windows.h>
#include <shellapi.h>

#include <boost/noncopyable.hpp>

namespace vela {

class DropFile : private boost::noncopyable {
public:
    explicit DropFile(HDROP handle);
    virtual ~DropFile();

    // The next name in the shell's order; empty once all were given (and for
    // a name the shell cannot return).
    WString Next();

private:
    HDROP drop;
    UINT index;
    UINT count;
};

} // namespace vela
