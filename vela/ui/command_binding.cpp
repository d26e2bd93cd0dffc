#include "vela/ui/command_binding.h"

#include "vela/ui/bars.h"

namespace vela {

void RunCommandBindings(Window& window, WPARAM wParam, LPARAM lParam)
{
    const UINT id = LOWORD(wParam);
    const auto range = window.bindings.equal_range(id);
    if (range.first == range.second)
        return;
    // The item toggles once per command, however many bindings share the id.
    const CommandBinding& first = range.first->second;
    if (first.item) {
        first.item->SetCheck(!first.item->IsChecked());
        // A control that sent the command shows its own state already.
        if (lParam == 0 && first.bar) {
            if (BarItem* button = first.bar->FindButton(id))
                button->CheckButton(first.item->IsChecked());
        }
    }
    for (auto it = range.first; it != range.second; ++it) {
        const CommandBinding& binding = it->second;
        if (binding.item)
            binding.item->Apply(binding.target, binding.type, MFS_CHECKED);
    }
}

} // namespace vela
