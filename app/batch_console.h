#pragma once
// Where a batch run tells its user what it did: the standard error of the
// shell that started it. A GUI program on Windows has none of its own, so it
// borrows the console of the command prompt it was started from; with
// neither, everything written is dropped, and nothing fails for it.
#include "app/export_tracks.h"
#include "vela/owned.h"

class BatchConsole {
public:
    BatchConsole();

    void Write(const WString& text);
    // A terminal that a person watches, where a line may be redrawn.
    bool IsTerminal() const { return terminal_; }

private:
    // The borrowed console's, when one was opened; the standard one is not ours.
    vela::OwnedFileHandle consoleOutput_;
    HANDLE handle_ = nullptr;
    bool console_ = false;
    bool terminal_ = false;
};

// One line that counts the files of a long run on a terminal,
// "tagscribe: 1234/10000", redrawn at most ten times a second once the run
// has taken a second; erased when the object ends. Silent elsewhere.
class TerminalProgress : public ExportProgress {
public:
    explicit TerminalProgress(BatchConsole& console);
    ~TerminalProgress() override;
    void Step(size_t done, size_t total) override;

private:
    BatchConsole& console_;
    ULONGLONG started_;
    ULONGLONG shown_ = 0;
    size_t width_ = 0;
};
