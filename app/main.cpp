// Start-up: one dialog at a time; no paths on the command line opens the
// dialog, paths make a hidden batch run that ends as soon as it has exported.
// Batch runs never stand in the way of one another or of a dialog.
#include "app/command_line.h"
#include "app/instance_block.h"
#include "app/tagscribe.h"
#include "res/resource.h"
#include "vela/ui/bring_to_front.h"
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
        // A user's dialog is open: bring it forward; this start's paths are
        // dropped. A null handle is one still being written. A handle that
        // names no window any more is a dialog already closed, whose process
        // is on its way out: deferring to it would lose this start.
        const HWND running = ReadWindowHandle(block);
        if (running == nullptr || IsWindow(running)) {
            if (running)
                vela::BringToFront(running);
            return 0;
        }
    }

    const bool interactive = arguments.empty();
    auto dialog = std::make_unique<Tagscribe>(arguments);
    const bool created = dialog->Create(IDD_TAGSCRIBE);
    // Only a dialog the user sees is published. A batch run's window is
    // hidden and gone as soon as its export ends, so a start that deferred to
    // it would open nothing and export nothing.
    if (created && interactive && block.Create(InstanceBlockSize))
        WriteWindowHandle(block, dialog->hwnd);
    // Without a window nothing could ever end the loop.
    if (created && interactive)
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
