#pragma once
// The real program in a child process: a private copy of it (its settings
// file lives beside it), a start with a chosen command line and current
// folder, a wait that never hangs, and a watch on the windows it shows.
#include "tests/support/temp_dir.h"

#include <windows.h>

// A copy of the built program in a folder of its own.
class ProgramCopy {
public:
    // name: the built program's file, or its UTF-8 variant's.
    explicit ProgramCopy(const WString& name = TEXT("tagscribe.exe.so"));
    // Empty when the program could not be found or copied.
    const WString& Path() const { return path_; }
    // Where the copy keeps its options.
    WString SettingsPath() const;

private:
    TempDir dir_;
    WString path_;
};

// Looks for visible top-level windows of one process. Wine 8 delivered no
// EVENT_OBJECT_SHOW of another process to an out-of-context hook, so the
// watch polls. Polled without pause, it caught a dialog shown and hidden
// again at once every time (six runs under Xvfb, 2026-12).
class ShowWatch {
public:
    explicit ShowWatch(DWORD processId) : processId_(processId) {}
    void Check();
    int Shown() const { return shown_; }

private:
    DWORD processId_;
    int shown_ = 0;
};

// One run of a program. A run still going when the object ends is killed.
class ChildRun {
public:
    ChildRun() = default;
    ChildRun(const ChildRun&) = delete;
    ChildRun& operator=(const ChildRun&) = delete;
    ~ChildRun();

    // Starts program with the command-line tail `arguments` in `folder`
    // (the runner's own when empty), its standard error `errors` when given.
    bool Start(const WString& program, const WString& arguments,
               const WString& folder = WString(), HANDLE errors = nullptr);
    DWORD ProcessId() const { return process_.dwProcessId; }
    HANDLE Process() const { return process_.hProcess; }
    HANDLE Thread() const { return process_.hThread; }
    // True while the started process has not ended.
    bool Running() const;
    // The exit code, or -1 after killing a run that outlasted the timeout.
    // The watch, when given, checks the windows without pause meanwhile.
    DWORD Wait(ShowWatch* watch = nullptr, DWORD milliseconds = 30000);

private:
    PROCESS_INFORMATION process_ = {};
};

// Starts the copy with `arguments` in `folder`, watching its windows, and
// waits for it; gives the exit code (-1 on timeout) and how many top-level
// windows it showed.
struct RunResult {
    DWORD exitCode;
    int shown;
};
RunResult RunProgram(const WString& program, const WString& arguments,
                     const WString& folder = WString());
// What a run, unwatched, wrote to its standard error; "" if it did not end.
std::string RunForErrors(const WString& program, const WString& arguments);

// The visible "Tagscribe" dialog (#32770) of a process, once it is there and
// its window handle is published; null after `milliseconds`.
HWND WaitForMainDialog(DWORD processId, DWORD milliseconds = 30000);

// Whether some instance has published itself for later starts to find.
bool InstanceBlockPublished();

// `"text"`: one argument however many spaces it holds.
WString Quoted(const WString& text);
