#include "vela/ui/browse_folder.h"

#include "vela/owned.h"
#include "vela/ui/window.h"

#include <commctrl.h>
#include <shlobj.h>

namespace vela {
namespace {

// The chooser's new dialog style needs COM on this thread. What is owned is
// the initialisation: each CoInitialize that succeeds (nested ones too, which
// only count up) is owed one CoUninitialize.
struct ComInitialization {
    using Handle = bool;
    static bool None() { return false; }
    static bool Close(bool)
    {
        CoUninitialize();
        return true;
    }
};

// Runs inside the chooser's own modal loop; no exception may leave it.
int CALLBACK BrowseCallback(HWND chooser, UINT msg, LPARAM, LPARAM data)
{
    if (msg != BFFM_INITIALIZED)
        return 0;
    try {
        SendMessageW(chooser, BFFM_SETSELECTIONW, TRUE, data);
        SendMessageW(chooser, BFFM_SETEXPANDED, TRUE, data);
        // Windows keeps the tree inside a name-space control; Wine 8 makes it
        // a direct child of the chooser (seen 2024-12), so look there too.
        HWND view = FindWindowExW(chooser, nullptr,
                                  TEXT("SHBrowseForFolder ShellNameSpace Control"), nullptr);
        HWND tree = FindWindowExW(view ? view : chooser, nullptr, TEXT("SysTreeView32"), nullptr);
        if (!tree)
            return 0;
        const LRESULT item = SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0);
        // Posted: the tree finishes its own layout before it scrolls.
        if (item)
            PostMessageW(tree, TVM_ENSUREVISIBLE, 0, item);
    } catch (...) {
    }
    return 0;
}

} // namespace

bool BrowseForFolder(Window* owner, WString& result, const WString& initial)
{
    WCHAR buffer[MAX_PATH] = {};
    BROWSEINFOW info = {};
    info.hwndOwner = owner ? owner->hwnd : nullptr;
    info.pszDisplayName = buffer;
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    info.lpfn = BrowseCallback;
    info.lParam = reinterpret_cast<LPARAM>(initial.c_str());
    const Owned<ComInitialization> com(SUCCEEDED(CoInitialize(nullptr)));
    LPITEMIDLIST pidl = SHBrowseForFolderW(&info);
    if (!pidl)
        return false;
    const BOOL isPath = SHGetPathFromIDListW(pidl, buffer);
    CoTaskMemFree(pidl);
    // A choice without a file-system path (which BIF_RETURNONLYFSDIRS should
    // prevent) is no folder to report.
    if (!isPath)
        return false;
    result = buffer;
    return true;
}

} // namespace vela
