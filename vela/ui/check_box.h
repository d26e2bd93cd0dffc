#pragma once
// A check box of a dialog. As a link source it enables, disables or raises
// other windows by comparing its BM_GETCHECK state with each link's value;
// its state is stored as the 4-byte integer "Check".
#include "vela/storage/archive.h"
#include "vela/ui/dialog_item.h"

namespace vela {

// FromDlgItem makes one; the box hears its messages only once a link is added.
class CheckBox : public DialogItem<CheckBox> {
public:
    // Indeterminate counts as not checked.
    bool IsChecked();

    // LinkEnable, LinkDisable and LinkTopmost; other types do nothing.
    void ApplyLink(Window* target, int type, int value) override;
    // The control takes the new state first, then the links follow it: both
    // Load and a click on an automatic box arrive here.
    LRESULT OnSetCheck(WPARAM wParam, LPARAM lParam) override;

    // A missing, damaged (not 4 bytes) or unknown (not 0, 1 or 2) state gives
    // defaultState.
    void Load(const Archive& node, int defaultState);
    void Save(Archive& node);
};

} // namespace vela
