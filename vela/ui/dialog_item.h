#pragma once
// The base of the wrappers over an existing item of a dialog template, and
// their one factory.
#include "vela/ui/dialog.h"

#include <boost/shared_ptr.hpp>

namespace vela {

// Control derives from DialogItem<Control>. The item is not subclassed, so it
// hears its own messages only once a link is added, unless Control declares
// `static constexpr bool SubclassAtOnce = true`.
template <class Control>
class DialogItem : public Window {
public:
    static constexpr bool SubclassAtOnce = false;

    // Binds item id of dialog; empty when the dialog has no such item.
    static boost::shared_ptr<Control> FromDlgItem(Dialog& dialog, int id)
    {
        // Owned before it is bound, so a failed bind undoes the registration.
        boost::shared_ptr<Control> item(new Control);
        if (!item->AttachDlgItem(dialog, id))
            item.reset();
        else if (Control::SubclassAtOnce)
            item->Subclass();
        return item;
    }
};

} // namespace vela
