#pragma once
// A tooltip window owned by the window whose area it describes (its parent).
// It is never subclassed and carries no wrapper pointer in its window words.
#include "vela/ui/window.h"

#include <boost/shared_ptr.hpp>

namespace vela {

class ToolTip : public Window {
public:
    // Registers with parent and creates the tooltip window owned by it;
    // empty when the window cannot be created.
    static boost::shared_ptr<ToolTip> Create(Window& parent);

    // Adds tool id over rect (client coordinates of the parent); the tooltip
    // watches the parent's mouse messages itself (TTF_SUBCLASS).
    LRESULT AddTool(const WString& text, RECT rect, UINT_PTR id);
};

} // namespace vela
