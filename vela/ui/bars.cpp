#include "vela/ui/bars.h"

#include <commctrl.h>

namespace vela {

UINT MenuItemRef::State() const
{
    MENUITEMINFOW info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STATE;
    GetMenuItemInfoW(menu->handle, position, TRUE, &info);
    return info.fState;
}

bool MenuItemRef::IsChecked() const
{
    return (State() & MFS_CHECKED) != 0;
}

BOOL MenuItemRef::SetCheck(bool on)
{
    return CheckMenuItem(menu->handle, position, MF_BYPOSITION | (on ? MF_CHECKED : MF_UNCHECKED));
}

// A shown or hidden window changes its parent's layout: let the parent lay
// itself out again as after a plain resize.
static void Relayout(Window& target)
{
    if (!target.parent)
        return;
    RECT rc = {};
    target.parent->GetClientRect(&rc);
    target.parent->Send(WM_SIZE, SIZE_RESTORED, MAKELPARAM(rc.right, rc.bottom));
}

void MenuItemRef::Apply(Window* target, int type, UINT mask) const
{
    if (!target)
        return;
    const bool on = (State() & mask) != 0;
    switch (type) {
    case LinkEnable:
        target->Enable(on);
        break;
    case LinkDisable:
        target->Enable(!on);
        break;
    case LinkShow:
        target->Show(on ? SW_SHOW : SW_HIDE);
        Relayout(*target);
        break;
    case LinkHide:
        target->Show(on ? SW_HIDE : SW_SHOW);
        Relayout(*target);
        break;
    case LinkTopmost:
        target->SetTopmost(on);
        break;
    case LinkBand:
        if (ReberControl* rebar = dynamic_cast<ReberControl*>(target->parent)) {
            if (BarItem* band = rebar->FindBand(*target))
                band->ShowBand(on);
        }
        break;
    default:
        break;
    }
}

void BarItem::CheckButton(bool on)
{
    owner->Send(TB_CHECKBUTTON, id, on);
}

void BarItem::ShowBand(bool on)
{
    owner->Send(RB_SHOWBAND, index, on);
}

// Makes a common control of class className as child id of parent and
// attaches wrapper to it like a dialog item.
static bool CreateChild(Window& wrapper, Window& parent, const WCHAR* className, DWORD style,
                        int id)
{
    HWND child = CreateWindowExW(0, className, nullptr, WS_CHILD | WS_VISIBLE | style, 0, 0,
                                 0, 0, parent.hwnd, reinterpret_cast<HMENU>(INT_PTR(id)),
                                 ModuleInstance, nullptr);
    return child && wrapper.AttachDlgItem(parent, id);
}

bool ToolBar::Create(Window& owner, int id)
{
    if (!CreateChild(*this, owner, TOOLBARCLASSNAMEW, TBSTYLE_FLAT, id))
        return false;
    Send(TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    return true;
}

bool ToolBar::AddCheckButton(int command)
{
    TBBUTTON button = {};
    button.iBitmap = I_IMAGENONE;
    button.idCommand = command;
    button.fsState = TBSTATE_ENABLED;
    button.fsStyle = BTNS_CHECK;
    if (!Send(TB_ADDBUTTONSW, 1, reinterpret_cast<LPARAM>(&button)))
        return false;
    items.push_back(boost::shared_ptr<BarItem>(new BarItem{this, -1, command}));
    return true;
}

BarItem* ToolBar::FindButton(UINT command)
{
    const LRESULT i = Send(TB_COMMANDTOINDEX, command, 0);
    if (i < 0 || static_cast<size_t>(i) >= items.size())
        return nullptr;
    return items[i].get();
}

bool ReberControl::Create(Window& owner, int id)
{
    return CreateChild(*this, owner, REBARCLASSNAMEW, 0, id);
}

bool ReberControl::AddBand(Window& child)
{
    REBARBANDINFOW info = {};
    info.cbSize = REBARBANDINFOW_V6_SIZE;
    info.fMask = RBBIM_CHILD | RBBIM_CHILDSIZE;
    info.hwndChild = child.hwnd;
    info.cxMinChild = 20;
    info.cyMinChild = 20;
    const int index = static_cast<int>(items.size());
    if (!Send(RB_INSERTBANDW, index, reinterpret_cast<LPARAM>(&info)))
        return false;
    items.push_back(boost::shared_ptr<BarItem>(new BarItem{this, index, 0}));
    return true;
}

BarItem* ReberControl::FindBand(Window& child)
{
    for (const boost::shared_ptr<BarItem>& item : items) {
        REBARBANDINFOW info = {};
        info.cbSize = REBARBANDINFOW_V6_SIZE;
        info.fMask = RBBIM_CHILD;
        if (Send(RB_GETBANDINFOW, item->index, reinterpret_cast<LPARAM>(&info))
            && info.hwndChild == child.hwnd)
            return item.get();
    }
    return nullptr;
}

} // namespace vela
