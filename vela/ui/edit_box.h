#pragma once
// An edit box of a dialog. As a link source it enables or disables other
// windows by whether it holds text, re-applied on every EN_UPDATE; Ctrl+A
// selects all; it can take a dropped file or folder name; its text is stored
// as "Text".
#include "vela/storage/archive.h"
#include "vela/ui/dialog_item.h"

namespace vela {

// FromDlgItem makes one, subclassed at once: an edit box always hears its
// messages.
class EditBox : public DialogItem<EditBox> {
public:
    static constexpr bool SubclassAtOnce = true;

    // LinkEnable: enabled while there is text; LinkDisable: while there is
    // none. The link's value is not used.
    void ApplyLink(Window* target, int type, int value) override;
    // EN_UPDATE comes back here from the dialog by reflection.
    LRESULT OnCommand(WPARAM wParam, LPARAM lParam) override;
    // Ctrl+A selects all; the A key-down itself is swallowed either way (the
    // letter arrives separately as WM_CHAR).
    LRESULT OnKeyDown(WPARAM wParam, LPARAM lParam) override;
    // Takes the first acceptable dropped name (see acceptDrop, folderMode)
    // and always releases the drop.
    LRESULT OnDropFiles(WPARAM wParam, LPARAM lParam) override;

    void Load(const Archive& node, const WString& defaultText);
    void Save(Archive& node);

    // Dropped names are taken at all. The window also needs
    // WS_EX_ACCEPTFILES for the shell to drop onto it.
    bool acceptDrop = false;
    // A dropped folder is taken as it is and a file gives its folder; without
    // it folders are skipped and the first file is taken.
    bool folderMode = false;
};

} // namespace vela
