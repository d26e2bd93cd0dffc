#pragma once
// A push button of a dialog, made by FromDlgItem. It is never subclassed: the
// dialog hears its clicks as WM_COMMAND.
#include "vela/ui/dialog_item.h"

namespace vela {

class Button : public DialogItem<Button> {};

} // namespace vela
