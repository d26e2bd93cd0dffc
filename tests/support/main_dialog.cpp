#include "tests/support/main_dialog.h"

#include "res/resource.h"

#include <vector>

std::unique_ptr<Tagscribe> OpenMainDialog(const WString& settingsPath,
                                          const WStringList& arguments)
{
    auto dialog = std::make_unique<Tagscribe>(arguments, settingsPath);
    if (!dialog->Create(IDD_TAGSCRIBE))
        return nullptr;
    return dialog;
}

bool TakeQuitMessage()
{
    MSG msg = {};
    return PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) && msg.wParam == 0;
}

int CheckState(HWND dialog, int id)
{
    return static_cast<int>(SendDlgItemMessageW(dialog, id, BM_GETCHECK, 0, 0));
}

void SetCheck(HWND dialog, int id, int state)
{
    SendDlgItemMessageW(dialog, id, BM_SETCHECK, static_cast<WPARAM>(state), 0);
}

void Click(HWND dialog, int id)
{
    SendDlgItemMessageW(dialog, id, BM_CLICK, 0, 0);
}

WString ItemText(HWND dialog, int id)
{
    HWND item = GetDlgItem(dialog, id);
    std::vector<WCHAR> buffer(static_cast<size_t>(GetWindowTextLengthW(item)) + 1, 0);
    GetWindowTextW(item, buffer.data(), static_cast<int>(buffer.size()));
    return WString(buffer.data());
}

void SetItemText(HWND dialog, int id, const WString& text)
{
    SetDlgItemTextW(dialog, id, text.c_str());
}

bool ItemEnabled(HWND dialog, int id)
{
    return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE;
}
