#include "vela/ui/window.h"

namespace vela {

// The Win32 headers rename this operation ShellExecuteW, so the shell's own
// function is called with its full global name.
bool Window::ShellExecute(const WString& file, const WString& parameters,
                          const WString& directory, int show)
{
    const HINSTANCE r = ::ShellExecuteW(hwnd, nullptr, file.c_str(), parameters.c_str(),
                                        directory.c_str(), show);
    return reinterpret_cast<INT_PTR>(r) > 32;
}

} // namespace vela
