#include "tests/support/folder_chooser.h"

#include <commctrl.h>

#include <cstring>

namespace {

struct ChooserSearch {
    HWND owner;
    HWND found;
};

BOOL CALLBACK MatchChooser(HWND hwnd, LPARAM context)
{
    auto& search = *reinterpret_cast<ChooserSearch*>(context);
    WCHAR name[16] = {};
    GetClassNameW(hwnd, name, 16);
    if (GetWindow(hwnd, GW_OWNER) == search.owner && WString(name) == TEXT("#32770") &&
        IsWindowVisible(hwnd)) {
        search.found = hwnd;
        return FALSE;
    }
    return TRUE;
}

// The visible chooser dialog that owner owns on this thread, or null.
HWND FindChooser(HWND owner)
{
    ChooserSearch search = {owner, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), MatchChooser, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

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

struct Answering {
    HWND owner;
    WString startLeaf;
    WPARAM button;
    std::function<void()> beforeAnswer;
    int ticks;
    bool gaveUp;
    ChooserAnswer result;
};
Answering* answering = nullptr;

void CALLBACK AnswerTick(HWND, UINT, UINT_PTR timer, DWORD)
{
    if (!answering)
        return;
    Answering& state = *answering;
    ++state.ticks;
    HWND chooser = FindChooser(state.owner);
    if (!chooser) {
        if (state.ticks > 150)
            KillTimer(nullptr, timer);
        return;
    }
    // The first chooser of a process fills its tree slowly: the selection may
    // take a while to arrive.
    WString selected;
    bool visible = false;
    if (!ReadChooserSelection(chooser, selected, visible) || selected != state.startLeaf) {
        if (state.ticks < 30)
            return;
        KillTimer(nullptr, timer);
        state.gaveUp = true;
        PostMessageW(chooser, WM_COMMAND, IDCANCEL, 0);
        return;
    }
    KillTimer(nullptr, timer);
    state.result = {true, selected, visible};
    if (state.beforeAnswer)
        state.beforeAnswer();
    PostMessageW(chooser, WM_COMMAND, state.button, 0);
}

} // namespace

ChooserAnswer AnswerChooser(HWND owner, const WString& startLeaf, WPARAM button,
                            const std::function<void()>& open,
                            const std::function<void()>& beforeAnswer)
{
    Answering state{};
    for (int attempt = 0; attempt < 4; ++attempt) {
        state = {owner, startLeaf, button, beforeAnswer, 0, false, ChooserAnswer()};
        answering = &state;
        const UINT_PTR timer = SetTimer(nullptr, 0, 100, AnswerTick);
        open();
        // Never left to fire in a later test's modal loop.
        KillTimer(nullptr, timer);
        answering = nullptr;
        if (!state.gaveUp)
            break;
    }
    return state.result;
}

