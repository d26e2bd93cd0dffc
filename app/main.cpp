// Start-up: one instance at a time; no paths on the command line opens the
// dialog, paths make a hidden batch run that ends as soon as it has exported.
#include "app/command_line.h"
#include "app/instance_block.h"
#include "app/tagscribe.h"
#include "res/resource.h"
#include "vela/ui/dialog.h"
#include "vela/ui/module.h"

#include <memory>

namespace {

int Run(HINSTANCE instance, const WCHAR* commandLine)
{
    const WStringList arguments = SplitCommandLine(commandLine ? commandLine : TEXT(""));
    vela::ModuleInstance = instance;

    SharedMemory block(InstanceBlockName);
    if (block.Open()) {
        // Another instance runs: bring it forward; this start's paths are dropped.
        if (HWND running = ReadWindowHandle(block))
            SetForegroundWindow(running);
        return 0;
    }

    auto dialog = std::make_unique<Tagscribe>(arguments);
    const bool created = dialog->Create(IDD_TAGSCRIBE);
    if (created && block.Create(InstanceBlockSize))
        WriteWindowHandle(block, dialog->hwnd);
    // Without a window nothing could ever end the loop.
    if (created && arguments.empty())
        vela::RunMessageLoop();
    // A batch run's window is destroyed here by the wrapper's teardown, after
    // Tagscribe's own handlers are gone: a batch run never saves the settings.
    dialog.reset();
    return 0;
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR commandLine, int)
{
    return Run(instance, commandLine);
}
