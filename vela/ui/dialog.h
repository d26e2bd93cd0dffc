#pragma once
// Dialog: a modeless dialog made from a template resource. Every live Dialog
// is registered, so that the one message loop gives each its keyboard
// interface without knowing which dialogs exist.
#include "vela/ui/window.h"

namespace vela {

class Dialog : public Window {
public:
    Dialog();
    ~Dialog() override;

    // 0 for every message: not processed, the dialog manager takes it.
    LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

    // Creates the dialog from template templateId of ModuleInstance, with no
    // owner. OnInitDialog runs before this returns. False when it fails.
    bool Create(int templateId);
};

// Every live Dialog, registered from construction to destruction. Built on
// first use and never freed, so it outlives every static Dialog.
PoolSet<Dialog*>& DialogRegistry();

// True when some registered dialog took msg for its keyboard interface.
bool IsDialogMessageAny(MSG* msg);

// The program's message loop; returns when WM_QUIT arrives.
void RunMessageLoop();

} // namespace vela
