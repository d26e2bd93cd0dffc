#include "vela/ui/check_box.h"

#include "vela/storage/little_endian.h"

namespace vela {

const WCHAR CheckKey[] = TEXT("Check");

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
    if (v && v->size() == LittleEndian32Size) {
        const auto stored = static_cast<INT32>(GetLittleEndian32(v->data()));
        // Anything else comes from a damaged file; the control would clamp it
        // to a state the file did not mean.
        if (stored >= BST_UNCHECKED && stored <= BST_INDETERMINATE)
            state = stored;
    }
    SendMessageW(hwnd, BM_SETCHECK, WPARAM(state), 0);
}

void CheckBox::Save(Archive& node)
{
    Bytes& stored = node.Value(CheckKey);
    stored.resize(LittleEndian32Size);
    PutLittleEndian32(static_cast<uint32_t>(Send(BM_GETCHECK, 0, 0)), stored.data());
}

} // namespace vela
