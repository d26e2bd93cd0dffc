#include "vela/ui/edit_box.h"

#include "app/paths.h"
#include "vela/ui/drop_file.h"

namespace vela {

const WCHAR TextKey[] = TEXT("Text");

void EditBox::ApplyLink(Window* target, int type, int)
{
    if (!target)
        return;
    const bool empty = GetText().empty();
    switch (type) {
    case LinkEnable: target->Enable(!empty); break;
    case LinkDisable: target->Enable(empty); break;
    default: break;
    }
}

LRESULT EditBox::OnCommand(WPARAM wParam, LPARAM lParam)
{
    if (HIWORD(wParam) == EN_UPDATE)
        ApplyLinks();
    return Window::OnCommand(wParam, lParam);
}

LRESULT EditBox::OnKeyDown(WPARAM wParam, LPARAM lParam)
{
    if (wParam != 'A')
        return OnMessage(WM_KEYDOWN, wParam, lParam);
    if (GetKeyState(VK_CONTROL) < 0)
        Send(EM_SETSEL, 0, -1);
    return 0;
}

// The name a drop puts in the box, or empty when none is acceptable. A name
// that cannot be examined (INVALID_FILE_ATTRIBUTES) counts as a folder.
static WString ChooseDropped(DropFile& drop, bool folderMode)
{
    for (WString name = drop.Next(); !name.empty(); name = drop.Next()) {
        const DWORD attributes = GetFileAttributesW(name.c_str());
        if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (folderMode)
                return name;
        } else {
            return folderMode ? ParentFolder(name) : name;
        }
    }
    return WString();
}

LRESULT EditBox::OnDropFiles(WPARAM wParam, LPARAM lParam)
{
    // Whoever receives WM_DROPFILES must release the drop, taken or not.
    DropFile drop(reinterpret_cast<HDROP>(wParam));
    if (!acceptDrop)
        return 0;
    const WString chosen = ChooseDropped(drop, folderMode);
    if (!chosen.empty())
        SetText(chosen);
    return OnMessage(WM_DROPFILES, wParam, lParam);
}

void EditBox::Load(const Archive& node, const WString& defaultText)
{
    SetText(node.GetString(TextKey, defaultText));
}

void EditBox::Save(Archive& node)
{
    node.SetString(TextKey, GetText());
}

} // namespace vela
