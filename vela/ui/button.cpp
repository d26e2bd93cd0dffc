#include "vela/ui/button.h"

namespace vela {

boost::shared_ptr<Button> Button::FromDlgItem(Dialog& dialog, int id)
{
    boost::shared_ptr<Button> button(new Button);
    if (!button->AttachDlgItem(dialog, id))
        button.reset();
    return button;
}

} // namespace vela
