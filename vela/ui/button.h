#pragma once
// A push button of a dialog. It is never subclassed: the dialog hears its
// clicks as WM_COMMAND.
#include "vela/ui/dialog.h"

#include <boost/shared_ptr.hpp>

namespace vela {

class Button : public Window {
public:
    // Binds item id of dialog; empty when the dialog has no such item.
    static boost::shared_ptr<Button> FromDlgItem(Dialog& dialog, int id);
};

} // namespace vela
