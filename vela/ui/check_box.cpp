#include "vela/ui/check_box.h"

namespace vela {

const WCHAR CheckKey[] = TEXT("Check");

boost::shared_ptr<CheckBox> CheckBox::FromDlgItem(Dialog& dialog, int id)
{
    // Owned before it is bound, so a failed bind undoes the registration.
    boost::shared_ptr<CheckBox> box(new CheckBox);
    if (!box->AttachDlgItem(dialog, id))
        box.reset();
    return box;
}

bool CheckBox::IsChecked()
{
    return Send(BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void CheckBox::ApplyLink(Window* target, int type, int value)
{
    if (!target)
        return;
    const bool matches = Send(BM_GETCHECK, 0, 0) == value;
    switch (type) {
    case LinkEnable: target->Enable(matches); break;
    case LinkDisable: target->Enable(!matches); break;
    case LinkTopmost: target->SetTopmost(matches); break;
    default: break;
    }
}

LRESULT CheckBox::OnSetCheck(WPARAM wParam, LPARAM lParam)
{
    const LRESULT r = OnMessage(BM_SETCHECK, wParam, lParam);
    ApplyLinks();
    return r;
}

void CheckBox::Load(const Archive& node, int defaultState)
{
    int state = defaultState;
    const Bytes* v = node.FindValue(CheckKey);
    if (v && v->size() == 4) {
        const INT32 stored = INT32(UINT32((*v)[0]) | UINT32((*v)[1]) << 8 |
                                   UINT32((*v)[2]) << 16 | UINT32((*v)[3]) << 24);
        // Anything else comes from a damaged file; the control would clamp it
        // to a state the file did not mean.
        if (stored >= BST_UNCHECKED && stored <= BST_INDETERMINATE)
            state = stored;
    }
    SendMessageW(hwnd, BM_SETCHECK, WPARAM(state), 0);
}

void CheckBox::Save(Archive& node)
{
    const UINT32 state = UINT32(Send(BM_GETCHECK, 0, 0));
    node.Value(CheckKey) = Bytes{BYTE(state), BYTE(state >> 8), BYTE(state >> 16),
                                 BYTE(state >> 24)};
}

} // namespace vela
