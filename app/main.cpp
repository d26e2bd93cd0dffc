// Start-up: one dialog at a time; no paths on the command line opens the
// dialog, paths make a hidden batch run that ends as soon as it has exported
// and told its user what it did. Batch runs never stand in the way of one
// another or of a dialog; one that meets the open dialog exports through it.
#include "app/batch_console.h"
#include "app/command_line.h"
#include "app/hand_over.h"
#include "app/instance_block.h"
#include "app/run_options.h"
#include "app/start_mark.h"
#include "app/tagscribe.h"
#include "res/resource.h"
#include "vela/storage/file.h"
#include "vela/storage/heap.h"
#include "vela/ui/bring_to_front.h"
#include "vela/ui/dialog.h"
#include "vela/ui/module.h"

#include <memory>

namespace {

// The hidden dialog exports its paths while it is created; the report goes
// to the console, after the progress line is gone.
int RunBatch(std::unique_ptr<Tagscribe> dialog)
{
    BatchConsole console;
    bool created = false;
    {
        TerminalProgress progress(console);
        dialog->ReportProgressTo(&progress);
        created = dialog->Create(IDD_TAGSCRIBE);
        dialog->ReportProgressTo(nullptr);
    }
    const DWORD error = GetLastError();
    const std::optional<ExportReport> report = dialog->BatchReport();
    // The window is destroyed here by the wrapper's teardown, after
    // Tagscribe's own handlers are gone: a batch run never saves the settings.
    dialog.reset();
    if (!created || !report) {
        console.Write(TEXT("tagscribe: nothing exported: the program's hidden window could not be ")
                      TEXT("made (") + vela::SystemText(error) + TEXT("); is a display missing?\n"));
        return 1;
    }
    // Written a few pages at a time: a library's report can run to
    // megabytes, which the batch need not hold at once.
    WString pages;
    ForEachReportLine(*report, [&console, &pages](const WString& line) {
        pages += line;
        if (pages.size() >= 16384) {
            console.Write(pages);
            pages.clear();
        }
    });
    console.Write(pages);
    return report->ExitStatus();
}

int Run(HINSTANCE instance, const WCHAR* commandLine)
{
    RemoveStartMark();
    const WStringList arguments = SplitCommandLine(commandLine ? commandLine : TEXT(""));
    vela::ModuleInstance = instance;
    vela::KeepFreedMemoryForReuse();

    const bool interactive = arguments.empty();
    const RunOptions runOptions = interactive ? RunOptions() : RunOptionsFromEnvironment();
    SharedMemory block(InstanceBlockName);
    if (block.Open()) {
        // A user's dialog is open. A start without paths brings it forward;
        // one with paths has the dialog export them. A null handle is one
        // still being written, which a batch does not wait for. A handle
        // that names no window any more is a dialog already closed, whose
        // process is on its way out: deferring to it would lose this start.
        const HWND running = ReadWindowHandle(block);
        if (interactive && (running == nullptr || IsWindow(running))) {
            if (running)
                vela::BringToFront(running);
            return 0;
        }
        // A batch with options of its own runs with them, beside the
        // dialog, rather than have the dialog export with the options it
        // shows.
        if (running && IsWindow(running) && !runOptions.Any()) {
            BatchConsole console;
            return HandOverToDialog(running, arguments, console);
        }
    }

    auto dialog = std::make_unique<Tagscribe>(arguments);
    if (!interactive) {
        dialog->RunWith(runOptions);
        return RunBatch(std::move(dialog));
    }
    if (!dialog->Create(IDD_TAGSCRIBE)) {
        // Nothing could ever end the loop of a dialog that is not there.
        const DWORD error = GetLastError();
        BatchConsole console;
        console.Write(TEXT("tagscribe: the dialog could not be made (") + vela::SystemText(error) +
                      TEXT(")\n"));
        return 1;
    }
    // Only a dialog the user sees is published. A batch run's window is
    // hidden and gone as soon as its export ends, so a start that deferred to
    // it would open nothing and export nothing.
    if (block.Create(InstanceBlockSize))
        WriteWindowHandle(block, dialog->hwnd);
    vela::RunMessageLoop();
    dialog.reset();
    return 0;
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR commandLine, int)
{
    return Run(instance, commandLine);
}
