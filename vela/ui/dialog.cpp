#include "vela/ui/dialog.h"

namespace vela {

PoolSet<Dialog*>& DialogRegistry()
{
    static PoolSet<Dialog*>* registry = new PoolSet<Dialog*>;
    return *registry;
}

Dialog::Dialog()
{
    DialogRegistry().insert(this);
}

Dialog::~Dialog()
{
    DialogRegistry().erase(this);
}

LRESULT Dialog::OnMessage(UINT, WPARAM, LPARAM)
{
    return 0;
}

bool Dialog::Create(int templateId)
{
    // Not assigned from the result before WM_INITDIALOG has set it: on
    // failure the result is null and so is hwnd.
    hwnd = CreateDialogParamW(ModuleInstance, MAKEINTRESOURCEW(templateId), nullptr,
                              reinterpret_cast<DLGPROC>(WindowProc),
                              reinterpret_cast<LPARAM>(this));
    return hwnd != nullptr;
}

bool IsDialogMessageAny(MSG* msg)
{
    // A call that returns true may have run a handler that added or removed
    // dialogs; returning right away never touches the iterator afterwards.
    // IsDialogMessageW returns false only for messages it did not look at.
    for (Dialog* dialog : DialogRegistry()) {
        if (dialog->hwnd && IsDialogMessageW(dialog->hwnd, msg))
            return true;
    }
    return false;
}

void RunMessageLoop()
{
    MSG msg;
    // GetMessageW gives -1 on an invalid argument; that is no message to
    // dispatch, and with these arguments it cannot repeat, so stop there too.
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (!IsDialogMessageAny(&msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
}

} // namespace vela
