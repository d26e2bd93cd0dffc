#include "tests/support/folder_chooser.h"

#include "app/paths.h"

#include <commctrl.h>

#include <cstdint>
#include <cstring>

namespace {

// The chooser's tree: inside a name-space control on Windows, directly in the
// chooser under Wine 8.
HWND FindChooserTree(HWND chooser)
{
    HWND view = FindWindowExW(chooser, nullptr, TEXT("SHBrowseForFolder ShellNameSpace Control"),
                              nullptr);
    return FindWindowExW(view ? view : chooser, nullptr, TEXT("SysTreeView32"), nullptr);
}

// The text of the tree's selected item and whether it is scrolled into view;
// false while nothing is selected.
bool ReadChooserSelection(HWND chooser, WString& selected, bool& visible)
{
    HWND tree = FindChooserTree(chooser);
    const LRESULT item = SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0);
    WCHAR text[MAX_PATH] = {};
    TVITEMW info = {};
    info.mask = TVIF_TEXT;
    info.hItem = reinterpret_cast<HTREEITEM>(item);
    info.pszText = text;
    info.cchTextMax = MAX_PATH;
    if (!item || !SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&info)))
        return false;
    selected = text;
    RECT rect = {};
    std::memcpy(&rect, &info.hItem, sizeof info.hItem);  // TVM_GETITEMRECT reads the item here
    visible = SendMessageW(tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&rect)) != 0;
    return true;
}

// Wine 8's chooser finds its start folder by comparing item IDs that carry
// each folder's last access time, in 2 s steps, and its own look-up reads the
// folders: when a step passes in between, the IDs differ and the start is not
// selected (about one chooser in eight, 2026-12). An access time ahead of the
// folder's change times is one that Linux's relatime leaves alone.
void HoldAccessTimes(const WString& start)
{
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    const uint64_t later =
        ((uint64_t(now.dwHighDateTime) << 32) | now.dwLowDateTime) + 3600ull * 10000000;
    const FILETIME accessed = {DWORD(later), DWORD(later >> 32)};
    // Down to the drive's root, which the IDs do not date.
    for (WString folder = start; folder.size() > 3; folder = ParentFolder(folder)) {
        HANDLE h = CreateFileW(folder.c_str(), FILE_WRITE_ATTRIBUTES,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (h != INVALID_HANDLE_VALUE) {
            SetFileTime(h, nullptr, &accessed, nullptr);
            CloseHandle(h);
        }
    }
}

struct Answering {
    HWND owner;
    WString startLeaf;
    WPARAM button;
    std::function<void()> beforeAnswer;
    HWND chooser;
    ChooserAnswer result;
};
Answering* answering = nullptr;

// A modal dialog's loop sends its owner WM_ENTERIDLE each time its queue runs
// dry: by the first one the chooser is shown and its start-up work, posted
// messages included, is done.
LRESULT CALLBACK AnswerWhenIdle(int code, WPARAM wParam, LPARAM lParam)
{
    const auto* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
    HWND dialog = code == HC_ACTION && sent->message == WM_ENTERIDLE &&
                          sent->wParam == MSGF_DIALOGBOX
                      ? reinterpret_cast<HWND>(sent->lParam)
                      : nullptr;
    if (dialog && answering && !answering->result.answered &&
        GetWindow(dialog, GW_OWNER) == answering->owner) {
        Answering& state = *answering;
        state.chooser = dialog;
        WString selected;
        bool visible = false;
        if (ReadChooserSelection(dialog, selected, visible) && selected == state.startLeaf) {
            state.result = {true, selected, visible};
            if (state.beforeAnswer)
                state.beforeAnswer();
            PostMessageW(dialog, WM_COMMAND, state.button, 0);
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// A chooser that never selects its start folder is closed, so that the test
// fails instead of hanging.
void CALLBACK GiveUp(HWND, UINT, UINT_PTR timer, DWORD)
{
    KillTimer(nullptr, timer);
    if (answering && answering->chooser && !answering->result.answered)
        PostMessageW(answering->chooser, WM_COMMAND, IDCANCEL, 0);
}

} // namespace

ChooserAnswer AnswerChooser(HWND owner, const WString& start, WPARAM button,
                            const std::function<void()>& open,
                            const std::function<void()>& beforeAnswer)
{
    HoldAccessTimes(start);
    Answering state{owner, LeafName(start), button, beforeAnswer, nullptr, ChooserAnswer()};
    answering = &state;
    HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, AnswerWhenIdle, nullptr, GetCurrentThreadId());
    const UINT_PTR timer = SetTimer(nullptr, 0, 10000, GiveUp);
    open();
    // Neither is left to act in a later test's modal loop.
    KillTimer(nullptr, timer);
    UnhookWindowsHookEx(hook);
    answering = nullptr;
    return state.result;
}
