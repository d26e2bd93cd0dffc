#include "tests/support/program.h"

#include "app/instance_block.h"
#include "app/paths.h"
#include "vela/owned.h"

#include <algorithm>
#include <vector>

ProgramCopy::ProgramCopy(const WString& name)
{
    // The runner is build\tests\tagscribe_tests.exe(.so); the program is
    // build\tagscribe.exe.so.
    const WString built = ParentFolder(ParentFolder(ModulePath())) + TEXT("\\") + name;
    const WString copy = dir_ / name;
    if (CopyFileW(built.c_str(), copy.c_str(), TRUE))
        path_ = copy;
}

WString ProgramCopy::SettingsPath() const
{
    return dir_ / TEXT("tagscribe.exe.dat");
}

ChildRun::~ChildRun()
{
    if (!process_.hProcess)
        return;
    if (WaitForSingleObject(process_.hProcess, 0) != WAIT_OBJECT_0) {
        TerminateProcess(process_.hProcess, 1);
        WaitForSingleObject(process_.hProcess, 5000);
    }
    CloseHandle(process_.hThread);
    CloseHandle(process_.hProcess);
}

bool ChildRun::Start(const WString& program, const WString& arguments, const WString& folder,
                     HANDLE errors)
{
    WString commandLine = Quoted(program);
    if (!arguments.empty())
        commandLine += TEXT(" ") + arguments;
    std::vector<WCHAR> mutableLine(commandLine.begin(), commandLine.end());
    mutableLine.push_back(0);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    if (errors) {
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdError = errors;
    }
    return CreateProcessW(program.c_str(), mutableLine.data(), nullptr, nullptr,
                          errors != nullptr, 0, nullptr,
                          folder.empty() ? nullptr : folder.c_str(), &startup, &process_);
}

bool ChildRun::Running() const
{
    return process_.hProcess && WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT;
}

DWORD ChildRun::Wait(ShowWatch* watch, DWORD milliseconds)
{
    DWORD ended = WaitForSingleObject(process_.hProcess, watch ? 0 : milliseconds);
    // Another process's windows signal nothing here (see ShowWatch): look
    // between waits that do not block.
    const DWORD start = GetTickCount();
    while (watch && ended == WAIT_TIMEOUT && GetTickCount() - start < milliseconds) {
        watch->Check();
        ended = WaitForSingleObject(process_.hProcess, 0);
    }
    if (ended == WAIT_OBJECT_0) {
        DWORD code = DWORD(-1);
        GetExitCodeProcess(process_.hProcess, &code);
        return code;
    }
    TerminateProcess(process_.hProcess, 1);
    WaitForSingleObject(process_.hProcess, 5000);
    return DWORD(-1);
}

namespace {

struct WindowSearch {
    DWORD processId;
    int visible;
};

BOOL CALLBACK CountVisible(HWND window, LPARAM context)
{
    auto& search = *reinterpret_cast<WindowSearch*>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == search.processId && IsWindowVisible(window))
        ++search.visible;
    return TRUE;
}

} // namespace

void ShowWatch::Check()
{
    WindowSearch search = {processId_, 0};
    EnumWindows(CountVisible, reinterpret_cast<LPARAM>(&search));
    shown_ = std::max(shown_, search.visible);
}

RunResult RunProgram(const WString& program, const WString& arguments, const WString& folder)
{
    ChildRun run;
    if (!run.Start(program, arguments, folder))
        return {DWORD(-1), -1};
    ShowWatch watch(run.ProcessId());
    const DWORD code = run.Wait(&watch);
    return {code, watch.Shown()};
}

std::string RunForErrors(const WString& program, const WString& arguments)
{
    TempDir dir;
    SECURITY_ATTRIBUTES inherited = {sizeof inherited, nullptr, TRUE};
    const vela::OwnedFileHandle errors(CreateFileW((dir / TEXT("errors")).c_str(), GENERIC_WRITE,
                                                   FILE_SHARE_READ, &inherited, CREATE_ALWAYS,
                                                   FILE_ATTRIBUTE_NORMAL, nullptr));
    ChildRun run;
    const bool ended = errors && run.Start(program, arguments, WString(), errors.get()) &&
                       run.Wait() != DWORD(-1);
    return ended ? ReadBytes(dir / TEXT("errors")) : std::string();
}

namespace {

struct DialogSearch {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK MatchDialog(HWND window, LPARAM context)
{
    auto& search = *reinterpret_cast<DialogSearch*>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    WCHAR className[16] = {};
    WCHAR caption[16] = {};
    GetClassNameW(window, className, 16);
    GetWindowTextW(window, caption, 16);
    if (owner == search.processId && IsWindowVisible(window) &&
        WString(className) == TEXT("#32770") && WString(caption) == TEXT("Tagscribe")) {
        search.found = window;
        return FALSE;
    }
    return TRUE;
}

} // namespace

bool InstanceBlockPublished()
{
    HANDLE block = OpenFileMappingW(FILE_MAP_READ, FALSE, InstanceBlockName);
    if (!block)
        return false;
    CloseHandle(block);
    return true;
}

HWND WaitForMainDialog(DWORD processId, DWORD milliseconds)
{
    // The program shows its dialog and publishes it before its message loop
    // first waits for input.
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | SYNCHRONIZE, FALSE, processId);
    if (!process)
        return nullptr;
    const DWORD idle = WaitForInputIdle(process, milliseconds);
    // WaitForInputIdle also returns 0 for a process that has ended.
    const bool running = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
    CloseHandle(process);
    DialogSearch search = {processId, nullptr};
    if (idle == 0 && running)
        EnumWindows(MatchDialog, reinterpret_cast<LPARAM>(&search));
    return search.found && InstanceBlockPublished() ? search.found : nullptr;
}

WString Quoted(const WString& text)
{
    return TEXT("\"") + text + TEXT("\"");
}
