#include "app/batch_console.h"

#include "vela/code_page.h"

#include <string>

namespace {

bool Usable(HANDLE handle)
{
    return handle != nullptr && handle != INVALID_HANDLE_VALUE;
}

// Milliseconds from the performance counter. Wine's GetTickCount64 reads a
// time that the Wine server refreshes when it is called, and an export that
// reads and writes with Unix calls may not call it for seconds (seen
// 2026-12: no progress at all over a 14-second run).
ULONGLONG Milliseconds()
{
    LARGE_INTEGER count = {}, frequency = {};
    QueryPerformanceCounter(&count);
    QueryPerformanceFrequency(&frequency);
    return frequency.QuadPart > 0 ? count.QuadPart * 1000 / frequency.QuadPart : 0;
}

} // namespace

BatchConsole::BatchConsole()
{
    handle_ = GetStdHandle(STD_ERROR_HANDLE);
    // Started from a command prompt, a GUI program has no standard handles
    // unless they were redirected.
    if (!Usable(handle_) && AttachConsole(ATTACH_PARENT_PROCESS)) {
        consoleOutput_.reset(CreateFileW(TEXT("CONOUT$"), GENERIC_READ | GENERIC_WRITE,
                                         FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
        handle_ = consoleOutput_.get();
    }
    if (!Usable(handle_))
        return;
    DWORD mode = 0;
    console_ = GetConsoleMode(handle_, &mode) != FALSE;
    // Under Wine a Unix terminal is a character device, not a console.
    terminal_ = console_ || GetFileType(handle_) == FILE_TYPE_CHAR;
}

void BatchConsole::Write(const WString& text)
{
    if (!Usable(handle_) || text.empty())
        return;
    DWORD done = 0;
    if (console_) {
        WriteConsoleW(handle_, text.data(), static_cast<DWORD>(text.size()), &done, nullptr);
        return;
    }
    // Files, pipes and Unix terminals take UTF-8, as the shell around them.
    std::string bytes;
    vela::FromWide(CP_UTF8, text.data(), text.size(), bytes);
    WriteFile(handle_, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr);
}

TerminalProgress::TerminalProgress(BatchConsole& console)
    : console_(console), started_(Milliseconds())
{
}

TerminalProgress::~TerminalProgress()
{
    if (width_ > 0)
        console_.Write(TEXT("\r") + WString(width_, ' ') + TEXT("\r"));
}

void TerminalProgress::Step(size_t done, size_t total)
{
    if (!console_.IsTerminal())
        return;
    const ULONGLONG now = Milliseconds();
    if (now - started_ < 1000 || now - shown_ < 100)
        return;
    shown_ = now;
    const WString line = TEXT("tagscribe: ") + DecimalText(done) + TEXT("/") + DecimalText(total);
    // A shorter line than the last leaves none of it behind.
    const size_t pad = width_ > line.size() ? width_ - line.size() : 0;
    console_.Write(TEXT("\r") + line + WString(pad, ' '));
    width_ = line.size() + pad;
}
