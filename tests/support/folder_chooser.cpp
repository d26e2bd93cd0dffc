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

} // namespace

HWND FindChooser(HWND owner)
{
    ChooserSearch search = {owner, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), MatchChooser, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND FindChooserTree(HWND chooser)
{
    HWND view = FindWindowExW(chooser, nullptr, TEXT("SHBrowseForFolder ShellNameSpace Control"),
                              nullptr);
    return FindWindowExW(view ? view : chooser, nullptr, TEXT("SysTreeView32"), nullptr);
}

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
