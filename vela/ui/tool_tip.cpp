#include "vela/ui/tool_tip.h"

#include <commctrl.h>

namespace vela {

boost::shared_ptr<ToolTip> ToolTip::Create(Window& parent)
{
    boost::shared_ptr<ToolTip> tip(new ToolTip);
    tip->parent = &parent;
    parent.children.insert(tip.get());
    tip->hwnd = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, TTS_ALWAYSTIP | TTS_NOPREFIX,
                                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                parent.hwnd, nullptr, ModuleInstance, nullptr);
    if (!tip->hwnd)
        tip.reset();
    return tip;
}

LRESULT ToolTip::AddTool(const WString& text, RECT rect, UINT_PTR id)
{
    TOOLINFOW info = {};
    // The whole structure, lpReserved included, as comctl32 6 expects.
    info.cbSize = sizeof info;
    info.uFlags = TTF_SUBCLASS;
    info.hwnd = parent ? parent->hwnd : nullptr;
    info.uId = id;
    info.rect = rect;
    info.hinst = ModuleInstance;
    // The tooltip copies the text; it never writes through this pointer.
    info.lpszText = const_cast<LPWSTR>(text.c_str());
    return Send(TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
}

void Window::SetToolTip(const WString& text)
{
    RECT client = {};
    GetClientRect(&client);
    toolTip = ToolTip::Create(*this);
    if (toolTip)
        toolTip->AddTool(text, client, 0);
}

} // namespace vela
